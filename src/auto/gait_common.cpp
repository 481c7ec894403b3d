#include "auto/gait_common.h"

#include <algorithm>

#include "core/controller.h"
#include "core/modes.h"
#include "motion/motion.h"

namespace rokan {

bool legs_moving(const Controller& c) {
  for (const LegServo& s : c.servo)
    if (s.pending) return true;
  return false;
}

int step_entry(const Controller& c, int first, int last) {
  const int step = c.mode.auto_step;
  if (step == 0) return -1;
  if (step != 1 && (step < first || step > last)) return 0;
  return legs_moving(c) ? 1 : -1;
}

int finish_run(Controller& c) {
  c.mode.program_ended = true;
  set_mode(c, kManual);
  return 1;
}

void capture_vr(Controller& c, int i) {
  c.sensor.vr_org[i] = c.sensor.vr[i];
}

double stride_from_vr1(const Controller& c, double lo, double hi) {
  const double s = (c.sensor.vr[0] - c.sensor.vr_org[0]) * c.mode.gait_const[0];
  return std::clamp(s, lo, hi);
}

double height_from_vr2(const Controller& c) {
  return (c.sensor.vr[1] - c.sensor.vr_org[1]) * c.mode.gait_const[1] + kHomeHeight;
}

void four_feet_at(Controller& c, double half_width, double front_y, double rear_y, double z) {
  move_leg_to(c, 0, -half_width, front_y, z);
  move_leg_to(c, 1, half_width, front_y, z);
  move_leg_to(c, 2, -half_width, rear_y, z);
  move_leg_to(c, 3, half_width, rear_y, z);
}

void all_legs_by(Controller& c, double dx, double dy, double dz) {
  for (int leg = 0; leg < kLegCount; ++leg) move_leg_by(c, leg, dx, dy, dz);
}

void one_leg_swing(Controller& c, int i, double lift, double stride) {
  const int leg = i / 3;
  switch (i % 3) {
    case 0:
      move_leg_by(c, leg, 0, 0, lift);
      if (leg == 0)
        for (int other = 1; other < 4; ++other) move_leg_by(c, other, 0, 0, 0);
      break;
    case 1:
      move_leg_by(c, leg, 0, stride, 0);
      break;
    default:
      move_leg_by(c, leg, 0, 0, -lift);
      break;
  }
}

}  // namespace rokan
