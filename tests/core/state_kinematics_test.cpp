#include <gtest/gtest.h>

#include <cmath>

#include "core/kinematics.h"
#include "core/param_file.h"
#include "core/sensors.h"
#include "core/servo.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::FakeHost;

struct Kinematics : ::testing::Test {
  FakeHost host;
  Controller c{host};
  void SetUp() override {
    set_default_params(c.params, c.sensor);
    for (auto& leg : c.sensor.raw)
      for (double& r : leg) r = 2048;
    read_sensors(c);
    prime_state(c);
    hold_all(c);
  }
  void expect_point(int leg, int point, double x, double y, double z) {
    const double* p = c.state.point[leg][point];
    EXPECT_NEAR(p[0], x, 1e-9);
    EXPECT_NEAR(p[1], y, 1e-9);
    EXPECT_NEAR(p[2], z, 1e-9);
  }
};

TEST_F(Kinematics, MidScaleCountsGiveTheStartPose) {
  const double expected[4][3] = {
      {kPi, 0, -kPi / 2}, {0, 0, -kPi / 2}, {kPi, 0, -kPi / 2}, {0, 0, -kPi / 2}};
  for (int leg = 0; leg < 4; ++leg)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(c.state.angle[leg][j], expected[leg][j], 1e-12);
  EXPECT_NEAR(c.state.joint_angle[0][2], -kPi / 2, 1e-12);
  expect_point(0, kBase, -101, 201, 0);
  expect_point(0, kHip, -146, 201, 0);
  expect_point(0, kKnee, -301, 201, 0);
  expect_point(0, kFoot, -301, 201, -250);
  expect_point(3, kFoot, 301, -201, -250);
  EXPECT_EQ(c.state.omega[0][0], 0);
  EXPECT_EQ(c.state.foot_vel[2][2], 0);
}

TEST_F(Kinematics, SensorScalingWrapAndPawThreshold) {
  c.sensor.raw[0][0] = 4095;
  c.sensor.paw_volt[0] = 2.0;
  c.sensor.paw_volt[1] = 2.5;
  read_sensors(c);
  EXPECT_DOUBLE_EQ(c.sensor.pt_volt[0][0], 9.9951171875);
  EXPECT_DOUBLE_EQ(c.sensor.ad[0], 9.9951171875);
  EXPECT_FALSE(c.sensor.paw[0]);
  EXPECT_TRUE(c.sensor.paw[1]);
  update_state(c);
  EXPECT_NEAR(c.state.angle[0][0] * 180 / kPi, 359.912109375, 1e-9);

  // A count that turns leg 0's theta1 negative is wrapped before differentiation.
  c.sensor.raw[0][0] = -1;  // just below 0 degrees
  read_sensors(c);
  update_state(c);
  EXPECT_GT(c.state.angle[0][0], 6.2);
  EXPECT_LE(c.state.angle[0][0], kTwoPi);
}

// 100 counts above mid-scale are 0.48828125 V: 8.7890625 degrees at a scale of 360, 4.39453125 at
// 180, 3.662109375 at 150 and 8.577913851351353 at 351.35...; each joint adds its sign and offset.
TEST_F(Kinematics, EveryJointHasItsOwnSignScaleAndOffset) {
  constexpr double kJ2 = 8.577913851351353;
  const double degrees[4][3] = {{180 + 8.7890625, -kJ2, -90 + 3.662109375},
                                {8.7890625, kJ2, -90 - 3.662109375},
                                {180 + 4.39453125, kJ2, -90 - 3.662109375},
                                {4.39453125, -kJ2, -90 + 3.662109375}};
  for (auto& leg : c.sensor.raw)
    for (double& r : leg) r = 2048 + 100;
  read_sensors(c);
  update_state(c);
  for (int leg = 0; leg < 4; ++leg)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(c.state.angle[leg][j] * 180 / kPi, degrees[leg][j], 1e-9)
          << "leg " << leg + 1 << " joint " << j + 1;

  // The origin is the voltage that reads as the joint's zero.
  for (auto& leg : c.sensor.origin)
    for (double& o : leg) o = 0.48828125;
  update_state(c);
  const double start[4][3] = {{180, 0, -90}, {0, 0, -90}, {180, 0, -90}, {0, 0, -90}};
  for (int leg = 0; leg < 4; ++leg)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(c.state.angle[leg][j] * 180 / kPi, start[leg][j], 1e-9)
          << "leg " << leg + 1 << " joint " << j + 1;
}

