// Gaits 5 and 6 move the legs in pairs: the front pair (legs 0 and 1) and the rear pair (legs 2
// and 3). A pair in the air swings outwards by E + S and up by S / 2, moves 2 D forward and comes
// back in and down, while the other pair holds its placed positions. Gait 5 (butterfly) then
// shifts all four feet back by 2 D; gait 6 (inchworm) pulls one pair towards the other at half
// speed while the pair in the air advances. A cycle starts only when VR1 stands at least 10 V
// above its captured value (S >= T = 100), and the run ends by itself when it no longer does.
#include <algorithm>

#include "auto/gait_common.h"
#include "core/controller.h"
#include "motion/motion.h"

namespace rokan {
namespace {

constexpr double kStanceHeight = -270.0;  // mm; VR2 lowers the feet from here to -320

// Also starts Z and W at the first stance (z = -270, no inward shift), so that a cycle that
// starts before the inputs were read places the feet where the run began, not by values left
// over from an earlier run.
void set_constants(AutoState& a) {
  a.threshold = 100.0;
  a.half_width = 270.0;
  a.swing_out = 20.0;
  a.shift = 50.0;
  a.height = kStanceHeight;
  a.width = 0.0;
}

// The first stance: every foot at x = -+X, z = -270, with the pairs at the given y.
void stance(Controller& c, double front_y, double rear_y) {
  four_feet_at(c, c.auto_state.half_width, front_y, rear_y, kStanceHeight);
}

// S from VR1, forward only.
void read_stride(Controller& c) {
  c.auto_state.stride = stride_from_vr1(c, 0.0, 100.0);
}

// Z from VR2 (raising VR2 lowers the feet) and W from VR3 (moves the feet inwards).
void read_height_and_width(Controller& c) {
  AutoState& a = c.auto_state;
  const Sensor& s = c.sensor;
  a.height = std::clamp(kStanceHeight - (s.vr[1] - s.vr_org[1]) * c.mode.gait_const[1], -320.0,
                        kStanceHeight);
  a.width = std::clamp(c.mode.gait_const[2] * 2 * (s.vr[2] - s.vr_org[2]), 0.0, 100.0);
}

// A pair placed at y on the ground: F (legs 0, 1) and R (legs 2, 3).
void place_pair(Controller& c, int left, double y) {
  const AutoState& a = c.auto_state;
  const double x = a.half_width - a.width;
  move_leg_to(c, left, -x, y, a.height);
  move_leg_to(c, left + 1, x, y, a.height);
}
void front(Controller& c, double y) {
  place_pair(c, 0, y);
}
void rear(Controller& c, double y) {
  place_pair(c, 2, y);
}

// Lifts a pair (left leg `left`, right leg `left` + 1) outwards and up.
void swing_out(Controller& c, int left) {
  const AutoState& a = c.auto_state;
  move_leg_by(c, left, -a.swing_out - a.stride, 0, 0.5 * a.stride);
  move_leg_by(c, left + 1, a.swing_out + a.stride, 0, 0.5 * a.stride);
}
void pair_forward(Controller& c, int left) {
  const double dy = 2 * c.auto_state.shift;
  move_leg_by(c, left, 0, dy, 0);
  move_leg_by(c, left + 1, 0, dy, 0);
}
// Brings a pair back in and down (by the stride; the swing-out E is taken up by the placing).
void swing_in(Controller& c, int left) {
  const double s = c.auto_state.stride;
  move_leg_by(c, left, s, 0, -0.5 * s);
  move_leg_by(c, left + 1, -s, 0, -0.5 * s);
}

// Speed and acceleration limits of every leg as a percentage of the AUTO reference values.
void speed_percent(Controller& c, double p) {
  for (int leg = 0; leg < kLegCount; ++leg) set_a_max_percent(c, leg, p);
  for (int leg = 0; leg < kLegCount; ++leg) set_v_max_percent(c, leg, p);
}

}  // namespace

// Gait 5, butterfly without middle: steps 103..121.
int gait5_step(Controller& c) {
  if (int r = step_entry(c, 103, 121); r >= 0) return r;
  AutoState& a = c.auto_state;
  uint8_t& step = c.mode.auto_step;
  const double d = a.shift;
  switch (step) {
    case 0:
      set_constants(a);
      step = 103;
      break;
    case 1:
      return finish_run(c);
    case 103:
      stance(c, kFrontFootY - d, kRearFootY - d);
      step = 104;
      break;
    case 104:
    case 105:
    case 106:
      capture_vr(c, step - 104);
      ++step;
      break;
    case 107:
      read_stride(c);
      step = a.stride >= a.threshold ? 109 : 108;
      break;
    case 108:
      read_height_and_width(c);
      front(c, kFrontFootY - d);
      rear(c, kRearFootY - d);
      step = 107;
      break;
    case 109:
      step = 110;
      break;
    case 110:
      swing_out(c, 0);
      rear(c, kRearFootY - d);
      step = 111;
      break;
    case 111:
      pair_forward(c, 0);
      rear(c, kRearFootY - d);
      step = 112;
      break;
    case 112:
      swing_in(c, 0);
      rear(c, kRearFootY - d);
      step = 113;
      break;
    case 113:
      front(c, kFrontFootY + d);
      rear(c, kRearFootY - d);
      step = 114;
      break;
    case 114:
      swing_out(c, 2);
      front(c, kFrontFootY + d);
      step = 115;
      break;
    case 115:
      pair_forward(c, 2);
      front(c, kFrontFootY + d);
      step = 116;
      break;
    case 116:
      swing_in(c, 2);
      front(c, kFrontFootY + d);
      step = 117;
      break;
    case 117:
      rear(c, kRearFootY + d);
      front(c, kFrontFootY + d);
      step = 118;
      break;
    case 118:
      front(c, kFrontFootY - d);
      rear(c, kRearFootY - d);
      step = 119;
      break;
    case 119:
      read_stride(c);
      step = a.stride >= a.threshold ? 120 : 121;
      break;
    case 120:
      step = c.mode.stop_reserved ? 121 : 105;
      break;
    case 121:
      step = 1;
      break;
    default:
      return 0;
  }
  return 1;
}

// Gait 6, inchworm: steps 122..139.
int gait6_step(Controller& c) {
  if (int r = step_entry(c, 122, 139); r >= 0) return r;
  AutoState& a = c.auto_state;
  uint8_t& step = c.mode.auto_step;
  const double d = a.shift;
  switch (step) {
    case 0:
      set_constants(a);
      step = 122;
      break;
    case 1:
      return finish_run(c);
    case 122:
      stance(c, kFrontFootY + d, kRearFootY - d);
      step = 123;
      break;
    case 123:
    case 124:
    case 125:
      capture_vr(c, step - 123);
      ++step;
      break;
    case 126:
      read_stride(c);
      step = a.stride >= a.threshold ? 128 : 127;
      break;
    case 127:
      read_height_and_width(c);
      front(c, kFrontFootY + d);
      rear(c, kRearFootY - d);
      step = 126;
      break;
    case 128:
      step = 129;
      break;
    case 129:
      swing_out(c, 2);
      front(c, kFrontFootY + d);
      step = 130;
      break;
    case 130:
      speed_percent(c, 50);
      front(c, kFrontFootY - d);
      pair_forward(c, 2);
      step = 131;
      break;
    case 131:
      speed_percent(c, 100);
      swing_in(c, 2);
      front(c, kFrontFootY - d);
      step = 132;
      break;
    case 132:
      rear(c, kRearFootY + d);
      front(c, kFrontFootY - d);
      step = 133;
      break;
    case 133:
      swing_out(c, 0);
      rear(c, kRearFootY + d);
      step = 134;
      break;
    case 134:
      speed_percent(c, 50);
      rear(c, kRearFootY - d);
      pair_forward(c, 0);
      step = 135;
      break;
    case 135:
      speed_percent(c, 100);
      swing_in(c, 0);
      rear(c, kRearFootY - d);
      step = 136;
      break;
    case 136:
      step = 137;
      break;
    case 137:
      read_stride(c);
      step = a.stride >= a.threshold ? 138 : 139;
      break;
    case 138:
      step = c.mode.stop_reserved ? 139 : 124;
      break;
    case 139:
      step = 1;
      break;
    default:
      return 0;
  }
  return 1;
}

}  // namespace rokan
