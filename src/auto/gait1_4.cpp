// Gaits 1 and 4, the body-grounded walks: the feet stand wide (x = -+X) with the front pair at
// y = 101 and the rear pair at y = -301; a walking cycle lifts the feet, swings them 200 mm
// forward, lowers them past the ground (raising the body by H), pushes them back (carrying the
// body 200 mm forward) and returns to the home posture. Gait 1 moves all four legs together,
// gait 4 swings one leg at a time. While VR1 stays near its captured value the gaits follow VR2
// with the body height instead.
#include <cmath>

#include "auto/gait_common.h"
#include "core/controller.h"
#include "motion/motion.h"

namespace rokan {
namespace {

constexpr double kStride = 200.0;  // mm, fixed: the stride input only decides whether to walk

// The home posture's feet stand 100 mm behind the initial posture's (y = 101 and -301).
constexpr double kHomeFrontY = kFrontFootY - 100;
constexpr double kHomeRearY = kRearFootY - 100;

void home_posture(Controller& c, double z) {
  four_feet_at(c, c.auto_state.half_width, kHomeFrontY, kHomeRearY, z);
}

// Also starts the height input at the home height: a walking cycle ends at height Z, and a
// cycle that starts before any height adjustment of this run must end where the run began, not
// at a height left over from an earlier run (or at z = 0, level with the body).
void set_constants(AutoState& a) {
  a.half_width = 391.0;
  a.lift = 50.0;
  a.height = kHomeHeight;
}

// The input step: the stride input decides between walking and adjusting the height.
uint8_t walk_or_adjust(Controller& c, uint8_t adjust, uint8_t walk) {
  AutoState& a = c.auto_state;
  a.stride = stride_from_vr1(c, -100.0, 100.0);
  return std::fabs(a.stride) < a.threshold ? adjust : walk;
}

void adjust_height(Controller& c) {
  c.auto_state.height = height_from_vr2(c);
  home_posture(c, c.auto_state.height);
}

}  // namespace

// Steps 2..15.
int gait1_step(Controller& c) {
  if (int r = step_entry(c, 2, 15); r >= 0) return r;
  AutoState& a = c.auto_state;
  uint8_t& step = c.mode.auto_step;
  switch (step) {
    case 0:
      a.threshold = 70.0;
      set_constants(a);
      step = 2;
      break;
    case 1:
      return finish_run(c);
    case 2:
      home_posture(c, kHomeHeight);
      step = 3;
      break;
    case 3:
      capture_vr(c, 0);
      step = 4;
      break;
    case 4:
      capture_vr(c, 1);
      step = 5;
      break;
    case 5:
      step = walk_or_adjust(c, 6, 7);
      break;
    case 6:
      adjust_height(c);
      step = 5;
      break;
    case 7:
      step = 8;
      break;
    case 8:
      all_legs_by(c, 0, 0, a.lift);
      step = 9;
      break;
    case 9:
      all_legs_by(c, 0, kStride, 0);
      step = 10;
      break;
    case 10:
    case 11:
      all_legs_by(c, 0, 0, -a.lift);
      ++step;
      break;
    case 12:
      all_legs_by(c, 0, -kStride, 0);
      step = 13;
      break;
    case 13:
      home_posture(c, a.height);
      step = 14;
      break;
    case 14:
      step = c.mode.stop_reserved ? 15 : 4;
      break;
    case 15:
      step = 1;
      break;
    default:
      return 0;
  }
  return 1;
}

// Steps 80..102: as gait 1, but the swing moves one leg at a time and the loop goes back to the
// input step without capturing VR2 again.
int gait4_step(Controller& c) {
  if (int r = step_entry(c, 80, 102); r >= 0) return r;
  AutoState& a = c.auto_state;
  uint8_t& step = c.mode.auto_step;
  switch (step) {
    case 0:
      set_constants(a);
      step = 80;
      break;
    case 1:
      return finish_run(c);
    case 80:
      home_posture(c, kHomeHeight);
      step = 81;
      break;
    case 81:
      capture_vr(c, 0);
      step = 82;
      break;
    case 82:
      capture_vr(c, 1);
      step = 83;
      break;
    case 83:
      step = walk_or_adjust(c, 84, 85);
      break;
    case 84:
      adjust_height(c);
      step = 83;
      break;
    case 85:
      step = 86;
      break;
    case 98:
      all_legs_by(c, 0, 0, -a.lift);
      step = 99;
      break;
    case 99:
      all_legs_by(c, 0, -kStride, 0);
      step = 100;
      break;
    case 100:
      home_posture(c, a.height);
      step = 101;
      break;
    case 101:
      step = c.mode.stop_reserved ? 102 : 83;
      break;
    case 102:
      step = 1;
      break;
    default:
      if (step < 86 || step > 97) return 0;
      one_leg_swing(c, step - 86, a.lift, kStride);
      ++step;
      break;
  }
  return 1;
}

}  // namespace rokan
