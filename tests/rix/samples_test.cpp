// The sample programs of the bundled workspace compile without error or warning, and carry
// the number and comment lines that the AUTO menu's program list shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/lex.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

std::filesystem::path samples_dir() {
  return std::filesystem::path(ROKAN_SOURCE_DIR) / "workspace" / "DEFAULT" / "rixs";
}

class Sample : public testing::TestWithParam<std::string> {};

TEST_P(Sample, CompilesCleanlyWithANumberAndACommentForTheProgramList) {
  const std::string text = read_file(samples_dir() / GetParam());
  TempDir dir;
  dir.write(GetParam(), text);
  RixImage image;
  ASSERT_TRUE(rix_compile(image, dir.rix_path(), GetParam())) << cp932_to_utf8(image.error_text);
  EXPECT_EQ(image.warning_code, 0) << cp932_to_utf8(dir.read("WARNING.LOG"));

  EXPECT_EQ(cp932_to_utf8(text).find("\xEF\xBF\xBD"), std::string::npos) << "not CP932";
  std::istringstream lines(text);
  std::string number, comment;
  std::getline(lines, number);
  std::getline(lines, comment);
  char* end = nullptr;
  std::strtod(number.c_str(), &end);
  EXPECT_NE(end, number.c_str()) << "line 1 is no number";
  std::string_view shown = trim(comment);
  EXPECT_FALSE(shown.empty());
  EXPECT_LE(shown.size(), 40u) << "the list shows 40 bytes of the comment";
}

INSTANTIATE_TEST_SUITE_P(Workspace, Sample, testing::ValuesIn(files_in(samples_dir(), ".RIX")),
                         [](const auto& info) { return name_of(info.param, "."); });

}  // namespace
}  // namespace rokan::test
