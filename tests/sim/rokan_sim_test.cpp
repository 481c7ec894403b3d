// rokan-sim as a process: arguments, exit status, JSON output and determinism.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct SimRun {
  int status = -1;
  std::vector<std::string> out;  // stdout lines
  std::string err;
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct RokanSim : ::testing::Test {
  fs::path dir =
      fs::temp_directory_path() /
      (std::string("rokan_sim_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path ws = dir / "ws";

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs rokan-sim with `args`; the script goes to a file passed as --script, or to stdin.
  SimRun run(const std::string& script, const std::string& args, bool on_stdin = false) {
    std::ofstream(dir / "script.txt", std::ios::binary) << script;
    std::string cmd = std::string(ROKAN_BIN_DIR) + "/rokan-sim " + args;
    cmd += on_stdin ? " < " : " --script ";
    cmd += (dir / "script.txt").string() + " > " + (dir / "out.txt").string() + " 2> " +
           (dir / "err.txt").string();
    SimRun r;
    int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    std::istringstream out(slurp(dir / "out.txt"));
    for (std::string line; std::getline(out, line);) r.out.push_back(line);
    r.err = slurp(dir / "err.txt");
    return r;
  }
  SimRun run_in_workspace(const std::string& script, bool on_stdin = false) {
    return run(script, "--workspace " + ws.string(), on_stdin);
  }
};

std::vector<std::string> keys_of(const nlohmann::ordered_json& j) {
  std::vector<std::string> keys;
  for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
  return keys;
}

TEST_F(RokanSim, DumpsOneJsonObjectPerLineWithTheDocumentedKeys) {
  SimRun r = run_in_workspace(
      "tick 1\nkey Q\nkey x\nkey 3\ntick 5\ndump state\ndump strip\ndump screen\ndump lamps\n");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.out.size(), 4u);
  auto state = nlohmann::ordered_json::parse(r.out[0]);
  EXPECT_EQ(keys_of(state),
            (std::vector<std::string>{"kind", "tick", "time", "mode", "selected_leg", "legs"}));
  // The start-up tick runs a cycle of its own after the start-up sequence.
  EXPECT_EQ(state["tick"], 6);
  EXPECT_NEAR(state["time"].get<double>(), 0.006, 1e-12);
  EXPECT_EQ(state["mode"], "MANUAL");
  EXPECT_EQ(state["selected_leg"], 2);
  ASSERT_EQ(state["legs"].size(), 4u);
  EXPECT_EQ(keys_of(state["legs"][0]),
            (std::vector<std::string>{"angle", "foot", "goal", "raw", "order", "control_mode",
                                      "pending"}));
  EXPECT_EQ(state["legs"][0]["raw"][0], 2048.0);

  auto strip = nlohmann::ordered_json::parse(r.out[1]);
  EXPECT_EQ(keys_of(strip),
            (std::vector<std::string>{"kind", "mode_line", "status_line", "prompt_line"}));
  EXPECT_EQ(strip["status_line"], "leg_control: 3");
  auto screen = nlohmann::ordered_json::parse(r.out[2]);
  ASSERT_EQ(screen["lines"].size(), 25u);
  EXPECT_EQ(screen["lines"][10], "キーを押してください．");
  EXPECT_EQ(nlohmann::ordered_json::parse(r.out[3])["lamps"].size(), 12u);
}

TEST_F(RokanSim, SameScriptGivesTheSameOutput) {
  const std::string script =
      "tick 1\nkey Q\nkey x\nkey 1\ntick 1\nvr2 -2.5\ntick 800\ndump state\n";
  SimRun a = run_in_workspace(script);
  fs::remove_all(ws);
  fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  SimRun b = run_in_workspace(script);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.out, b.out);
}

TEST_F(RokanSim, QuitsFromStandardInputWithStatusZero) {
  SimRun r = run_in_workspace(
      "tick 1\nkey Q\nkey x\nkey CR\ntick 1\nkey E\ntick 1\nconfirm ok\ndump strip\n", true);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.empty()) << "nothing runs after quitting";
  EXPECT_NE(r.err.find("\a\a"), std::string::npos) << "the EMG report rings on stderr";
  EXPECT_NE(slurp(ws / "emg" / "emg.log").find("EMG Key input\n"), std::string::npos);
}

TEST_F(RokanSim, ScriptProblemsExitWithStatusTwoAndSayWhere) {
  SimRun bad = run_in_workspace("tick 1\nkey Q\nkey x\ndump everything\n");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("line 4"), std::string::npos) << bad.err;
  EXPECT_TRUE(bad.out.empty()) << "a malformed script does not run";

  SimRun wait = run_in_workspace("tick 1\nkey Q\nkey x\nkey E\ntick 1\ntick 3\n");
  EXPECT_EQ(wait.status, 2);
  EXPECT_NE(wait.err.find("after line 6"), std::string::npos) << wait.err;
  EXPECT_NE(wait.err.find("quit confirmation"), std::string::npos) << wait.err;
}

TEST_F(RokanSim, ArgumentsAndWorkspaceAreChecked) {
  EXPECT_EQ(run("tick 1\n", "").status, 2);
  EXPECT_EQ(run("tick 1\n", "--workspace " + (dir / "none").string()).status, 2);
  // A workspace without its emg directory: the program itself ends with status 1.
  fs::remove_all(ws / "emg");
  SimRun r = run_in_workspace("tick 1\nkey Q\nkey x\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Can not open file (emg.log)"), std::string::npos);
}

}  // namespace
