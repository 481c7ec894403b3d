// Gait 2, the foot-grounded crawl: the VR3 handshake at its start, the staggered stance, and one
// walking cycle with one foot in the air at a time.
#include <gtest/gtest.h>

#include "scenarios/gait_support.h"

namespace rokan {
namespace {

using test::Feet;
using test::GaitSession;

Feet stand(double z) {
  return {{{-301, 201, z}, {301, 201, z}, {-301, -201, z}, {301, -201, z}}};
}

// The staggered stance; it is also where a walking cycle with S = 50 mm ends.
Feet staggered(double z, double dy = 0) {
  return {{{-301, 201 + dy, z}, {301, 101 + dy, z}, {-301, -251 + dy, z}, {301, -151 + dy, z}}};
}

TEST(Gait2, StartsOnAVr3HandshakeThenCrawlsOneLegAtATime) {
  GaitSession s(test::current_test_name());
  ASSERT_NO_FATAL_FAILURE(s.start_program(2));
  s.cycles(500);
  EXPECT_EQ(s.steps, (std::vector<int>{16, 17})) << "waits for VR3 to move away";

  s.slider(3, -5.0);
  s.cycles(100);
  EXPECT_EQ(s.c.mode.auto_step, 17) << "5 V is not enough";
  s.slider(3, 6.0);
  ASSERT_TRUE(s.settle_at(19));
  test::expect_feet_at(s, stand(-300), "VR3 moved away");
  s.cycles(500);
  EXPECT_EQ(s.c.mode.auto_step, 19) << "waits for VR3 to come back";
  s.slider(3, 0.0);
  ASSERT_TRUE(s.settle_at(21));
  test::expect_feet_at(s, stand(-250), "VR3 back");
  ASSERT_TRUE(s.settle_at(34));
  test::expect_feet_at(s, staggered(-250), "staggered");

  ASSERT_TRUE(s.settle_at(36));
  s.slider(1, 5.0);
  // Leg 2 (index 1) swings first: up, 4 S forward, down at y = 2 S + 201.
  ASSERT_TRUE(s.settle_at(41));
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 50.0);
  EXPECT_EQ((s.goals()[1]), (test::Xyz{301, 301, -200}));
  ASSERT_TRUE(s.settle_at(42));
  test::expect_feet_at(
      s, {{{-301, 201, -250}, {301, 301, -250}, {-301, -251, -250}, {301, -151, -250}}},
      "leg 2 placed");
  ASSERT_TRUE(s.settle_at(43));
  test::expect_feet_at(
      s, {{{-301, 151, -250}, {301, 251, -250}, {-301, -301, -250}, {301, -201, -250}}},
      "body shifted by S");
  ASSERT_TRUE(s.settle_at(55));
  test::expect_feet_at(s, staggered(-250), "end of the cycle");

  s.run("key ESC\n");
  ASSERT_TRUE(s.run_until([&] { return get_mode(s.c) == kManual; }));
  EXPECT_EQ(std::vector<int>(s.steps.end() - 3, s.steps.end()), (std::vector<int>{55, 56, 1}));
}

}  // namespace
}  // namespace rokan
