// The scenario files under tests/scenarios/scripts/, each run by the scenario runner, and the
// runner's own checks: a wrong expectation fails at its file and line.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <fstream>

#include "rix/rix_test_support.h"
#include "scenarios/scenario_runner.h"
#include "support/workspace_copy.h"

namespace rokan::test {
namespace {

namespace fs = std::filesystem;

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, GoesAsWritten) {
  run_scenario(scenario_dir() / GetParam());
}

INSTANTIATE_TEST_SUITE_P(Files, Scenario, ::testing::ValuesIn(files_in(scenario_dir(), ".scn")),
                         [](const auto& info) { return name_of(info.param, "."); });

// A scenario file of the runner's own tests, in a scratch directory.
struct RunnerFile {
  explicit RunnerFile(const std::string& name, const std::string& text)
      : path(private_temp_path(name).string() + ".scn") {
    std::ofstream(path, std::ios::binary) << text;
  }
  ~RunnerFile() { fs::remove(path); }
  fs::path path;
};

// The failures a run reports, without failing the test that looks at them.
std::vector<::testing::TestPartResult> failures_of(const fs::path& file) {
  ::testing::TestPartResultArray results;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    run_scenario(file);
  }
  std::vector<::testing::TestPartResult> out;
  for (int i = 0; i < results.size(); ++i) out.push_back(results.GetTestPartResult(i));
  return out;
}

// The failures one per line, for the message of a test that did not expect them.
std::string described(const std::vector<::testing::TestPartResult>& failures) {
  std::string text;
  for (const auto& f : failures)
    text += std::to_string(f.line_number()) + ": " + f.message() + "\n";
  return text;
}

// Start-up, EMG by CR, <TOP> by O: a screen with known lines.
const std::string kToTop = "tick 1\nkey Q\nkey SPACE\ntick 1\nkey CR\ntick 1\nkey O\ntick 1\n";

TEST(ScenarioRunner, PassesAScenarioWhoseExpectationsHold) {
  RunnerFile f("runner_holds", kToTop +  // lines 1-8
                                   "# expect: screen 3 M : Manual mode\n"
                                   "# expect: screen last Input -> \n"
                                   "# expect: strip mode EMG\n"
                                   "# expect: state /mode EMG\n"
                                   "key Q\ntick 1\n"
                                   "# expect: screen lines 0\n");
  const auto failures = failures_of(f.path);
  EXPECT_TRUE(failures.empty()) << described(failures);
}

TEST(ScenarioRunner, ReportsAWrongExpectationAtItsFileAndLine) {
  RunnerFile f("runner_wrong", kToTop +                                    // lines 1-8
                                   "# expect: screen 3 M : Manual mode\n"  // 9
                                   "# expect: screen 4 O : Orbit mode\n"   // 10
                                   "key Q\ntick 1\n"                       // 11-12
                                   "# expect: strip mode MANUAL\n");       // 13
  const auto failures = failures_of(f.path);
  ASSERT_EQ(failures.size(), 2u) << described(failures);
  EXPECT_EQ(fs::path(failures[0].file_name()), f.path);
  EXPECT_EQ(failures[0].line_number(), 10);
  EXPECT_NE(std::string(failures[0].message()).find("O : Origin mode"), std::string::npos)
      << failures[0].message();
  EXPECT_EQ(failures[1].line_number(), 13);
}

// The expectation is checked where it stands: inside <TOP>'s wait, not after the script ended.
TEST(ScenarioRunner, ChecksAnExpectationAtItsPointOfTheRun) {
  RunnerFile f("runner_point", kToTop + "# expect: screen 2 " +
                                   "<TOP>：サーボスイッチを全てＯＦＦにして下さい．\n" +
                                   "key Q\ntick 1\n# expect: screen 2 \n");
  const auto failures = failures_of(f.path);
  EXPECT_TRUE(failures.empty()) << described(failures);
}

TEST(ScenarioRunner, ReportsALineThatWasNotRefused) {
  RunnerFile f("runner_refused",
               "tick 1\nkey Q\nkey SPACE\ntick 1\noption skip 2\n# expect: refused while\n"
               "key E\ntick 1\noption skip 3\n# expect: refused while the quit confirmation\n");
  const auto failures = failures_of(f.path);
  ASSERT_EQ(failures.size(), 1u) << described(failures);
  EXPECT_EQ(failures[0].line_number(), 6);
}

TEST(ScenarioRunner, RefusesDumpLinesAndUnknownExpectations) {
  RunnerFile dump("runner_dump", "tick 1\ndump screen\n");
  auto failures = failures_of(dump.path);
  ASSERT_EQ(failures.size(), 1u) << described(failures);
  EXPECT_EQ(failures[0].line_number(), 2);

  RunnerFile unknown("runner_unknown", "tick 1\nkey Q\nkey SPACE\ntick 1\n# expect: colour red\n");
  failures = failures_of(unknown.path);
  ASSERT_EQ(failures.size(), 1u) << described(failures);
  EXPECT_EQ(failures[0].line_number(), 5);
}

}  // namespace
}  // namespace rokan::test
