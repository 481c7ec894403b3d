// rokan-sim --run: RIX programs in batch runs. Every sample program of the bundled workspace
// runs to its end; compile errors, warnings, keys and the trace come out as an operator checking
// programs in CI needs them.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/text.h"
#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

struct BatchRix : SimWorkspace {
  // A program (UTF-8 body after the two header lines) written as CP932 into `dir`.
  std::string write(const std::string& name, const std::string& body) {
    std::ofstream(dir / name, std::ios::binary) << utf8_to_cp932("3.1\nbatch test\n" + body + "\n");
    return (dir / name).string();
  }
};

struct Sample {
  const char* file;
  std::vector<std::string> inputs;
  const char* last_message;  // the last status line the program shows before its end
};

void PrintTo(const Sample& s, std::ostream* os) {
  *os << s.file;
}

class SamplePrograms : public BatchRix, public ::testing::WithParamInterface<Sample> {};

TEST_P(SamplePrograms, RunToTheirEnd) {
  const Sample& sample = GetParam();
  std::vector<std::string> args = {"--run", (ws / "DEFAULT" / "rixs" / sample.file).string()};
  args.insert(args.end(), sample.inputs.begin(), sample.inputs.end());
  Outcome o = batch(args);
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  std::vector<std::string> shown = lines_of(o.out);
  ASSERT_GE(shown.size(), 2u);
  // The return to MANUAL clears the status line; the line before is the program's last word.
  EXPECT_EQ(shown.back(), "");
  EXPECT_EQ(shown[shown.size() - 2], sample.last_message);
}

INSTANTIATE_TEST_SUITE_P(
    Workspace, SamplePrograms,
    ::testing::Values(
        Sample{"ROKAN.RIX", {}, "デモ終了"}, Sample{"WAVE.RIX", {}, "速度\t40\t%"},
        Sample{"TEACH.RIX", {"--vr1", "2"}, "再生終了"},
        Sample{"CRAWL.RIX", {"--key", "esc@4"}, "停止しました（1\t歩）"},
        Sample{"KEYS.RIX", {"--key", "1@0.2", "--key", "u@3", "--key", "q@6"}, "終了します"}),
    [](const ::testing::TestParamInfo<Sample>& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('.'));
    });

// The samples that run until the operator stops them keep going for ten minutes of simulated
// time without an emergency stop: their moves go to fixed points, so the in-position tolerance
// a foot stops within does not add up from one cycle or key press to the next.
TEST_F(BatchRix, CrawlWalksTenMinutesUntilEscAndStopsWhenAsked) {
  Outcome o = batch({"--run", (ws / "DEFAULT" / "rixs" / "CRAWL.RIX").string(), "--seconds", "700",
                     "--key", "esc@600"});
  ASSERT_EQ(o.status, kBatchEnded) << o.err;
  std::vector<std::string> shown = lines_of(o.out);
  ASSERT_GE(shown.size(), 2u);
  int steps = 0;
  ASSERT_EQ(std::sscanf(shown[shown.size() - 2].c_str(), "停止しました（%d", &steps), 1)
      << shown[shown.size() - 2];
  EXPECT_GE(steps, 55) << "a crawl cycle takes about ten seconds";
}

TEST_F(BatchRix, KeysTakesTenMinutesOfLiftsAndHeightChangesUntilQ) {
  // Every two seconds a key: lifts of each leg, and runs of U and D past the height limits.
  std::vector<std::string> args = {"--run", (ws / "DEFAULT" / "rixs" / "KEYS.RIX").string()};
  const char* keys[] = {"u", "u", "u", "u", "u", "1", "2", "3", "4", "d", "d", "d", "d", "d", "d"};
  int n = 0;
  for (int t = 1; t < 600; t += 2, ++n) {
    args.insert(args.end(),
                {"--key", std::string(keys[n % std::size(keys)]) + "@" + std::to_string(t)});
  }
  args.insert(args.end(), {"--key", "q@605", "--seconds", "620"});
  Outcome o = batch(args);
  ASSERT_EQ(o.status, kBatchEnded) << o.err;
  std::vector<std::string> shown = lines_of(o.out);
  EXPECT_GE(std::count(shown.begin(), shown.end(), "脚\t3\tを上げます"), 15);
  EXPECT_GE(std::count(shown.begin(), shown.end(), "これ以上立てません"), 5);
  EXPECT_GE(std::count(shown.begin(), shown.end(), "これ以上座れません"), 5);
  EXPECT_EQ(shown.at(shown.size() - 2), "終了します");
}

