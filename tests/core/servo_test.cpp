#include "core/servo.h"

#include <gtest/gtest.h>

#include "core/modes.h"
#include "core/param_file.h"
#include "core/sensors.h"
#include "motion/motion.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::Rig;

struct Servo : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void SetUp() override { rig.start(); }
};

TEST_F(Servo, NoVoltageWithoutAServoPass) {
  c.servo[1].goal[0] += 50;
  const double before = c.sensor.raw[1][0];
  rig.ticks(20);
  EXPECT_EQ(c.sensor.raw[1][0], before);
}

TEST_F(Servo, SaturatedOrderMovesTheCountByAFixedStep) {
  c.mode.selected_leg = 0;
  LegServo& s = c.servo[0];
  // Velocity control with a zero command keeps the lead where it is; then tilt the reference.
  s.control_mode[0] = s.control_mode[1] = s.control_mode[2] = kVelocityControl;
  for (int k = 0; k < 3; ++k) s.lead[k] = c.state.point[0][kFoot][k];
  const double before = c.sensor.raw[0][0];
  c.state.angle[0][0] -= 0.1;  // present theta1 0.1 rad short of the reference
  control(c);
  EXPECT_DOUBLE_EQ(s.order[0], -2.0);  // KM -30 * 0.1 = -3, limited to -2
  EXPECT_NEAR(c.sensor.raw[0][0] - before, 0.73596, 1e-9);
}

TEST_F(Servo, InPositionNeedsTenPassingCalls) {
  LegServo& s = c.servo[2];
  s.inpos_count = 10;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(leg_in_position(c, 2), 0);
  EXPECT_EQ(leg_in_position(c, 2), 1);
  s.goal[2] -= 6;  // beyond POSITION_ERR 5 mm
  EXPECT_EQ(leg_in_position(c, 2), 0);
  EXPECT_EQ(s.inpos_count, 10);
  s.inpos_count = -4;  // a negative counter restarts at 0: the first pass counts
  s.goal[2] += 6;
  EXPECT_EQ(leg_in_position(c, 2), 1);
  EXPECT_EQ(leg_near(c, 2), 1);
}

TEST_F(Servo, AllLegsStopsAtTheFirstLegOutOfPosition) {
  c.servo[0].goal[0] += 10;
  c.servo[1].inpos_count = 3;
  EXPECT_EQ(all_legs_in_position(c), 0);
  EXPECT_EQ(c.servo[1].inpos_count, 3);
  EXPECT_EQ(all_legs_near(c), 0);
  EXPECT_EQ(all_joints_in_position(c), 1);  // no joint is under joint angle control
  EXPECT_EQ(all_joints_near(c), 0);
}

TEST_F(Servo, HoldAllFreezesGoalsAtThePresentState) {
  c.servo[3].goal[1] = 999;
  c.servo[3].order[2] = 1.5;
  c.servo[3].control_mode[0] = kVelocityControl;
  hold_all(c);
  EXPECT_DOUBLE_EQ(c.servo[3].goal[1], c.state.point[3][kFoot][1]);
  EXPECT_EQ(c.servo[3].order[2], 0);
  EXPECT_EQ(c.servo[3].control_mode[0], kPositionControl);
  EXPECT_DOUBLE_EQ(c.servo[3].ref_angle[2], c.state.angle[3][2]);
}

TEST_F(Servo, SelectedLegFollowsAMovedGoal) {
  c.mode.selected_leg = 1;
  const double* foot = c.state.point[1][kFoot];
  double start_x = foot[0];
  ASSERT_EQ(move_leg_to(c, 1, start_x + 30, foot[1], foot[2]), 1);
  c.mode.manual_sub_mode = 0;  // keep the operator input from rewriting the goal
  rig.ticks(3000);
  EXPECT_EQ(c.console.lines[1], "leg_control: 2");  // no report replaced the status line
  EXPECT_NEAR(c.state.point[1][kFoot][0], start_x + 30, 5.0);
  EXPECT_EQ(c.mode.mode, kManual);
}

}  // namespace
}  // namespace rokan
