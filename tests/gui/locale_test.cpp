// A desktop whose locale writes numbers with a decimal comma: the debugger under Qt still reads
// and writes its files and texts with a decimal point.
#include <clocale>
#include <fstream>
#include <sstream>

#include "core/param_file.h"
#include "gui_fixture.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "support/file_contents.h"

namespace rokan {
namespace {

using test::slurp;

// Puts the C library's locale back as it was, however the test ends.
struct LocaleRestore {
  std::string saved = std::setlocale(LC_ALL, nullptr);
  ~LocaleRestore() { std::setlocale(LC_ALL, saved.c_str()); }
};

TEST_F(GuiTest, ACommaDecimalDesktopLocaleChangesNoNumberInFilesOrReports) {
  LocaleRestore restore;
  session_.reset();
  // What constructing the QApplication does on such a desktop: the C library's locale comes
  // from the environment.
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/setup generates it)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  const std::filesystem::path ini = workspace_ / "DEFAULT" / "init" / "rokan.ini";
  std::string text = slurp(ini);
  const std::string kp1 = "KP1\t1.000000\n";
  ASSERT_NE(text.find(kp1), std::string::npos);
  text.replace(text.find(kp1), kp1.size(), "KP1\t0.5\n");
  std::ofstream(ini, std::ios::binary) << text;

  session_ = std::make_unique<GuiSession>(workspace_.string());
  start_past_startup();
  EXPECT_EQ(c().params.kp[0], 0.5);
  EXPECT_EQ(c().params.sampling_time, 0.001);

  ASSERT_TRUE(write_param_file(c()));
  const std::string written = slurp(ini);
  EXPECT_EQ(written.rfind("ARDO_VERSION\t4.20\n", 0), 0u) << written.substr(0, 40);
  EXPECT_NE(written.find("\nKP1\t0.500000\n"), std::string::npos);

  std::ofstream(workspace_ / "DEFAULT" / "rixs" / "OLD.RIX", std::ios::binary)
      << "3.2\nold version\nEND\n";
  RixImage image;
  image.workspace = workspace_.string();
  EXPECT_FALSE(rix_compile(image, "DEFAULT\\rixs\\", "OLD.RIX"));
  EXPECT_NE(cp932_to_utf8(image.error_text).find("3.100"), std::string::npos)
      << cp932_to_utf8(image.error_text);
}

}  // namespace
}  // namespace rokan
