#include "gui/view_projection.h"

#include <cmath>

namespace rokan {
namespace {

// Truncation toward zero into an int without undefined behaviour: anything beyond a million
// pixels (and NaN) is clamped there, which is outside any paint box.
int trunc_px(double v) {
  constexpr double kFar = 1e6;
  if (!(v > -kFar)) return -static_cast<int>(kFar);
  if (v > kFar) return static_cast<int>(kFar);
  return static_cast<int>(v);
}

}  // namespace

double ground_offset(const RobotState& s) {
  double lowest = s.point[0][kFoot][2];
  for (int leg = 1; leg < kLegCount; ++leg)
    if (s.point[leg][kFoot][2] < lowest) lowest = s.point[leg][kFoot][2];
  return -lowest;
}

PixelPoint project(View view, const double p[3], double scale, int w, int h, double ground) {
  const double x = p[0], y = p[1], z = p[2];
  switch (view) {
    case kSideView:
      return {trunc_px(y * scale) + w / 2, h - trunc_px((z + ground) * scale) - kGroundMargin};
    case kFrontView:
      return {trunc_px(x * scale) + w / 2, h - trunc_px((z + ground) * scale) - kGroundMargin};
    case kTopView:
      break;
  }
  return {trunc_px(y * scale) + w / 2, trunc_px(x * scale) + h / 2};
}

}  // namespace rokan
