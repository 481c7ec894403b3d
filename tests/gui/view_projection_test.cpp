#include "gui/view_projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rokan {
namespace {

RobotState standing_at(double toe_z) {
  RobotState s{};
  for (auto& leg : s.point) leg[kFoot][2] = toe_z;
  return s;
}

TEST(ViewProjection, ToesStandOnTheGroundLineAndTheBodyOriginAboveThem) {
  const RobotState s = standing_at(-300);
  const double g = ground_offset(s);
  EXPECT_DOUBLE_EQ(g, 300.0);
  const int w = 400, h = 233;
  const PixelPoint toe = project(kSideView, s.point[0][kFoot], 0.4, w, h, g);
  EXPECT_EQ(toe.y, h - 10);
  const double origin[3] = {0, 0, 0};
  EXPECT_EQ(project(kSideView, origin, 0.4, w, h, g).y, h - 10 - 120);
  EXPECT_EQ(project(kSideView, origin, 0.4, w, h, g).x, 200);

  RobotState lifted = standing_at(-250);
  lifted.point[2][kFoot][2] = -280;
  EXPECT_DOUBLE_EQ(ground_offset(lifted), 280.0) << "the lowest toe sets the ground";
}

TEST(ViewProjection, EachViewMapsItsOwnAxesAndTruncatesTowardZero) {
  const double p[3] = {-101.0, 201.0, -250.0};
  // Side: y across; front: x across; top: y across and x downward from the centre.
  EXPECT_EQ(project(kSideView, p, 0.4, 400, 233, 250).x, 80 + 200);
  EXPECT_EQ(project(kFrontView, p, 0.2, 236, 81, 250).x, -20 + 118);  // -20.2 -> -20
  EXPECT_EQ(project(kFrontView, p, 0.2, 236, 81, 250).y, 81 - 0 - 10);
  const PixelPoint top = project(kTopView, p, 0.2, 236, 152, 250);
  EXPECT_EQ(top.x, 40 + 118);
  EXPECT_EQ(top.y, -20 + 76);
  // A top-view scale of 0 puts every point at the centre.
  EXPECT_EQ(project(kTopView, p, 0.0, 236, 152, 250).x, 118);
  EXPECT_EQ(project(kTopView, p, 0.0, 236, 152, 250).y, 76);
}

TEST(ViewProjection, APointThatIsNotANumberLandsFarOutsideInsteadOfUndefined) {
  const double p[3] = {NAN, 1e300, 0};
  const PixelPoint top = project(kTopView, p, 0.2, 236, 152, 0);
  EXPECT_LT(top.y, -100000);
  EXPECT_GT(top.x, 100000);
}

}  // namespace
}  // namespace rokan
