// rokan-sim's script mode as a process: JSON output, determinism, and the exit status of each way
// a run ends.
#include <nlohmann/json.hpp>

#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

struct RokanSim : SimWorkspace {
  // The script is passed as --script, or on standard input when `args` ends in "<".
  Outcome run(const std::string& script, const std::string& args = "--workspace ws --script") {
    std::ofstream(dir / "script.txt", std::ios::binary) << script;
    return sim(args + " script.txt");
  }
};

std::vector<std::string> keys_of(const nlohmann::ordered_json& j) {
  std::vector<std::string> keys;
  for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
  return keys;
}

TEST_F(RokanSim, DumpsOneJsonObjectPerLineWithTheDocumentedKeys) {
  Outcome r =
      run("tick 1\nkey Q\nkey x\nkey 3\ntick 5\ndump state\ndump strip\ndump screen\ndump lamps\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> out = lines_of(r.out);
  ASSERT_EQ(out.size(), 4u);
  auto state = nlohmann::ordered_json::parse(out[0]);
  EXPECT_EQ(keys_of(state),
            (std::vector<std::string>{"kind", "tick", "time", "mode", "selected_leg", "legs"}));
  // The start-up tick runs a cycle of its own after the start-up sequence.
  EXPECT_EQ(state["tick"], 6);
  EXPECT_NEAR(state["time"].get<double>(), 0.006, 1e-12);
  EXPECT_EQ(state["mode"], "MANUAL");
  ASSERT_EQ(state["legs"].size(), 4u);
  EXPECT_EQ(keys_of(state["legs"][0]),
            (std::vector<std::string>{"angle", "foot", "goal", "raw", "order", "control_mode",
                                      "pending"}));
  EXPECT_EQ(keys_of(nlohmann::ordered_json::parse(out[1])),
            (std::vector<std::string>{"kind", "mode_line", "status_line", "prompt_line"}));
  auto screen = nlohmann::ordered_json::parse(out[2]);
  ASSERT_EQ(screen["lines"].size(), 25u);
  EXPECT_EQ(screen["lines"][9], "[ROKANシステム初期化完了]");
  EXPECT_EQ(screen["lines"][10], "");  // the start-up's "press a key" has been answered
  EXPECT_EQ(nlohmann::ordered_json::parse(out[3])["lamps"].size(), 12u);
}

TEST_F(RokanSim, SameScriptGivesTheSameOutput) {
  const std::string script =
      "tick 1\nkey Q\nkey x\nkey 1\ntick 1\nvr2 -2.5\ntick 800\ndump state\n";
  Outcome a = run(script);
  fs::remove_all(ws);
  fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  Outcome b = run(script);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.out, b.out);
}

// One run per way script mode ends; none of them writes anything on standard output.
TEST_F(RokanSim, EachWayARunEndsHasItsExitStatus) {
  const struct {
    const char* script;
    const char* args;
    int status;
    const char* err_has;
  } cases[] = {
      // Quitting through the confirmation ends the run: the last dump does not happen. The
      // EMG report of CR rings on stderr.
      {"tick 1\nkey Q\nkey x\nkey CR\ntick 1\nkey E\ntick 1\nconfirm ok\ndump strip\n",
       "--workspace ws <", 0, "\a\a"},
      // A malformed script does not run, not even up to the bad line.
      {"tick 1\nkey Q\nkey x\ndump strip\ndump everything\n", "--workspace ws --script", 2,
       "script.txt: line 5: "},
      {"tick 1\nkey Q\nkey x\nkey E\ntick 1\ntick 3\n", "--workspace ws --script", 2,
       "the script ended after line 6 while the program waits for"},
      {"tick 1\n", "--script", 2, "--workspace DIR is required"},
      {"tick 1\n", "--workspace none --script", 2, "cannot enter the workspace 'none'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    Outcome r = run(c.script, c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.err_has), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_NE(slurp(ws / "emg" / "emg.log").find("EMG Key input\n"), std::string::npos);

  // Without its emg directory the program itself ends, with its own status.
  fs::remove_all(ws / "emg");
  Outcome r = run("tick 1\nkey Q\nkey x\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Can not open file (emg.log)"), std::string::npos) << r.err;
}

// A controller that ends by itself fails the run and says why, instead of dropping the rest of
// the script in silence.
TEST_F(RokanSim, AProgramThatEndsItselfExitsOneWithTheReason) {
  const std::string script = "tick 1\nkey Q\nkey x\ntick 5\ndump state\n";
  fs::remove(ws / "user.ini");
  Outcome r = run(script);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("script.txt: the program ended itself at line 1: "
                       "ユーザー情報管理ファイルが存在しません．\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("the rest of the script was not run"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

// MAX_BUF asks for more than the process may have: start-up ends the program. The address space
// is limited for the run, which AddressSanitizer's own reservations do not allow.
TEST_F(RokanSim, ALogAreaThatCannotBeAllocatedExitsOneWithTheReason) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address space limit would stop AddressSanitizer itself";
#endif
  std::ofstream(ws / "DEFAULT" / "init" / "rokan.ini")
      << "ARDO_VERSION\t4.20\nMAX_BUF\t2000000000\n";
  std::ofstream(dir / "script.txt") << "tick 1\nkey Q\nkey x\ntick 5\ndump state\n";
  const std::string cmd = "cd " + dir.string() + " && ulimit -v 2000000 && " + ROKAN_BIN_DIR +
                          "/rokan-sim --workspace ws --script script.txt > out.txt 2> err.txt";
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  const std::string err = slurp(dir / "err.txt");
  EXPECT_NE(err.find("ERROR: ログ領域の確保に失敗しました(64byte x 2000000000data)."),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("script.txt: the program ended itself at line 2: "
                     "サンプリングデータ領域が確保できませんでした(MAX_BUFを小さくして下さい)"),
            std::string::npos)
      << err;
  EXPECT_EQ(slurp(dir / "out.txt"), "");
}

}  // namespace
}  // namespace rokan::test
