#include "core/modes.h"

#include <gtest/gtest.h>

#include "console/console.h"
#include "core/servo.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

struct Modes : ::testing::Test {
  test::Rig rig{std::string("modes_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void SetUp() override { rig.start(); }

  int press(int ch) {
    key_char(c, ch);
    return key_dispatch(c);
  }
  std::string line(int i) const { return cp932_to_utf8(c.console.lines[i]); }
  void enter_auto() {
    set_mode(c, kOrigin);
    c.mode.initial_reached = 1;
    press('A');
    ASSERT_EQ(get_mode(c), kAuto);
  }
};

TEST_F(Modes, EveryModeDrawsItsLinesAndSetsTheLegs) {
  EXPECT_EQ(line(2), "   [1-4]: leg(VR1～3), [0]: 制御停止, [O]: ORIGIN, [E]: 終了，[SPC/CR]: EMG");
  set_mode(c, kOrigin);
  EXPECT_EQ(line(0), "ORIGIN");
  EXPECT_EQ(line(2), "   [C]: 原点CLR, [I]: 初期姿勢へ, [M]: MANUAL, [A]:AUTO, [SPC/CR]: EMG");

  c.mode.program_no = 3;
  set_mode(c, kAuto);
  EXPECT_EQ(line(2), "   [M]: MANUALモード, [S]: AUTO自動運転開始, [SPC/CR]: EMG");
  c.mode.program_no = 0;
  set_mode(c, kAuto);
  EXPECT_EQ(line(2), "   [M]: MANUALモード, [S]: RIX自動運転開始, [SPC/CR]: EMG");

  c.servo[2].pending = 1;
  c.mode.initial_reached = 1;
  set_mode(c, kEmg);
  EXPECT_EQ(line(0), "EMG");
  EXPECT_EQ(line(1), "");
  EXPECT_EQ(line(2), "   [C]: アラームクリア, [SPC/CR]: EMG，[O]: メニュー  [E]: 終了");
  EXPECT_EQ(c.servo[2].pending, 0);
  EXPECT_EQ(c.mode.initial_reached, 0);
  for (const LegServo& s : c.servo) EXPECT_EQ(s.control_mode[0], kNoControl);

  c.params.active.b1.v_max[1] = 1;
  set_mode(c, kManual);
  EXPECT_EQ(c.params.active.b1.v_max[1], c.params.file.b1.v_max[1]) << "limits restored";
  for (const LegServo& s : c.servo) EXPECT_EQ(s.control_mode[2], kPositionControl);
}

TEST_F(Modes, ModeOutsideTheFourStops) {
  set_mode(c, static_cast<Mode>(7));
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(line(1), "ABNORMAL_MODE");
}

TEST_F(Modes, ManualTakesOneLegAtATimeWithoutMovingIt) {
  c.sensor.vr[0] = 1.2;
  press('1');
  EXPECT_EQ(c.mode.selected_leg, 0);
  EXPECT_EQ(c.sensor.vr_org[0], 1.2);
  press('2');
  EXPECT_EQ(c.mode.selected_leg, 0) << "a leg is already selected";

  manual_input_step(c);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.servo[0].goal[i], c.mode.position_org[0][i]);
  c.sensor.vr[2] = 2.2;
  manual_input_step(c);
  EXPECT_NEAR(c.servo[0].goal[2], c.mode.position_org[0][2] + 11, 1e-9);  // 5 mm per V

  press('0');
  EXPECT_EQ(c.mode.selected_leg, -1);
  press('2');
  EXPECT_EQ(c.mode.selected_leg, 1);
}

TEST_F(Modes, ManualInputRefusesAnUnknownSubMode) {
  press('4');
  c.mode.manual_sub_mode = 6;
  manual_input_step(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(line(1), "MANUAL_MODE: abnormal parameter!");
}

TEST_F(Modes, QuitIsOfferedInManualAndEmgOnly) {
  EXPECT_EQ(press('e'), 1);
  press('\r');
  EXPECT_EQ(press('E'), 1);
  press('c');
  press('O');
  EXPECT_EQ(press('E'), 0);
  EXPECT_EQ(get_mode(c), kManual) << "E leaves ORIGIN for MANUAL";
}

TEST_F(Modes, AutoSelectsOnlyNamedPrograms) {
  enter_auto();
  press('7');
  EXPECT_EQ(c.mode.program_no, -1);
  press('S');
  EXPECT_EQ(c.mode.auto_running, 0) << "S needs a chosen program";
  press('5');
  EXPECT_EQ(c.mode.program_no, 5);
  EXPECT_EQ(line(2), "   [S]:AUTO自動運転開始, [1-9]: Prog_no, [M]: MANUAL, [CR]: EMG");
  leg_control(c);
  EXPECT_EQ(line(0), "AUTO: (Prog:5 = バタフライ型（中間なし）)");
  press('0');
  leg_control(c);
  EXPECT_EQ(line(0), "AUTO: (Prog:ROKAN.RIX)");
  EXPECT_EQ(c.mode.program_is_rix, 1);
}

TEST_F(Modes, RunningProgramPausesReservesStopAndStops) {
  enter_auto();
  press('1');
  press('S');
  EXPECT_EQ(c.mode.auto_running, 1);
  EXPECT_EQ(line(2), "   [S]:自動運転停止, [ESC]:停止予約，[SPC]:一時停止，[M]: MANUAL, [CR]: EMG");
  press(' ');
  EXPECT_EQ(c.mode.auto_paused, 1) << "space pauses a run instead of stopping";
  key_release(c, 27);
  key_dispatch(c);
  EXPECT_EQ(c.mode.stop_reserved, 1);
  EXPECT_EQ(line(2), "   [Q/S]:自動運転停止->MANUAL, [SPC]:一時停止，[CR]: EMG");
  leg_control(c);
  EXPECT_EQ(line(0), "AUTO:自動プログラム動作中 [1:0]  終了待ち");
  EXPECT_EQ(get_mode(c), kAuto) << "a paused program does not step";

  press('s');
  EXPECT_EQ(get_mode(c), kManual);
  EXPECT_EQ(c.mode.initial_reached, 0);
}

// A program step that fails (here: an AUTO step that no program owns) stops the run in EMG.
TEST_F(Modes, FailingProgramStepStopsInEmg) {
  enter_auto();
  press('9');
  press('S');
  c.mode.auto_step = 200;
  leg_control(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(line(1), "EMG:Strategy_routine_runtime_error");
}

TEST_F(Modes, KeyWaitCapturesKeysAndCrStillStops) {
  c.mode.key_wait_active = 1;
  press('o');
  EXPECT_EQ(c.mode.captured_key, 'O');
  EXPECT_EQ(get_mode(c), kManual) << "captured keys are not dispatched";
  press('\r');
  EXPECT_EQ(c.mode.captured_key, 13);
  EXPECT_EQ(c.mode.key_wait_active, 0);
  EXPECT_EQ(get_mode(c), kEmg);
}

TEST_F(Modes, DispatcherLeavesTheKeyToAWaitInProgress) {
  c.console.wait_depth = 1;
  EXPECT_EQ(press('\r'), 0);
  EXPECT_TRUE(c.console.key_hit);
  EXPECT_EQ(get_mode(c), kManual);
  c.console.wait_depth = 0;
}

TEST_F(Modes, LoggingAndInformationKeys) {
  press(';');
  EXPECT_EQ(c.logger.state, kLogOneShot);
  press('L');
  EXPECT_EQ(c.logger.state, kLogContinuous);
  press('l');
  EXPECT_EQ(c.logger.state, kLogOff);

  press('T');
  c.console.info_page = 7;
  press('\t');  // Tab pages round while the display is on
  EXPECT_EQ(c.console.info_page, 0);
  c.console.screen[3] = "x";
  press('t');
  EXPECT_EQ(c.console.info_display, 0);
  EXPECT_EQ(c.console.screen[3], "");
}

}  // namespace
}  // namespace rokan
