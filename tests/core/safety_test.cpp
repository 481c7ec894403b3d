#include "core/safety.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/modes.h"
#include "core/servo.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

constexpr double kDeg = kPi / 180;

struct Safety : ::testing::Test {
  test::Rig rig{std::string("safety_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void SetUp() override { rig.start(); }

  // Every report since start-up (emg.log without its session header).
  std::string reports() const {
    std::ifstream in(rig.dir / "emg" / "emg.log", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = cp932_to_utf8(ss.str());
    return text.substr(text.find('\n') + 1);
  }
  std::string status() const { return cp932_to_utf8(c.console.lines[1]); }
};

TEST_F(Safety, CountBandIsTruncatedSixteenBitAndInclusive) {
  for (double ok : {4048.0, 4048.9, 48.0, 48.5}) {
    c.sensor.raw[2][1] = ok;
    safety_check(c);
    EXPECT_EQ(get_mode(c), kManual) << ok;
  }
  c.sensor.raw[2][1] = 4049;
  safety_check(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "EMG:PT_LIMIT_OVER: PT21 = 4049");

  // A negative count reads as a large 16-bit number; every joint out of the band is reported.
  c.sensor.raw[2][1] = 4000;
  safety_check(c);
  c.sensor.raw[2][1] = -1;
  c.sensor.raw[0][0] = 47.9;
  safety_check(c);
  EXPECT_EQ(reports(),
            "EMG:PT_LIMIT_OVER: PT21 = 4049\n"
            "EMG:PT_LIMIT_OVER: PT00 = 47\n"
            "EMG:PT_LIMIT_OVER: PT21 = 65535\n");

  const std::string before = reports();
  set_pt_check_off(c, true);
  c.sensor.raw[1][1] = 1e300;
  safety_check(c);
  EXPECT_EQ(reports(), before) << "the switch turns the band check off";
}

TEST_F(Safety, CountOutOfBandIsReportedWhenItStartsNotInEveryCycle) {
  c.sensor.raw[1][2] = 4090;
  for (int i = 0; i < 1000; ++i) safety_check(c);
  EXPECT_EQ(reports(), "EMG:PT_LIMIT_OVER: PT12 = 4090\n");
  EXPECT_EQ(get_mode(c), kEmg);

  // Leaving EMG with the count still out stops the robot again, and says why once more.
  set_mode(c, kManual);
  for (int i = 0; i < 1000; ++i) safety_check(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "EMG:PT_LIMIT_OVER: PT12 = 4090");
  EXPECT_EQ(reports(), "EMG:PT_LIMIT_OVER: PT12 = 4090\nEMG:PT_LIMIT_OVER: PT12 = 4090\n");

  // Back in the band and out again: a new fault, in EMG too.
  c.sensor.raw[1][2] = 2048;
  safety_check(c);
  c.sensor.raw[1][2] = 10;
  safety_check(c);
  safety_check(c);
  // The check switched off and on again finds the joint still out: reported again.
  set_pt_check_off(c, true);
  safety_check(c);
  set_pt_check_off(c, false);
  safety_check(c);
  EXPECT_EQ(reports(),
            "EMG:PT_LIMIT_OVER: PT12 = 4090\nEMG:PT_LIMIT_OVER: PT12 = 4090\n"
            "EMG:PT_LIMIT_OVER: PT12 = 10\nEMG:PT_LIMIT_OVER: PT12 = 10\n");
}

TEST_F(Safety, AngleMessagesNameLegAndJointWithDegrees) {
  double a[12];
  for (int n = 0; n < 4; ++n) {
    a[n * 3] = n % 2 ? 0 : kPi;
    a[n * 3 + 1] = 0;
    a[n * 3 + 2] = -kPi / 2;
  }
  EXPECT_EQ(angle_limit_check(c, a), 0);
  a[2] = 0;           // theta3 exactly on its bound
  a[4] = 60 * kDeg;   // theta2 exactly on its bound
  a[5] = -85 * kDeg;  // theta3 - theta2 exactly on its bound
  a[6] = 130 * kDeg;  // theta1 of leg index 2 on its lower bound
  EXPECT_EQ(angle_limit_check(c, a), 0);
  EXPECT_EQ(reports(), "");

  a[2] = 0.001;         // leg 0 theta3
  a[7] = -71 * kDeg;    // leg 2 theta2
  a[11] = -150 * kDeg;  // leg 3 theta3 (and theta3 - theta2 = -150)
  a[3] = 106 * kDeg;    // leg 1 theta1
  a[9] = -106 * kDeg;   // leg 3 theta1
  EXPECT_EQ(angle_limit_check(c, a), 1);
  EXPECT_EQ(reports(),
            "ABS_ANGLE_OVER: JOINT02 = 0.057296\n"
            "ABS_ANGLE_OVER: JOINT21 = -71.000000\n"
            "ABS_ANGLE_OVER: JOINT32 = -150.000000\n"
            "REL_ANGLE_OVER: JOINT32 = -150.000000\n"
            "ABS_ANGLE_OVER: JOINT10 = 106.000000\n"
            "ABS_ANGLE_OVER: JOINT30 = -106.000000\n");
  EXPECT_EQ(get_mode(c), kManual) << "the check itself does not stop";
}

TEST_F(Safety, AngleLimitLatchesUntilTheInitialPosture) {
  c.state.angle[1][0] = 2.0;  // beyond 105 deg on leg index 1
  safety_check(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "EMG:ANGLE_LIMIT");
  EXPECT_TRUE(c.safety.angle_latch);
  const std::string once = reports();

  set_mode(c, kManual);
  safety_check(c);
  EXPECT_EQ(reports(), once) << "latched: no further messages";
  EXPECT_EQ(get_mode(c), kManual);

  // While latched, MANUAL neither takes a leg nor follows VR1..VR3.
  key_char(c, '1');
  key_dispatch(c);
  EXPECT_EQ(c.mode.selected_leg, -1);
}

TEST_F(Safety, GoalAnglesOutOfRangeRestartManualButStopOtherModes) {
  c.mode.selected_leg = 2;
  c.servo[0].ref_angle[1] = 1.1;  // theta2 above 60 deg
  c.servo[0].goal[0] = 0;
  safety_check(c);
  EXPECT_EQ(get_mode(c), kManual);
  EXPECT_EQ(c.mode.selected_leg, -1) << "MANUAL is entered again";
  EXPECT_FALSE(c.safety.angle_latch);
  EXPECT_EQ(c.servo[0].goal[0], c.state.point[0][kFoot][0]) << "goals held";
  EXPECT_EQ(reports(),
            "ABS_ANGLE_OVER: JOINT01 = 63.025357\n"
            "REL_ANGLE_OVER: JOINT02 = -153.025357\n");

  set_mode(c, kOrigin);
  c.servo[3].ref_angle[2] = 0.2;
  safety_check(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "EMG:REF_ANGLE_LIMIT");
  EXPECT_TRUE(c.safety.angle_latch);
}

TEST_F(Safety, OverRunStopsOnlyWhenEnabledAndNotInEmg) {
  c.safety.over_run = true;
  c.params.over_run_enable = false;
  safety_check(c);
  EXPECT_EQ(get_mode(c), kManual);

  c.params.over_run_enable = true;
  safety_check(c);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "Timer_OVERRUN");
  safety_check(c);
  EXPECT_EQ(reports(), "Timer_OVERRUN\n");
}

TEST_F(Safety, AlarmClearEndsTheStopOfOneOverRun) {
  rig.host.clock_step = 0.002;  // the next cycle's control work outlasts SAMPLING_TIME
  rig.ticks(1);
  rig.host.clock_step = 0;
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "Timer_OVERRUN");

  key_char(c, 'C');
  rig.ticks(1);  // the key is taken by this cycle's dispatcher
  EXPECT_EQ(get_mode(c), kManual);
  rig.ticks(100);
  EXPECT_EQ(get_mode(c), kManual) << "no new over-run, no new stop";
  EXPECT_EQ(reports(), "Timer_OVERRUN\n");
  EXPECT_TRUE(c.logger.over_run) << "the next sampling log still notes the over-run";

  rig.host.clock_step = 0.002;
  rig.ticks(1);
  EXPECT_EQ(get_mode(c), kEmg) << "a new over-run stops again";
}

}  // namespace
}  // namespace rokan
