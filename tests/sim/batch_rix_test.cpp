// rokan-sim --run: RIX programs in batch runs. Every sample program of the bundled workspace
// runs to its end; compile errors, warnings, runtime errors, time-outs, keys and the trace come
// out as an operator checking programs in CI needs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "sim/batch.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string read_stream(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

class BatchRix : public ::testing::Test {
 protected:
  fs::path dir =
      fs::temp_directory_path() / (std::string("rokan_batch_rix_") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path ws = dir / "ws";

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(dir); }

  // A program (UTF-8 body after the two header lines) written as CP932 into `dir`.
  std::string write(const std::string& name, const std::string& body) {
    std::ofstream out(dir / name, std::ios::binary);
    out << utf8_to_cp932("3.1\nbatch test\n" + body + "\n");
    return (dir / name).string();
  }

  Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), {"rokan-sim", "--workspace", ws.string()});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome o;
    o.status = batch_main(static_cast<int>(argv.size()), argv.data(), out, err);
    o.out = read_stream(out);
    o.err = read_stream(err);
    return o;
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
  Outcome o = run(args);
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

TEST_F(BatchRix, CompileErrorPrintsTheReportAndTheSourceLineAndExits2) {
  std::string file = write("BAD.RIX", "DEF_VAR X\nX = 1\nFLY F1\nEND");
  Outcome o = run({"--run", file});
  EXPECT_EQ(o.status, kBatchUsage);
  EXPECT_EQ(lines_of(o.err).at(0), "[PHASE3]0001: Unknown command(FLY).");
  EXPECT_EQ(lines_of(o.err).at(1), file + ":5: error: Unknown command(FLY).");
  EXPECT_EQ(lines_of(o.err).at(2), "    5 | FLY F1");
  EXPECT_EQ(o.out, "");
}

TEST_F(BatchRix, WarningsArePrintedAndTheProgramRuns) {
  std::string file = write("WARN.RIX", "DEF_VAR UNUSED, X\nX = 1\nMESSAGE done\nEND");
  Outcome o = run({"--run", file});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  std::vector<std::string> err = lines_of(o.err);
  ASSERT_EQ(err.size(), 2u) << o.err;
  EXPECT_EQ(err[0],
            file + ": warning: 汎用型変数(UNUSED)は宣言(DEF_VAR)されているが使用されていない．");
  EXPECT_EQ(err[1], file + ": warning: 汎用型変数(X)は代入されているが参照されていない．");
  EXPECT_EQ(lines_of(o.out).at(0), "done");
}

TEST_F(BatchRix, RuntimeErrorEndsInEmgWithTheReportLineAndExits1) {
  std::string file = write("DIV.RIX", "DEF_VAR X, Z\nZ = 0\nX = 1 / Z\nMESSAGE %X%\nEND");
  Outcome o = run({"--run", file});
  EXPECT_EQ(o.status, kBatchEmg);
  EXPECT_EQ(lines_of(o.err).back(), "[RIX_RUN]0001: Domain Error.");
  // The status line showed the report as the run stopped.
  EXPECT_EQ(lines_of(o.out).back(), "[RIX_RUN]0001: Domain Error.");
}

TEST_F(BatchRix, ProgramThatNeverEndsTimesOutWith3AndTheLogIsWritten) {
  std::string file = write("LOOP.RIX", "LOG_START\nLOOP:\nSLEEP 0.1\nGOTO\nEND");
  Outcome o = run({"--run", file, "--seconds", "1"});
  EXPECT_EQ(o.status, kBatchTimeout);
  EXPECT_NE(o.err.find("still runs after 1 s"), std::string::npos) << o.err;
  EXPECT_TRUE(fs::exists(ws / "DEFAULT" / "log" / "RKN0000.LOG"));
}

TEST_F(BatchRix, TraceShowsEachInstructionAsItIsReachedNotTheCyclesItWaits) {
  std::string file = write("T.RIX", "DEF_VAR I\nFOR I = 1 TO 2\n  SLEEP 0.003\nNEXT I\nEND");
  Outcome o = run({"--run", file, "--trace"});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  const std::vector<std::string> expected = {"pc 0 FOR at 0.000 s",   "pc 1 SLEEP at 0.001 s",
                                             "pc 2 NEXT at 0.004 s",  "pc 0 FOR at 0.005 s",
                                             "pc 1 SLEEP at 0.006 s", "pc 2 NEXT at 0.009 s",
                                             "pc 0 FOR at 0.010 s",   "pc 3 END at 0.011 s"};
  EXPECT_EQ(lines_of(o.out), expected);
}

TEST_F(BatchRix, KeysReachKeyInAndAStopKeyIsNoEnd) {
  std::string file = write("K.RIX", "DEF_VAR K\nKEY_IN K\nMESSAGE %K%\nSLEEP 10\nEND");
  Outcome o = run({"--run", file, "--key", "z@0.5", "--key", "s@1"});
  EXPECT_EQ(lines_of(o.out).at(0), "90");
  // S stops the run and returns to MANUAL before END: not a program that ran to its end.
  EXPECT_EQ(o.status, kBatchEmg);
  EXPECT_EQ(lines_of(o.err).back(), "rokan-sim: the run was stopped before the program ended");
}

// The executable, with a program given relative to the directory rokan-sim starts in.
TEST_F(BatchRix, RokanSimRunsAProgramGivenRelativeToItsStartDirectory) {
  write("REL.RIX", "MESSAGE relative\nEND");
  std::string cmd = "cd " + dir.string() + " && " + std::string(ROKAN_BIN_DIR) +
                    "/rokan-sim --workspace ws --run REL.RIX > out.txt 2> err.txt";
  int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0);
  std::ifstream out(dir / "out.txt");
  std::string first;
  std::getline(out, first);
  EXPECT_EQ(first, "relative");
}

}  // namespace
}  // namespace rokan
