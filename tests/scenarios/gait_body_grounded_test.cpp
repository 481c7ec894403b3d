// Gaits 1, 3 and 4, the body-grounded walks, through whole walking cycles: the feet at the end
// of each phase against the step tables, VR1 deciding the stride, VR2 the height, and Esc ending
// the run after the cycle.
#include <gtest/gtest.h>

#include <algorithm>

#include "scenarios/gait_support.h"

namespace rokan {
namespace {

using test::Feet;
using test::GaitSession;

// Home posture of gaits 1 and 4 (X = 391) with the feet at height z.
Feet wide_home(double z, double dy = 0) {
  return {{{-391, 101 + dy, z}, {391, 101 + dy, z}, {-391, -301 + dy, z}, {391, -301 + dy, z}}};
}

// Home posture of gait 3: the initial posture.
Feet initial_home(double z, double dy = 0) {
  return {{{-301, 201 + dy, z}, {301, 201 + dy, z}, {-301, -201 + dy, z}, {301, -201 + dy, z}}};
}

// Gait 1 from its start up to the first pass of the input step, with VR1 and VR2 captured at 0.
void start_gait1(GaitSession& s) {
  ASSERT_NO_FATAL_FAILURE(s.start_program(1));
  ASSERT_TRUE(s.settle_at(3));
  test::expect_feet_at(s, wide_home(-250), "home posture");
  ASSERT_TRUE(s.settle_at(5));
}

TEST(Gait1, FollowsVr2WithTheBodyHeightWhileVr1StaysNearItsCapture) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(start_gait1(s));
  EXPECT_EQ(s.c.auto_state.threshold, 70.0);

  // 6 V on VR1 is below the threshold of 70: the gait keeps adjusting the height.
  s.slider(1, 6.0);
  s.slider(2, 1.0);
  ASSERT_TRUE(s.run_until([&] { return s.c.servo[0].goal[2] == -235.0; }));
  ASSERT_TRUE(s.settle_at(5));
  test::expect_feet_at(s, wide_home(-235), "VR2 +1 V");
  EXPECT_DOUBLE_EQ(s.c.auto_state.height, -235.0);
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 60.0);
  s.cycles(3000);
  EXPECT_EQ(std::count(s.steps.begin(), s.steps.end(), 7), 0) << "no walking cycle";
}

// The feet at the end of every phase of one walking cycle, and the steps that ran.
struct CycleRecord {
  std::vector<Feet> goals;
  std::vector<int> steps;
};

// The walk starts at the first pass of the input step, before any height adjustment: the cycle
// still ends at the home height the run started from.
CycleRecord walk_one_cycle(double vr1) {
  GaitSession s(test::current_test_name() + (vr1 > 0 ? "_fwd" : "_back"));
  CycleRecord r;
  start_gait1(s);
  if (::testing::Test::HasFatalFailure()) return r;
  s.slider(1, vr1);
  // After each phase: lift, swing forward, lower to the ground, lower past it (the body rises),
  // push back (the body moves 200 mm forward), home posture at the adjusted height.
  const std::pair<int, Feet> phases[] = {
      {9, wide_home(-200)},       {10, wide_home(-200, 200)}, {11, wide_home(-250, 200)},
      {12, wide_home(-300, 200)}, {13, wide_home(-300)},      {14, wide_home(-250)},
  };
  for (const auto& [step, feet] : phases) {
    if (!s.settle_at(step)) return r;
    test::expect_feet_at(s, feet, "before step " + std::to_string(step));
    r.goals.push_back(s.goals());
  }
  s.run_until([&] { return s.c.mode.auto_step == 7; });
  r.steps = s.steps;
  EXPECT_EQ(std::count(r.steps.begin(), r.steps.end(), 6), 0) << "no height adjustment";
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, vr1 * 10);
  return r;
}

TEST(Gait1, WalksTheSameForwardCycleWithVr1MovedEitherWay) {
  CycleRecord forward = walk_one_cycle(8.0);
  CycleRecord backward = walk_one_cycle(-8.0);
  EXPECT_EQ(forward.goals, backward.goals);
  const std::vector<int> cycle = {5, 7, 8, 9, 10, 11, 12, 13, 14, 4, 5, 7};
  EXPECT_TRUE(std::search(forward.steps.begin(), forward.steps.end(), cycle.begin(), cycle.end()) !=
              forward.steps.end());
  EXPECT_EQ(forward.steps, backward.steps);
}

