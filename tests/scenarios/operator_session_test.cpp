// Whole sessions through the scripted host: the operator's keys, sliders and dialog answers, with
// what the console shows, what the lamps say and what emg.log holds.
#include <gtest/gtest.h>

#include "console/console.h"
#include "scenarios/rix_session.h"

namespace rokan {
namespace {

using test::ScriptedSession;

struct OperatorSession : ::testing::Test {
  ScriptedSession s{test::current_test_name()};
  Controller& c = s.c;
  void SetUp() override { s.start(); }
};

// VR1 moves the selected leg's goal 10 mm per volt in x (core/servo has the leg follow its goal).
TEST_F(OperatorSession, Leg3UnderManualControlFollowsVr1) {
  s.run("key 3\ntick 1\ndump state\nvr1 1.5\ntick 1\ndump state\n");
  const nlohmann::json &before = s.dumps[0]["legs"][2]["goal"],
                       &after = s.dumps[1]["legs"][2]["goal"];
  EXPECT_NEAR(after[0].get<double>(), before[0].get<double>() + 15, 1e-9);
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(after[2], before[2]);
}

TEST_F(OperatorSession, InitialPostureIsReachedInOriginThenAutoOpens) {
  // Move leg 1 away first so that the move to the initial posture has work to do.
  s.run("key 1\ntick 1\nvr3 4.0\ntick 1500\nkey 0\ntick 1\nvr3 0\nkey O\ntick 1\nkey A\ntick 1\n");
  EXPECT_EQ(get_mode(c), kOrigin) << "A before the initial posture is reached does nothing";
  EXPECT_GT(c.state.point[0][kFoot][2], -235);

  s.run("key I\ntick 5\ndump strip\ndump lamps\n");
  EXPECT_EQ(s.dumps[0]["status_line"], "初期姿勢へ移動中...");
  EXPECT_EQ(s.dumps[0]["prompt_line"], "   [Q]: 中断->MANUALモード，[SPC/CR]: EMG");
  EXPECT_TRUE(s.dumps[1]["lamps"][8]) << "PTP-RUNNING/F1 while leg 1 moves";

  s.run("tick 3000\ndump lamps\ndump state\n");
  EXPECT_TRUE(s.dumps[2]["lamps"][1]);
  EXPECT_TRUE(s.dumps[2]["lamps"][4]) << "ORIGIN FINISHED";
  EXPECT_NEAR(s.dumps[3]["legs"][0]["foot"][2].get<double>(), -250, 5);

  s.run("key A\ntick 1\ndump strip\ndump lamps\n");
  EXPECT_EQ(s.dumps[4]["mode_line"], "AUTO");
  EXPECT_EQ(s.dumps[4]["prompt_line"],
            "   [M]: MANUALモード, [0]: RIX選択 [1-9]:AUTO選択, [SPC/CR]: EMG");
  EXPECT_TRUE(s.dumps[5]["lamps"][2]);
}

TEST_F(OperatorSession, CrAndSpaceAreEmergencyStops) {
  s.run("key CR\ntick 1\ndump lamps\nkey c\ntick 1\nkey O\ntick 1\nkey SPACE\ntick 1\n");
  EXPECT_TRUE(s.dumps[0]["lamps"][3]);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(s.status_line(), "EMG Key input");
  EXPECT_EQ(s.emg_log(), "EMG Key input\nEMG Key input\n");
}

TEST_F(OperatorSession, MenuWaitKeepsTheSamplingCycleRunning) {
  // A wait inside the cycle (as a menu does) runs the queued ticks as nested cycles, and the key
  // that ends the wait goes to the wait, not to a nested cycle's dispatcher.
  s.host.append(parse_script("tick 250\nkey 2\ntick 1\n"));
  const double t0 = c.cycle.elapsed;
  EXPECT_EQ(wait_key(c), '2');
  EXPECT_NEAR(c.cycle.elapsed - t0, 0.25, 1e-9);
  EXPECT_EQ(c.mode.selected_leg, -1);
  s.host.run();
  EXPECT_EQ(c.mode.selected_leg, -1) << "the key was taken by the wait";
}

// Cycles go on while the quit confirmation is open; cancel leaves the program running.
TEST_F(OperatorSession, QuitConfirmationRunsCyclesUntilItIsAnswered) {
  const uint64_t ticks = c.cycle.tick_count;
  s.run("key E\ntick 1\ntick 40\nconfirm cancel\ntick 1\n");
  EXPECT_EQ(c.cycle.tick_count, ticks + 42);
  EXPECT_FALSE(s.host.window_closed());
}

// A script that does not fit what the program waits for stops with the line and the wait named.
TEST(OperatorSessionScript, MistakesAreReportedWithTheirLineAndTheWait) {
  const struct {
    const char* script;
    std::vector<const char*> said;
  } cases[] = {
      {"tick 1\nkey Q\nkey x\nkey E\ntick 1\n# the dialog is open now\nkey x\n",
       {"line 7", "quit confirmation"}},
      {"# start\ntick 1\nkey q\n", {"after line 3", "during start-up", "キーを押してください"}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.script);
    ScriptedSession s(test::current_test_name());
    try {
      s.run(k.script);
      ADD_FAILURE() << "the script ran";
    } catch (const std::exception& e) {
      for (const char* part : k.said)
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace rokan
