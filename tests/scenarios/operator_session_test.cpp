// Whole sessions through the scripted host: the operator's keys, sliders and dialog answers, with
// what the console shows, what the lamps say and what emg.log holds.
#include <gtest/gtest.h>

#include "console/console.h"
#include "support/scripted_session.h"

namespace rokan {
namespace {

using test::ScriptedSession;

std::string test_name() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

struct OperatorSession : ::testing::Test {
  ScriptedSession s{test_name()};
  Controller& c = s.c;
  void SetUp() override { s.start(); }
  const nlohmann::json& last_dump() const { return s.dumps.back(); }
};

TEST_F(OperatorSession, Leg3UnderManualControlFollowsVr1) {
  s.run("key 3\ntick 1\ndump state\n");
  const nlohmann::json before = last_dump()["legs"][2];
  EXPECT_EQ(last_dump()["selected_leg"], 2);
  // Taking the leg does not move it.
  EXPECT_EQ(before["goal"], before["foot"]);

  s.run("vr1 1.5\ntick 1\ndump state\n");
  const double x0 = before["goal"][0];
  EXPECT_NEAR(last_dump()["legs"][2]["goal"][0].get<double>(), x0 + 15, 1e-9);
  EXPECT_EQ(last_dump()["legs"][2]["goal"][1], before["goal"][1]);

  s.run("tick 2000\ndump state\ndump strip\n");
  const nlohmann::json& leg = s.dumps[2]["legs"][2];
  EXPECT_NEAR(leg["foot"][0].get<double>(), x0 + 15, 0.1);
  EXPECT_NEAR(leg["foot"][2].get<double>(), before["foot"][2].get<double>(), 0.1);
  EXPECT_EQ(s.dumps[3]["status_line"], "leg_control: 3");
  // The other legs had no servo pass and did not move.
  EXPECT_EQ(s.dumps[2]["legs"][0]["raw"], nlohmann::json({2048.0, 2048.0, 2048.0}));
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
  s.run("key CR\ntick 1\ndump strip\ndump lamps\ndump state\n");
  EXPECT_EQ(s.dumps[0]["mode_line"], "EMG");
  EXPECT_EQ(s.dumps[0]["status_line"], "EMG Key input");
  EXPECT_TRUE(s.dumps[1]["lamps"][3]);
  EXPECT_EQ(s.dumps[2]["legs"][3]["control_mode"], nlohmann::json({0, 0, 0}));

  s.run("key c\ntick 1\nkey O\ntick 1\nkey SPACE\ntick 1\n");
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(s.emg_log(), "EMG Key input\nEMG Key input\n");
}

TEST_F(OperatorSession, CountOutOfTheBandStopsAndIsLoggedEveryCycle) {
  c.sensor.raw[1][2] = 4049.5;
  s.run("tick 2\n");
  EXPECT_EQ(get_mode(c), kEmg);
  const std::string log = s.emg_log();
  EXPECT_EQ(log.find("EMG:PT_LIMIT_OVER: PT12 = 4049\n"), 0u) << log;
  EXPECT_NE(log.find("EMG:PT_LIMIT_OVER: PT12 = 4049", 1), std::string::npos)
      << "reported again in the second cycle";

  c.safety.pt_check_off = 1;
  const std::size_t size = s.emg_log().size();
  s.run("tick 3\n");
  EXPECT_EQ(s.emg_log().size(), size);
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

TEST_F(OperatorSession, QuitConfirmationRunsCyclesAndCanBeCancelled) {
  s.run("key O\ntick 1\nkey E\ntick 1\n");
  EXPECT_EQ(get_mode(c), kManual) << "E outside MANUAL and EMG only returns to MANUAL";

  const uint64_t ticks = c.cycle.tick_count;
  s.run("key E\ntick 1\ntick 40\nconfirm cancel\ntick 1\n");
  EXPECT_EQ(c.cycle.tick_count, ticks + 42);
  EXPECT_FALSE(s.host.window_closed());

  s.run("key e\ntick 1\nconfirm ok\ntick 5\ndump state\n");
  EXPECT_TRUE(s.host.window_closed());
  EXPECT_TRUE(s.dumps.empty()) << "nothing runs after the main window closed";
  EXPECT_EQ(c.console.emg_log, nullptr);
}

TEST_F(OperatorSession, ScriptMistakesAreReportedWithTheirLine) {
  try {
    s.run("key E\ntick 1\n# the dialog is open now\nkey x\n");
    FAIL() << "a key while the quit confirmation is open";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.line(), 4);
    EXPECT_NE(std::string(e.what()).find("quit confirmation"), std::string::npos);
  }
}

TEST(OperatorSessionStart, ScriptEndingInTheStartUpWaitSaysWhere) {
  ScriptedSession s(test_name());
  try {
    s.run("# start\ntick 1\nkey q\n");
    FAIL() << "the start-up wait found no key";
  } catch (const ScriptExhausted& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("after line 3"), std::string::npos) << what;
    EXPECT_NE(what.find("during start-up"), std::string::npos) << what;
    EXPECT_NE(what.find("キーを押してください"), std::string::npos) << what;
  }
}

}  // namespace
}  // namespace rokan
