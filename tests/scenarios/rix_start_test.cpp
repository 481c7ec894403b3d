// Starting, watching and stopping a RIX program the operator's way: AUTO, 0, S. Compile errors
// and warnings, the mode line, pause, halt request, stop, the end and runtime errors.
#include <gtest/gtest.h>

#include "core/logger.h"
#include "scenarios/rix_session.h"

namespace rokan::test {
namespace {

struct RixStart : ::testing::Test {
  RixSession s{std::string("rix_start_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::string line(int i) const { return cp932_to_utf8(s.c.console.lines[i]); }
};

TEST_F(RixStart, CompileErrorStopsInEmgWithTheReportLine) {
  s.write_program("3.1\nh\nDEF_VAR X\nX = 1\nJUMP\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start();
  EXPECT_EQ(s.c.mode.mode, kEmg);
  EXPECT_EQ(s.status_line(), "[PHASE3]0001: Unknown command(JUMP).");
  EXPECT_NE(s.emg_log().find("[PHASE3]0001: Unknown command(JUMP)."), std::string::npos);
  EXPECT_EQ(s.c.mode.auto_running, 0);
}

// The second S starts what was compiled: changing the file in between changes nothing.
TEST_F(RixStart, WarningsAskForASecondSWhichStartsWithoutCompiling) {
  s.write_program("3.1\nh\nDEF_VAR UNUSED, X\nX = 1\nMESSAGE first\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start(false);
  EXPECT_EQ(s.c.mode.mode, kAuto);
  EXPECT_EQ(s.c.mode.auto_running, 0);
  EXPECT_EQ(s.c.mode.auto_step, kRixWarningsAcknowledged);
  EXPECT_EQ(line(2), "警告が発生しています．[S]:継続 [CR]:非常停止");

  s.write_program("3.1\nh\nBROKEN\nEND\n");
  s.run("key S\ntick 1\n");
  ASSERT_EQ(s.c.mode.auto_running, 1) << s.status_line();
  EXPECT_EQ(s.c.rix.warning_code, 0) << "the warning flag is cleared by the start";
  s.run_program(100);
  EXPECT_EQ(s.statuses.back(), "first");
  s.tick();
  EXPECT_EQ(s.c.mode.mode, kManual);
}

TEST_F(RixStart, ModeLineShowsThePcAndTheHaltRequest) {
  s.write_program("3.1\nh\nLOOP:\nSLEEP 0.002\nIF !HALT_REQUEST GOTO LOOP:\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  EXPECT_EQ(line(0), "AUTO");
  s.run("key 0\ntick 2\n");  // the key is taken at the end of the first cycle
  EXPECT_EQ(line(0), "AUTO: (Prog:ROKAN.RIX)");
  s.run("key S\ntick 1\n");
  EXPECT_EQ(line(2), "   [S]:自動運転停止, [ESC]:停止予約，[SPC]:一時停止，[M]: MANUAL, [CR]: EMG");
  s.tick(2);  // LABEL_CMD, then SLEEP: the line is drawn before the instruction runs
  EXPECT_EQ(line(0), "AUTO:自動プログラム動作中 [RIX:1]");
  s.tick(2);
  EXPECT_EQ(line(0), "AUTO:自動プログラム動作中 [RIX:2]");
  s.run("key ESC\ntick 1\n");
  EXPECT_EQ(s.c.mode.stop_reserved, 1);
  s.tick();
  EXPECT_EQ(line(0), "AUTO:自動プログラム動作中 [RIX:1]  終了待ち");
  s.run_program(100);
  EXPECT_EQ(s.c.mode.auto_step, RixSession::kFinishedStep);
  s.tick();
  EXPECT_EQ(s.c.mode.mode, kManual);
}

TEST_F(RixStart, SpacePausesTheProgramWithItsWaits) {
  s.write_program("3.1\nh\nDEF_VAR X\nX = 1\nSLEEP 0.010\nX = 2\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start();
  s.tick(3);  // X = 1 and two cycles of the sleep
  ASSERT_EQ(s.c.rix.pc, 1);
  s.run("key SPACE\ntick 1\n");  // this cycle still runs; the pause starts with the next
  const int32_t counter = s.c.rix.sleep_counter;
  s.tick(50);
  EXPECT_EQ(s.c.mode.mode, kAuto) << "space in a run is no emergency stop";
  EXPECT_EQ(s.c.rix.pc, 1);
  EXPECT_EQ(s.c.rix.sleep_counter, counter);
  s.run("key SPACE\ntick 1\n");
  EXPECT_EQ(s.run_program(100), 9) << "the sleep goes on where it stood";
  EXPECT_EQ(s.c.rix.vars[1].value, 2);
}

TEST_F(RixStart, SStopsTheRunAndReturnsToManual) {
  s.write_program("3.1\nh\nLOOP:\nSLEEP 1\nGOTO\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start();
  s.tick(10);
  s.run("key S\ntick 1\n");
  EXPECT_EQ(s.c.mode.mode, kManual);
  EXPECT_EQ(s.c.mode.auto_running, 0);
  EXPECT_EQ(s.c.rix.trace_on, 0) << "MANUAL switches the trace off";
  EXPECT_EQ(s.c.mode.initial_reached, 0);
}

TEST_F(RixStart, RuntimeErrorStopsInEmgWithItsReportAndResetsTheRuntime) {
  s.write_program("3.1\nh\nDEF_VAR K, X\nX = 0\nKEY_IN K\nX = K / X\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start();
  s.tick(3);
  EXPECT_EQ(s.c.mode.key_wait_active, 1);
  s.run("key 5\ntick 3\n");
  EXPECT_EQ(s.c.mode.mode, kEmg);
  EXPECT_EQ(s.status_line(), "[RIX_RUN]0002: Domain Error.");
  EXPECT_NE(s.emg_log().find("[RIX_RUN]0002: Domain Error."), std::string::npos);
  EXPECT_EQ(s.c.rix.vars[1].value, '5');
  EXPECT_EQ(s.c.rix.pc, 0) << "EMG resets the runtime";
  EXPECT_EQ(s.c.mode.key_wait_active, 0);
}

TEST_F(RixStart, SamplingLogRecordsThePcOfTheRunningProgram) {
  s.write_program("3.1\nh\nLOG_START\nSLEEP 0.003\nLOG_STOP\nEND\n");
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start();
  s.run_program(100);
  const LoggerState& log = s.c.logger;
  ASSERT_GE(log.count, 4);
  // Recorded after each cycle's instruction: LOG_START moved pc to 1, the sleep kept it there
  // and ended in pc 2, and LOG_STOP stopped the recording after its own cycle.
  std::vector<int32_t> modes;
  for (int i = 0; i < log.count; ++i) modes.push_back(log.area[i].mode);
  EXPECT_EQ(modes, (std::vector<int32_t>{1, 1, 1, 2}));
}

}  // namespace
}  // namespace rokan::test