TEST(Gait1, EscDuringTheForwardSwingFinishesTheCycleThenEndsInManual) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(start_gait1(s));
  s.slider(1, 8.0);
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 9; }));
  s.cycles(200);  // the lift is under way
  s.run("key ESC\ntick 1\n");
  EXPECT_EQ(s.c.mode.stop_reserved, 1);
  s.cycle();  // the mode line is drawn before the key is taken
  EXPECT_EQ(cp932_to_utf8(s.c.console.lines[0]), "AUTO:自動プログラム動作中 [1:9]  終了待ち");
  s.steps.clear();
  ASSERT_TRUE(s.run_until([&] { return get_mode(s.c) == kManual; }));
  EXPECT_EQ(s.steps, (std::vector<int>{9, 10, 11, 12, 13, 14, 15, 1}));
  const Feet home = wide_home(-250);
  for (int leg = 0; leg < 4; ++leg)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(s.feet()[leg][k], home[leg][k], test::kFootTolerance) << "leg " << leg + 1;
  EXPECT_EQ(s.c.mode.auto_running, 0);
}

// Gait 3 up to its input loop, VR1 captured at `vr1_at_start`.
void start_gait3(GaitSession& s, double vr1_at_start) {
  ASSERT_NO_FATAL_FAILURE(s.start_program(3));
  s.slider(1, vr1_at_start);  // before the program's first step
  ASSERT_TRUE(s.settle_at(60));
  test::expect_feet_at(s, initial_home(-250), "home posture");
  EXPECT_DOUBLE_EQ(s.c.sensor.vr_org[0], vr1_at_start);
}

TEST(Gait3, StridesAsFarAsVr1WasMovedOneLegAtATime) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(start_gait3(s, 0.0));
  s.slider(1, 5.0);
  ASSERT_TRUE(s.settle_at(63));
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 50.0);

  // Leg 0 goes first; its lift stops the other legs where they stand.
  ASSERT_TRUE(s.settle_at(64));
  EXPECT_EQ((s.goals()[0]), (test::Xyz{-301, 201, -200}));
  for (int leg = 1; leg < 4; ++leg)
    EXPECT_EQ(s.goals()[leg], s.feet()[leg]) << "leg " << leg + 1 << " held where it stood";
  ASSERT_TRUE(s.settle_at(65));
  EXPECT_EQ((s.goals()[0]), (test::Xyz{-301, 251, -200}));
  ASSERT_TRUE(s.settle_at(66));
  EXPECT_EQ((s.goals()[0]), (test::Xyz{-301, 251, -250}));

  // After all four swings every foot is 50 mm ahead; lowering and pushing back carries the body.
  ASSERT_TRUE(s.settle_at(75));
  const Feet ahead = initial_home(-250, 50);
  for (int leg = 0; leg < 4; ++leg)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(s.feet()[leg][k], ahead[leg][k], 2 * test::kFootTolerance) << "leg " << leg + 1;
  ASSERT_TRUE(s.settle_at(77));
  const Feet pushed = initial_home(-300);
  for (int leg = 0; leg < 4; ++leg)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(s.feet()[leg][k], pushed[leg][k], 2 * test::kFootTolerance) << "leg " << leg + 1;
  ASSERT_TRUE(s.settle_at(78));
  test::expect_feet_at(s, initial_home(-250), "end of the cycle");
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 60; }));
  EXPECT_EQ(s.steps[s.steps.size() - 3], 78) << "the loop goes back to the VR2 capture";
  EXPECT_EQ(s.steps[s.steps.size() - 2], 59);
}

// The sliders reach -10..10 V, so a 12 V change needs VR1 captured below 0.
TEST(Gait3, StrideIsClampedTo100mm) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(start_gait3(s, -2.0));
  s.slider(1, 10.0);
  ASSERT_TRUE(s.settle_at(65));
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 100.0);
  EXPECT_EQ((s.goals()[0]), (test::Xyz{-301, 301, -200}));
}

TEST(Gait4, SwingsTheFixedStrideOneLegAtATimeOnASmallInput) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(s.start_program(4));
  ASSERT_TRUE(s.settle_at(81));
  test::expect_feet_at(s, wide_home(-250), "home posture");
  ASSERT_TRUE(s.settle_at(83));
  EXPECT_EQ(s.c.auto_state.threshold, 5.0);

  s.slider(1, 0.6);  // 6 mm of input is enough; the stride stays 200 mm
  for (int leg = 0; leg < 4; ++leg) {
    const int lifted = 87 + 3 * leg;
    ASSERT_TRUE(s.settle_at(lifted));
    EXPECT_NEAR(s.goals()[leg][2], -200, test::kFootTolerance) << "leg " << leg + 1;
    ASSERT_TRUE(s.settle_at(lifted + 2));
    EXPECT_NEAR(s.goals()[leg][1], wide_home(-250, 200)[leg][1], test::kFootTolerance);
    EXPECT_NEAR(s.goals()[leg][2], -250, test::kFootTolerance);
  }
  ASSERT_TRUE(s.settle_at(101));
  test::expect_feet_at(s, wide_home(-250), "end of the cycle");
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 85; }));
  EXPECT_EQ(s.steps[s.steps.size() - 3], 101) << "the loop goes back to the input step";
  EXPECT_EQ(s.steps[s.steps.size() - 2], 83);
}

}  // namespace
}  // namespace rokan
