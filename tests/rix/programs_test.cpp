// Annotated RIX programs under tests/rix/programs/: each file is a program (UTF-8 in the
// repository, compiled as CP932) whose expectations are written in it as comments:
//   // expect: error <report line>        the compile fails with this report line
//   // expect: line <n>                   ... and points at source line n
//   // expect: record <i> <description>   record i as describe() writes it
//   // expect: message <i> <text>         message slot i ("\t" stands for a tab)
//   // expect: warning <text>             WARNING.LOG lines of a successful compile, all of
//                                         them, in order
// A program without an error expectation must compile.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/text.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

std::filesystem::path programs_dir() {
  return std::filesystem::path(ROKAN_SOURCE_DIR) / "tests" / "rix" / "programs";
}

class Program : public testing::TestWithParam<std::string> {};

TEST_P(Program, MeetsItsExpectations) {
  const std::string source = read_file(programs_dir() / GetParam());
  CompileResult r = compile_source(source);

  std::string error;
  std::vector<std::string> warnings;
  int checks = 0;
  std::istringstream lines(source);
  for (std::string line; std::getline(lines, line);) {
    std::string what, rest;
    if (!expectation(line, what, rest)) continue;
    ++checks;
    if (what == "error") {
      error = rest;
    } else if (what == "line") {
      EXPECT_EQ(r.image.error_line, std::stoi(rest)) << line;
    } else if (what == "warning") {
      warnings.push_back(rest);
    } else if (what == "record" || what == "message") {
      std::size_t space = rest.find(' ');
      std::size_t i = std::stoul(rest.substr(0, space));
      std::string expected = space == std::string::npos ? "" : rest.substr(space + 1);
      if (what == "record") {
        ASSERT_LT(i, r.image.instructions.size()) << line;
        EXPECT_EQ(describe(r.image.instructions[i]), expected) << line;
      } else {
        ASSERT_LT(i, r.image.messages.size()) << line;
        EXPECT_EQ(cp932_to_utf8(r.image.messages[i].data()), unescape_tabs(expected)) << line;
      }
    } else {
      ADD_FAILURE() << "unknown expectation: " << line;
    }
  }
  EXPECT_GT(checks, 0) << "a program without expectations tests nothing";
  EXPECT_EQ(r.ok, error.empty()) << r.report;
  EXPECT_EQ(r.report, error);

  if (!r.ok) return;  // warnings of a failed compile are not the program's warnings
  std::vector<std::string> written;
  std::istringstream log(r.warnings);
  for (std::string w; std::getline(log, w);) written.push_back(w);
  EXPECT_EQ(written, warnings);
}

INSTANTIATE_TEST_SUITE_P(Annotated, Program, testing::ValuesIn(files_in(programs_dir(), ".rix")),
                         [](const auto& info) { return name_of(info.param, "."); });

}  // namespace
}  // namespace rokan::test
