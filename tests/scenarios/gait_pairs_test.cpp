// Gaits 5 and 6, which move the legs in pairs: one whole cycle each, with the inputs Z (VR2) and
// W (VR3) and their clamps, the half-speed pull of the inchworm, and the two ways a run ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "scenarios/gait_support.h"

namespace rokan {
namespace {

using test::Feet;
using test::GaitSession;

// Front pair at front_y, rear pair at rear_y, every foot at x = -+x and height z.
Feet pairs(double x, double front_y, double rear_y, double z) {
  return {{{-x, front_y, z}, {x, front_y, z}, {-x, rear_y, z}, {x, rear_y, z}}};
}

// The feet of one pair replaced by (-+x, y, z).
Feet with_pair(Feet f, int left, double x, double y, double z) {
  f[left] = {-x, y, z};
  f[left + 1] = {x, y, z};
  return f;
}

TEST(Gait5, ButterflyCycleCarriesTheBodyForwardAndTheRunEndsWhenVr1Drops) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(s.start_program(5));
  ASSERT_TRUE(s.settle_at(104));
  test::expect_feet_at(s, pairs(270, 151, -251, -270), "first stance");
  ASSERT_TRUE(s.settle_at(107));

  // Z and W only go one way: VR2 down and VR3 down change nothing.
  s.slider(2, -3.0);
  s.slider(3, -2.0);
  s.cycles(50);
  EXPECT_EQ(s.c.auto_state.height, -270.0);
  EXPECT_EQ(s.c.auto_state.width, 0.0);
  s.slider(2, 2.0);  // Z = -270 - 2 x 15
  s.slider(3, 4.0);  // W = 5 x 2 x 4
  ASSERT_TRUE(s.run_until([&] { return s.c.servo[0].goal[2] == -300.0; }));
  ASSERT_TRUE(s.settle_at(107));
  const Feet stance = pairs(230, 151, -251, -300);
  test::expect_feet_at(s, stance, "Z and W");

  s.slider(1, 9.9);
  s.cycles(50);
  EXPECT_NEAR(s.c.auto_state.stride, 99.0, 1e-9);
  EXPECT_EQ(std::count(s.steps.begin(), s.steps.end(), 109), 0) << "99 mm is below the threshold";
  s.slider(1, 10.0);
  // The front pair swings out by E + S and up by S / 2, moves 2 D forward, comes back down and
  // is placed; then the rear pair does the same; then all four feet shift back by 2 D.
  const std::pair<int, Feet> phases[] = {
      {111, with_pair(stance, 0, 350, 151, -250)},
      {112, with_pair(stance, 0, 350, 251, -250)},
      {113, with_pair(stance, 0, 250, 251, -300)},
      {114, pairs(230, 251, -251, -300)},
      {115, with_pair(pairs(230, 251, -251, -300), 2, 350, -251, -250)},
      {116, with_pair(pairs(230, 251, -251, -300), 2, 350, -151, -250)},
      {117, with_pair(pairs(230, 251, -251, -300), 2, 250, -151, -300)},
      {118, pairs(230, 251, -151, -300)},
      {119, stance},
  };
  for (const auto& [step, feet] : phases) {
    ASSERT_TRUE(s.settle_at(step));
    test::expect_feet_at(s, feet, "before step " + std::to_string(step));
  }
  EXPECT_EQ(s.c.auto_state.stride, 100.0);

  s.slider(1, 5.0);
  ASSERT_TRUE(s.run_until([&] { return get_mode(s.c) == kManual; }));
  EXPECT_EQ(std::vector<int>(s.steps.end() - 4, s.steps.end()),
            (std::vector<int>{118, 119, 121, 1}));
}

TEST(Gait6, InchwormPullsEachPairAtHalfSpeedAndStopsAfterTheCycleOnEsc) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(s.start_program(6));
  ASSERT_TRUE(s.settle_at(123));
  test::expect_feet_at(s, pairs(270, 251, -251, -270), "first stance");
  ASSERT_TRUE(s.settle_at(126));
  s.slider(1, 10.0);

  const Params& p = s.c.params;
  auto speeds_are = [&](double percent) {
    for (int leg = 0; leg < 4; ++leg) {
      EXPECT_DOUBLE_EQ(p.active.b1.v_max[leg], 0.01 * percent * p.auto_ref.b1.v_max[leg]);
      EXPECT_DOUBLE_EQ(p.active.b1.a_max[leg], 0.01 * percent * p.auto_ref.b1.a_max[leg]);
    }
  };
  ASSERT_TRUE(s.settle_at(130));
  test::expect_feet_at(s, with_pair(pairs(270, 251, -251, -270), 2, 390, -251, -220),
                       "rear pair out");
  speeds_are(100);
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 131; }));
  speeds_are(50);
  ASSERT_TRUE(s.settle_at(131));
  test::expect_feet_at(s, with_pair(pairs(270, 151, -251, -270), 2, 390, -151, -220),
                       "front pair pulled back, rear pair forward");
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 132; }));
  speeds_are(100);

  const std::pair<int, Feet> phases[] = {
      {132, with_pair(pairs(270, 151, -251, -270), 2, 290, -151, -270)},
      {133, pairs(270, 151, -151, -270)},
      {134, with_pair(pairs(270, 151, -151, -270), 0, 390, 151, -220)},
      {135, with_pair(pairs(270, 251, -251, -270), 0, 390, 251, -220)},
      {136, with_pair(pairs(270, 251, -251, -270), 0, 290, 251, -270)},
  };
  for (const auto& [step, feet] : phases) {
    ASSERT_TRUE(s.settle_at(step));
    test::expect_feet_at(s, feet, "before step " + std::to_string(step));
  }

  s.run("key ESC\n");
  ASSERT_TRUE(s.run_until([&] { return get_mode(s.c) == kManual; }));
  EXPECT_EQ(std::vector<int>(s.steps.end() - 5, s.steps.end()),
            (std::vector<int>{136, 137, 138, 139, 1}));
}

}  // namespace
}  // namespace rokan
