// Motion commands stepped on their own (no servo pass between the steps): the goals they hand
// to the motion layer, the limits and tolerances they set, and the counting in-position test.
#include <gtest/gtest.h>

#include "core/servo.h"
#include "rix/runtime_support.h"

namespace rokan::test {
namespace {

using namespace rix;

struct MotionCommands : ::testing::Test {
  RuntimeRig r{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  const double* foot(int leg) { return r.c.state.point[leg][kFoot]; }
  const double* goal(int leg) { return r.c.servo[leg].goal; }
};

// The leg stands on its target from the start, so every test passes; the tenth completes.
TEST_F(MotionCommands, WaitInposCompletesOnTheTenthPassingTest) {
  r.load({ins(PTP, target_leg(1), {{REL_CONSTANT, 0}, {REL_CONSTANT, 0}, {REL_CONSTANT, 0}}),
          ins(WAIT_INPOS, target_leg(1)), ins(END)});
  ASSERT_TRUE(r.step());
  for (int test = 1; test <= 9; ++test) {
    ASSERT_TRUE(r.step());
    EXPECT_EQ(r.c.rix.pc, 1) << "after test " << test;
  }
  ASSERT_TRUE(r.step());
  EXPECT_EQ(r.c.rix.pc, 2);
}

TEST_F(MotionCommands, PtpBuildsTheGoalFromEveryOperandForm) {
  RixImage& im = r.c.rix;
  r.load({ins(PTP, target_leg(1), {{POS, 0}}), ins(PTP, target_leg(2), {{M_REL_POS, 0}}),
          ins(PTP, target_leg(3), {var(1), {M_VAR, 1}, {REL_VAR, 1}}),
          ins(PTP, target_leg(4), {{POS_Y, 0}, {M_REL_POS_Z, 0}, {REL_CONSTANT, 10}}), ins(END)});
  im.pos[0] = {"P", {-300, 200, -240}, 0};
  r.value(1) = 7;
  r.run();
  ASSERT_EQ(im.error_code, 0) << r.report();
  EXPECT_EQ(goal(0)[0], -300);
  EXPECT_EQ(goal(0)[2], -240);
  EXPECT_EQ(goal(1)[0], foot(1)[0] + 300);
  EXPECT_EQ(goal(1)[1], foot(1)[1] - 200);
  EXPECT_EQ(goal(2)[0], 7);
  EXPECT_EQ(goal(2)[1], -7);
  EXPECT_EQ(goal(2)[2], foot(2)[2] + 7);
  EXPECT_EQ(goal(3)[0], 200);
  EXPECT_EQ(goal(3)[1], foot(3)[1] + 240);
  EXPECT_EQ(goal(3)[2], foot(3)[2] + 10);
  for (const LegServo& s : r.c.servo) EXPECT_EQ(s.pending, 1);
}

TEST_F(MotionCommands, SlowTwiceGivesAQuarterOfTheFirstReferenceValue) {
  Params& p = r.c.params;
  const double first = p.auto_ref.b1.v_max[1];
  ASSERT_GT(first, 0);
  r.load({ins(SET_V_MAX_SLOW, target_leg(2)), ins(SET_V_MAX_SLOW, target_leg(2)),
          ins(SET_A_MAX, TARGET_ALL, {constant(300)}), ins(SET_A_MAX_FAST, target_leg(1)),
          ins(SET_A_MAX_RATE, target_leg(4), {constant(50)}), ins(END)});
  r.run();
  ASSERT_EQ(r.c.rix.error_code, 0) << r.report();
  EXPECT_DOUBLE_EQ(p.active.b1.v_max[1], first / 4);
  EXPECT_DOUBLE_EQ(p.auto_ref.b1.v_max[1], first / 4) << "the new reference value";
  EXPECT_DOUBLE_EQ(p.active.b1.v_max[0], first) << "other legs keep theirs";
  EXPECT_DOUBLE_EQ(p.active.b1.a_max[0], 450);
  EXPECT_DOUBLE_EQ(p.active.b1.a_max[2], 300);
  EXPECT_DOUBLE_EQ(p.active.b1.a_max[3], 150);
}

// Three values after a leg (or ALL) set that leg's three joints one by one, in degrees; a joint
// takes one value, and every value must be above 0.
TEST_F(MotionCommands, AngleTolerancesTakeOneValuePerJointOfALeg) {
  r.compile(
      "DEF_VAR V\nV = 6\nSET_JUST_ANGLE F2 1 2 3\nSET_NEAR_ANGLE ALL 4 5 V\n"
      "SET_JUST_ANGLE J43 9\nEND");
  r.run();
  ASSERT_EQ(r.c.rix.error_code, 0) << r.report();
  const LimitBlock2& b = r.c.params.active.b2;
  const double deg = kPi / 180;
  EXPECT_DOUBLE_EQ(b.angle_err[1][0], 1 * deg);
  EXPECT_DOUBLE_EQ(b.angle_err[1][1], 2 * deg);
  EXPECT_DOUBLE_EQ(b.angle_err[1][2], 3 * deg);
  EXPECT_DOUBLE_EQ(b.angle_err[3][2], 9 * deg);
  EXPECT_DOUBLE_EQ(b.angle_err[3][1], 3 * deg) << "the default stays on the other joints";
  for (int leg = 0; leg < 4; ++leg) {
    EXPECT_DOUBLE_EQ(b.angle_err_near[leg][0], 4 * deg);
    EXPECT_DOUBLE_EQ(b.angle_err_near[leg][1], 5 * deg);
    EXPECT_DOUBLE_EQ(b.angle_err_near[leg][2], 6 * deg);
  }

  r.load({ins(SET_JUST_ANGLE, target_leg(1), {constant(1), constant(0), constant(2)}), ins(END)});
  r.run();
  EXPECT_EQ(r.c.rix.error_code, 23) << "a zero tolerance";
  r.load(
      {ins(SET_JUST_ANGLE, target_joint(1, 1), {constant(1), constant(2), constant(3)}), ins(END)});
  r.run();
  EXPECT_EQ(r.c.rix.error_code, 30) << "three values for one joint";
}

TEST_F(MotionCommands, SamplingFrequencyAndTimeSetTheSamplingTime) {
  r.load({ins(SET_SAMPLING_FREQ, {constant(100)}), ins(END)});
  r.run();
  EXPECT_DOUBLE_EQ(r.c.params.sampling_time, 0.01);
  r.load({ins(SET_SAMPLING_TIME, {constant(4)}), ins(END)});
  r.run();
  EXPECT_DOUBLE_EQ(r.c.params.sampling_time, 0.004);
}

}  // namespace
}  // namespace rokan::test
