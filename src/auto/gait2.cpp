// Gait 2, the foot-grounded walk: a crawl with one foot in the air at a time. The start is an
// operator handshake on VR3 (moved away by more than 5 V the feet go down to z = -300, moved
// back they return to -250); the feet are then staggered in y. Each walking cycle swings the legs
// in the order 2, 3, 1, 4 (indexes 1, 2, 0, 3), each swing advancing a foot by 4 S, and shifts all
// feet back by S after each swing, which carries the body forward by 4 S per cycle.
#include <cmath>

#include "auto/gait_common.h"
#include "core/controller.h"
#include "motion/motion.h"

namespace rokan {
namespace {

constexpr double kHandshakeVolts = 5.0;
constexpr double kHandshakeHeight = -300.0;  // mm, the feet's height while VR3 is moved away

// y of each foot in the staggered posture the walk starts from (legs 0..3, mm).
constexpr double kStaggeredY[4] = {kFrontFootY, kFrontFootY - 100, kRearFootY - 50,
                                   kRearFootY + 50};

double vr3_offset(const Controller& c) {
  return std::fabs(c.sensor.vr[2] - c.sensor.vr_org[2]);
}

void stand(Controller& c, double z) {
  four_feet_at(c, c.auto_state.half_width, kFrontFootY, kRearFootY, z);
}

// Leg `leg`'s foot at its place in the staggered posture, at height z.
void staggered_foot(Controller& c, int leg, double z) {
  const double x = c.auto_state.half_width;
  move_leg_to(c, leg, leg % 2 == 0 ? -x : x, kStaggeredY[leg], z);
}

void staggered(Controller& c, double z) {
  for (int leg = 0; leg < kLegCount; ++leg) staggered_foot(c, leg, z);
}

// One swing of a walking cycle in three steps (i = 0, 1, 2): lift, advance by 4 S, and put the
// foot down at (x, y, Z).
void swing(Controller& c, int i, int leg, double x, double y) {
  const AutoState& a = c.auto_state;
  if (i == 0)
    move_leg_by(c, leg, 0, 0, a.lift);
  else if (i == 1)
    move_leg_by(c, leg, 0, 4 * a.stride, 0);
  else
    move_leg_to(c, leg, x, y, a.height);
}

}  // namespace

// Steps 16..56.
int gait2_step(Controller& c) {
  if (int r = step_entry(c, 16, 56); r >= 0) return r;
  AutoState& a = c.auto_state;
  uint8_t& step = c.mode.auto_step;
  const double x = a.half_width;
  const double s = a.stride;
  switch (step) {
    case 0:
      a.half_width = kStandHalfWidth;
      a.lift = 50.0;
      a.height = kHomeHeight;  // see gait 1: the swings place the feet at height Z
      step = 16;
      break;
    case 1:
      return finish_run(c);
    case 16:
      capture_vr(c, 2);
      step = 17;
      break;
    case 17:
      if (vr3_offset(c) > kHandshakeVolts) step = 18;
      break;
    case 18:
      stand(c, kHandshakeHeight);
      step = 19;
      break;
    case 19:
      if (vr3_offset(c) < kHandshakeVolts) step = 20;
      break;
    case 20:
      stand(c, kHomeHeight);
      step = 21;
      break;
    case 21:
      move_leg_by(c, 0, 0, 0, a.lift);
      step = 22;
      break;
    case 22:
      move_leg_by(c, 0, 0, 0, 0);
      step = 23;
      break;
    case 23:
      staggered_foot(c, 0, kHomeHeight);
      step = 24;
      break;
    case 24:
      move_leg_by(c, 1, 0, 0, a.lift);
      step = 25;
      break;
    case 25:
      move_leg_by(c, 1, 0, -100, 0);
      step = 26;
      break;
    case 26:
      staggered_foot(c, 1, kHomeHeight);
      step = 27;
      break;
    case 27:
      move_leg_by(c, 2, 0, 0, a.lift);
      step = 28;
      break;
    case 28:
      move_leg_by(c, 2, 0, -50, 0);
      step = 29;
      break;
    case 29:
      staggered_foot(c, 2, kHomeHeight);
      step = 30;
      break;
    case 30:
      move_leg_by(c, 3, 0, 0, a.lift);
      step = 31;
      break;
    case 31:
      move_leg_by(c, 3, 0, 50, 0);
      step = 32;
      break;
    case 32:
      staggered_foot(c, 3, kHomeHeight);
      step = 33;
      break;
    case 33:
      step = 34;
      break;
    case 34:
      capture_vr(c, 0);
      step = 35;
      break;
    case 35:
      capture_vr(c, 1);
      step = 36;
      break;
    case 36:
      a.stride = stride_from_vr1(c, -70.0, 70.0);
      step = std::fabs(a.stride) >= a.threshold ? 38 : 37;
      break;
    case 37:
      a.height = height_from_vr2(c);
      staggered(c, a.height);
      step = 36;
      break;
    case 38:
      step = 39;
      break;
    case 39:
    case 40:
    case 41:
      swing(c, step - 39, 1, x, 2 * s + kFrontFootY);
      ++step;
      break;
    case 43:
    case 44:
    case 45:
      swing(c, step - 43, 2, -x, 2 * s + kRearFootY);
      ++step;
      break;
    case 47:
    case 48:
    case 49:
      swing(c, step - 47, 0, -x, 2 * s + kFrontFootY);
      ++step;
      break;
    case 51:
    case 52:
    case 53:
      swing(c, step - 51, 3, x, 2 * s + kRearFootY);
      ++step;
      break;
    case 42:
    case 46:
    case 50:
    case 54:
      all_legs_by(c, 0, -s, 0);
      ++step;
      break;
    case 55:
      step = c.mode.stop_reserved ? 56 : 35;
      break;
    case 56:
      step = 1;
      break;
    default:
      return 0;
  }
  return 1;
}

}  // namespace rokan
