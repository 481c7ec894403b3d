// The sample programs of the bundled workspace compile without error or warning, and carry
// the number and comment lines that the AUTO menu's program list shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/lex.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

namespace fs = std::filesystem;

fs::path samples_dir() {
  return fs::path(ROKAN_SOURCE_DIR) / "workspace" / "DEFAULT" / "rixs";
}

std::string read_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> sample_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(samples_dir())) {
    if (e.path().extension() == ".RIX") names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Samples, TheDefaultProgramAndSomeMoreAreThere) {
  std::vector<std::string> names = sample_names();
  EXPECT_NE(std::find(names.begin(), names.end(), "ROKAN.RIX"), names.end());
  EXPECT_GE(names.size(), 4u);
}

class Sample : public testing::TestWithParam<std::string> {};

TEST_P(Sample, CompilesCleanly) {
  TempDir dir;
  dir.write(GetParam(), read_bytes(samples_dir() / GetParam()));
  RixImage image;
  ASSERT_TRUE(rix_compile(image, dir.rix_path(), GetParam())) << cp932_to_utf8(image.error_text);
  EXPECT_EQ(image.warning_code, 0) << cp932_to_utf8(dir.read("WARNING.LOG"));
}

TEST_P(Sample, HasANumberAndACommentForTheProgramList) {
  std::string text = read_bytes(samples_dir() / GetParam());
  EXPECT_EQ(cp932_to_utf8(text).find("\xEF\xBF\xBD"), std::string::npos) << "not CP932";
  std::istringstream lines(text);
  std::string number, comment;
  std::getline(lines, number);
  std::getline(lines, comment);
  char* end = nullptr;
  std::strtod(number.c_str(), &end);
  EXPECT_NE(end, number.c_str()) << "line 1 is no number";
  std::string_view shown = trim_blanks(comment);
  EXPECT_FALSE(shown.empty());
  EXPECT_LE(shown.size(), 40u) << "the list shows 40 bytes of the comment";
}

INSTANTIATE_TEST_SUITE_P(Workspace, Sample, testing::ValuesIn(sample_names()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(0, info.param.find('.'));
                         });

TEST(Samples, TheDefaultProgramIsShiftJis) {
  std::string text = read_bytes(samples_dir() / "ROKAN.RIX");
  std::string heading = text.substr(text.find('\n') + 1);
  heading = heading.substr(0, heading.find('\n'));
  EXPECT_EQ(cp932_to_utf8(heading), "ROKANデモ：立ち上がり、脚を順に上げる");
}

}  // namespace
}  // namespace rokan::test
