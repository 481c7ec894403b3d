// How a rokan-sim run ends when it holds sampling data: at the end of a script, inside the log
// notice, on a signal, and with a log directory that cannot take the file. Whatever ends the run,
// the pending records reach a complete RKNnnnn.LOG, or the exit status says they did not.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <chrono>
#include <thread>

#include "core/cycle.h"
#include "platform/text.h"
#include "sim/sim_test_support.h"

extern char** environ;

namespace rokan::test {
namespace {

// Logging from the first MANUAL cycle: the default area of 10 records holds 9 rows.
constexpr const char* kLogging = "tick 1\nkey Q\nkey x\ntick 1\nkey L\ntick 50\n";
constexpr std::size_t kRows = 9;

struct RokanSimEnd : SimWorkspace {
  fs::path log_dir = ws / "DEFAULT" / "log";

  Outcome run(const std::string& script) {
    std::ofstream(dir / "script.txt", std::ios::binary) << script;
    return sim("--workspace ws --script script.txt");
  }
  // The log files in the log directory.
  std::vector<fs::path> logs() const {
    std::vector<fs::path> out;
    if (!fs::is_directory(log_dir)) return out;
    for (const auto& e : fs::directory_iterator(log_dir))
      if (e.path().extension() == ".LOG") out.push_back(e.path());
    return out;
  }
  // RKN0000.LOG is the only log and it is complete: two notes, the header, the rows.
  void expect_complete_log(std::size_t rows) {
    ASSERT_EQ(logs(), std::vector<fs::path>{log_dir / "RKN0000.LOG"});
    const std::string text = slurp(log_dir / "RKN0000.LOG");
    EXPECT_EQ(lines_of(text).size(), 3 + rows);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
  }
};

TEST_F(RokanSimEnd, ScriptEndingInTheLogNoticeStillWritesTheWholeLog) {
  Outcome r = run(std::string(kLogging) + "key E\ntick 1\nconfirm ok\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("while the program waits for the log notice"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("9 sampling records written to DEFAULT/log/RKN0000.LOG"), std::string::npos)
      << r.err;
  expect_complete_log(kRows);
}

TEST_F(RokanSimEnd, ScriptEndingWithoutQuittingWritesThePendingRecords) {
  Outcome r = run(kLogging);
  EXPECT_EQ(r.status, 0) << r.err;
  expect_complete_log(kRows);
  // The report log was closed by the end routine: its last line is complete.
  const std::string report = slurp(ws / "emg" / "emg.log");
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.back(), '\n');
}

TEST_F(RokanSimEnd, PendingLogThatCannotBeWrittenExitsFourWhateverTheScriptGave) {
  fs::remove_all(log_dir);
  const std::string why =
      "ERROR: ログファイルが開けませんでした(DEFAULT\\log\\RKN0000.LOG). No such file or directory";
  for (const char* end : {"", "key E\ntick 1\nconfirm ok\nnotice ok\n", "key E\ntick 1\n"}) {
    SCOPED_TRACE(end);
    Outcome r = run(std::string(kLogging) + end);
    EXPECT_EQ(r.status, kExitLogUnsaved);
    EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
  }
  EXPECT_NE(cp932_to_utf8(slurp(ws / "emg" / "emg.log")).find(why + "\n"), std::string::npos);
}

// rokan-sim started in the background with standard output in a file.
class Background {
 public:
  Background(const fs::path& dir, std::vector<std::string> args) : out_(dir / "out.txt") {
    args.insert(args.begin(), std::string(ROKAN_BIN_DIR) + "/rokan-sim");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (dir / "err.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Background() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // Waits up to a minute for `text` on standard output.
  bool wait_for_output(const std::string& text) {
    for (int i = 0; i < 600; ++i) {
      if (slurp(out_).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  // Sends `sig` and returns the exit status (128 + signal when the signal killed it).
  int stop(int sig) {
    ::kill(pid_, sig);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }

 private:
  fs::path out_;
  pid_t pid_ = -1;
};

TEST_F(RokanSimEnd, StopSignalEndsAScriptThroughTheEndRoutine) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    fs::remove_all(log_dir);
    fs::create_directories(log_dir);
    // Far more cycles than the test waits for.
    std::ofstream(dir / "script.txt") << kLogging << "dump strip\ntick 1000000000\n";
    Background sim(dir, {"--workspace", ws.string(), "--script", (dir / "script.txt").string()});
    ASSERT_TRUE(sim.wait_for_output("\"kind\":\"strip\""));
    EXPECT_EQ(sim.stop(sig), 128 + sig);
    expect_complete_log(kRows);
    const std::string err = slurp(dir / "err.txt");
    EXPECT_NE(err.find("stopped by signal " + std::to_string(sig)), std::string::npos) << err;
  }
}

TEST_F(RokanSimEnd, StopSignalEndsABatchRunThroughTheEndRoutine) {
  Background sim(dir, {"--workspace", ws.string(), "--auto", "5", "--seconds", "100000", "--vr1",
                       "5@1", "--key", "L@0", "--trace"});
  ASSERT_TRUE(sim.wait_for_output("step "));  // the program runs, logging from its start
  EXPECT_EQ(sim.stop(SIGTERM), 128 + SIGTERM);
  expect_complete_log(kRows);
}

TEST_F(RokanSimEnd, BatchRunWhosePendingLogCannotBeWrittenExitsFour) {
  fs::remove_all(log_dir);
  Outcome r = batch({"--auto", "1", "--seconds", "0.5", "--key", "L@0"});
  EXPECT_EQ(r.status, kExitLogUnsaved);  // the run itself timed out (3)
  EXPECT_NE(r.err.find("still runs after"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace rokan::test