TEST_F(BatchRix, CompileErrorPrintsTheReportAndTheSourceLineAndExits2) {
  std::string file = write("BAD.RIX", "DEF_VAR X\nX = 1\nFLY F1\nEND");
  Outcome o = batch({"--run", file});
  EXPECT_EQ(o.status, kBatchUsage);
  const std::vector<std::string> expected = {"[PHASE3]0001: Unknown command(FLY).",
                                             file + ":5: error: Unknown command(FLY).",
                                             "    5 | FLY F1"};
  EXPECT_EQ(lines_of(o.err), expected);
  EXPECT_EQ(o.out, "");
}

TEST_F(BatchRix, WarningsArePrintedAndTheProgramRuns) {
  std::string file = write("WARN.RIX", "DEF_VAR UNUSED, X\nX = 1\nMESSAGE done\nEND");
  Outcome o = batch({"--run", file});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  const std::vector<std::string> expected = {
      file + ": warning: 汎用型変数(UNUSED)は宣言(DEF_VAR)されているが使用されていない．",
      file + ": warning: 汎用型変数(X)は代入されているが参照されていない．"};
  EXPECT_EQ(lines_of(o.err), expected);
  EXPECT_EQ(lines_of(o.out).at(0), "done");
}

TEST_F(BatchRix, TraceShowsEachInstructionAsItIsReachedNotTheCyclesItWaits) {
  std::string file = write("T.RIX", "DEF_VAR I\nFOR I = 1 TO 2\n  SLEEP 0.003\nNEXT I\nEND");
  Outcome o = batch({"--run", file, "--trace"});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  const std::vector<std::string> expected = {"pc 0 FOR at 0.000 s",   "pc 1 SLEEP at 0.001 s",
                                             "pc 2 NEXT at 0.004 s",  "pc 0 FOR at 0.005 s",
                                             "pc 1 SLEEP at 0.006 s", "pc 2 NEXT at 0.009 s",
                                             "pc 0 FOR at 0.010 s",   "pc 3 END at 0.011 s"};
  EXPECT_EQ(lines_of(o.out), expected);
}

TEST_F(BatchRix, KeysReachKeyInAndAStopKeyIsNoEnd) {
  std::string file = write("K.RIX", "DEF_VAR K\nKEY_IN K\nMESSAGE %K%\nSLEEP 10\nEND");
  Outcome o = batch({"--run", file, "--key", "z@0.5", "--key", "s@1"});
  EXPECT_EQ(lines_of(o.out).at(0), "90");
  // S stops the run and returns to MANUAL before END: not a program that ran to its end.
  EXPECT_EQ(o.status, kBatchEmg);
  EXPECT_EQ(lines_of(o.err).back(), "rokan-sim: the run was stopped before the program ended");
}

// A folder name with a character CP932 does not have (here UTF-8 "ü") still holds the program:
// the file opens by the bytes given on the command line, for --run as for rixc.
TEST_F(BatchRix, ProgramsInFoldersWithoutACp932NameRunAndCompile) {
  const fs::path folder = dir /
                          "Pr\xC3\xBC"
                          "fung";
  fs::create_directories(folder);
  std::ofstream(folder / "U.RIX", std::ios::binary) << "3.1\nh\nMESSAGE found\nEND\n";
  Outcome o = batch({"--run", (folder / "U.RIX").string()});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  EXPECT_EQ(lines_of(o.out).at(0), "found");
  EXPECT_TRUE(fs::exists(folder / "FORMAL.TMP")) << "work files beside the program";

  const std::string cmd =
      std::string(ROKAN_BIN_DIR) + "/rixc '" + (folder / "U.RIX").string() + "' > /dev/null 2>&1";
  const int rc = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << rc;
}

// A built-in program stopped by a key is no program that ran to its end: exit 1 as for --run.
TEST_F(BatchRix, ABuiltInProgramStoppedByAKeyExits1) {
  for (const char* key : {"s@0.5", "q@0.5", "m@0.5", "E@0.5"}) {
    SCOPED_TRACE(key);
    Outcome o = batch({"--auto", "1", "--key", key, "--seconds", "5"});
    EXPECT_EQ(o.status, kBatchEmg);
    EXPECT_EQ(lines_of(o.err).back(), "rokan-sim: the run was stopped before the program ended");
  }
}

}  // namespace
}  // namespace rokan::test
