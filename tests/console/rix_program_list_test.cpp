// The AUTO menu's RIX program list on a directory holding files the controller cannot name and
// a source whose first line never ends.
#include "console/rix_program_list.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/param_file.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

TEST(RixProgramList, UnnameableFilesAreSkippedAndTheFilesAfterThemStillShow) {
  test::Rig rig("rix_program_list_names");
  set_default_params(rig.c.params, rig.c.sensor);
  const auto rixs = rig.dir / "DEFAULT" / "rixs";
  std::filesystem::remove_all(rixs);
  std::filesystem::create_directories(rixs);
  auto source = [&](const char* name, const std::string& text) {
    std::ofstream(rixs / name, std::ios::binary) << text;
  };
  source("A.RIX", "3.1\n  first  \n");
  source("B\\x.RIX", "3.1\nbackslash\n");   // would open B/x.RIX
  source("\xC3\xA9.RIX", "3.1\naccent\n");  // not in CP932
  source("C.RIX", "3.25" + std::string(100000, ' ') + "\nnever reached\n");
  source("D.RIX", "3.1\nlast\n");

  const std::vector<RixSourceEntry> page = rix_source_page(rig.c, 0);
  ASSERT_EQ(page.size(), 3u);
  EXPECT_EQ(page[0].file, "A.RIX");
  EXPECT_EQ(page[0].comment, "first");
  EXPECT_EQ(page[1].file, "C.RIX");
  EXPECT_DOUBLE_EQ(page[1].number, 3.25);
  EXPECT_EQ(page[1].comment, "") << "the first line is skipped only so far";
  EXPECT_EQ(page[2].file, "D.RIX");
  EXPECT_EQ(page[2].comment, "last");
}

}  // namespace
}  // namespace rokan