TEST_F(Kinematics, InverseOfTheStartFootIsTheStartPose) {
  for (int leg = 0; leg < 4; ++leg) {
    double out[3];
    ASSERT_TRUE(Position2angle(c, leg, c.state.point[leg][kFoot], out));
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(out[j], c.state.angle[leg][j], 1e-9) << leg << j;
  }
}

TEST_F(Kinematics, InverseRoundTripsThroughForwardKinematics) {
  const double targets[][3] = {{-250, 300, -200}, {-350, 150, -100}, {-200, 201, -300}};
  for (const auto& t : targets) {
    double out[3];
    ASSERT_TRUE(Position2angle(c, 0, t, out));
    RobotState st = c.state;
    for (int j = 0; j < 3; ++j) st.angle[0][j] = out[j];
    forward_leg(st, 0);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(st.point[0][kFoot][k], t[k], 1e-9);
  }
}

TEST_F(Kinematics, TargetOnTheVerticalAxisKeepsTheta1) {
  c.state.angle[1][0] = 0.3;
  double out[3];
  const double above_base[3] = {101, 201, -300};
  Position2angle(c, 1, above_base, out);
  EXPECT_DOUBLE_EQ(out[0], 0.3);
}

TEST_F(Kinematics, ReachIsNinetyFiveToFourHundredFiveFromJointTwo) {
  // Leg 1 (index 1) stretched along +x at the height of its base: L = x - 101 - 45.
  auto solve = [&](double L) {
    double t[3] = {101 + 45 + L, 201, 0};
    double out[3];
    return Position2angle(c, 1, t, out);
  };
  EXPECT_TRUE(solve(405));
  EXPECT_TRUE(solve(95.0001));
  EXPECT_FALSE(solve(405.001));
  EXPECT_FALSE(solve(94.999));
}

TEST_F(Kinematics, FailedInverseHoldsEveryLeg) {
  c.servo[2].goal[0] = 0;
  double far[3] = {1000, 0, 0}, out[3];
  EXPECT_FALSE(Position2angle(c, 1, far, out));
  for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(c.servo[2].goal[k], c.state.point[2][kFoot][k]);
  EXPECT_EQ(c.servo[2].control_mode[0], kPositionControl);
}

TEST_F(Kinematics, PositionGeneratorRespectsAccelerationThenSpeed) {
  LegServo& s = c.servo[0];
  s.inpos_count = 10;
  for (int k = 0; k < 3; ++k) s.lead[k] = s.goal[k];
  s.goal[0] -= 100;  // 100 mm away along -x
  leg_position_step(c, 0);
  EXPECT_NEAR(s.lead_velocity[0], -0.5, 1e-12);  // A_MAX * dt
  for (int i = 1; i < 200; ++i) leg_position_step(c, 0);
  EXPECT_NEAR(s.lead_velocity[0], -100, 1e-9);  // V_MAX after 200 cycles
  leg_position_step(c, 0);
  EXPECT_NEAR(s.lead_velocity[0], -100, 1e-9);
}

TEST_F(Kinematics, LeadAtTheGoalKeepsItsVelocity) {
  LegServo& s = c.servo[0];
  s.inpos_count = 10;
  // Foot far from the goal so that the in-position test fails, lead exactly on the goal.
  for (int k = 0; k < 3; ++k) s.lead[k] = s.goal[k] = c.state.point[0][kFoot][k] + 20;
  s.lead_velocity[0] = 7;
  leg_position_step(c, 0);
  EXPECT_EQ(s.lead_velocity[0], 7);
}

TEST_F(Kinematics, VelocityGeneratorFollowsTheCommandWithinLimits) {
  LegServo& s = c.servo[3];
  s.velocity_command[2] = -300;
  for (int i = 0; i < 1000; ++i) leg_velocity_step(c, 3);
  EXPECT_NEAR(s.lead_velocity[2], -100, 1e-9);
}

}  // namespace
}  // namespace rokan
