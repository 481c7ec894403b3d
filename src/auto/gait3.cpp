// Gait 3, the old body-grounded walk: home posture is the initial posture, and the stride follows
// VR1 (up to 100 mm either way). Each leg in turn is lifted, swung by the stride and put down;
// then all feet are lowered past the ground and pushed back by the stride, carrying the body.
#include <cmath>

#include "auto/gait_common.h"
#include "core/controller.h"
#include "motion/motion.h"

namespace rokan {
namespace {

constexpr double kLift = 50.0;  // mm

void home_posture(Controller& c, double z) {
  four_feet_at(c, kStandHalfWidth, kFrontFootY, kRearFootY, z);
}

}  // namespace

// Steps 57..79.
int gait3_step(Controller& c) {
  if (int r = step_entry(c, 57, 79); r >= 0) return r;
  AutoState& a = c.auto_state;
  uint8_t& step = c.mode.auto_step;
  switch (step) {
    case 0:
      a.height = kHomeHeight;  // see gait 1: a cycle without a height adjustment ends here
      step = 57;
      break;
    case 1:
      return finish_run(c);
    case 57:
      home_posture(c, kHomeHeight);
      step = 58;
      break;
    case 58:
      capture_vr(c, 0);
      step = 59;
      break;
    case 59:
      capture_vr(c, 1);
      step = 60;
      break;
    case 60:
      a.stride = stride_from_vr1(c, -100.0, 100.0);
      step = std::fabs(a.stride) < a.threshold ? 61 : 62;
      break;
    case 61:
      a.height = height_from_vr2(c);
      home_posture(c, a.height);
      step = 60;
      break;
    case 62:
      step = 63;
      break;
    case 75:
      all_legs_by(c, 0, 0, -kLift);
      step = 76;
      break;
    case 76:
      all_legs_by(c, 0, -a.stride, 0);
      step = 77;
      break;
    case 77:
      home_posture(c, a.height);
      step = 78;
      break;
    case 78:
      step = c.mode.stop_reserved ? 79 : 59;
      break;
    case 79:
      step = 1;
      break;
    default:
      if (step < 63 || step > 74) return 0;
      one_leg_swing(c, step - 63, kLift, a.stride);
      ++step;
      break;
  }
  return 1;
}

}  // namespace rokan
