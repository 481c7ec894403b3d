// Projection of the robot's leg points onto the side, front and top views. Plain arithmetic on
// the robot state, kept apart from the painting so that it can be checked without a display.
#pragma once

#include "core/robot_state.h"
#include "core/view_state.h"

namespace rokan {

struct PixelPoint {
  int x;
  int y;
};

// Height of the side and front views' ground line above the bottom edge, pixels.
inline constexpr int kGroundMargin = 10;

// Ground offset, mm: minus the z of the lowest toe (leg 0 first; a later leg replaces it only
// when strictly lower).
double ground_offset(const RobotState& s);

// Screen position of body-frame point p (mm) in `view`, scaled by `scale` pixels per mm, in a
// paint box of width w and height h. Side: y across, z up from the ground line; front: x
// across; top: y across, x downward, body origin at the centre. Coordinates truncate toward
// zero; a point far outside (or not a number) lands far outside the box, to be clipped.
PixelPoint project(View view, const double p[3], double scale, int w, int h, double ground);

}  // namespace rokan
