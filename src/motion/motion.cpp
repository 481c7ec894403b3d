// Motion commands only set up a leg's servo data (control mode, goal, lead point, pending flag);
// the servo carries the motion out over the following cycles. A refused command stops the
// controller in EMG before it reports, so a bad argument from a program ends its run.
#include "motion/motion.h"

#include <cstdio>

#include "console/console.h"
#include "core/controller.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace rokan {
namespace {

const double* present_foot(const Controller& c, int leg) {
  return c.state.point[leg][kFoot];
}

// The speed-limit setters share their checks: leg, value, and a running AUTO program.
bool limit_setter_allowed(Controller& c, int leg, bool value_ok) {
  if (!valid_leg(leg)) {
    emergency_stop(c, "Wrong leg No.");
    return false;
  }
  if (!value_ok) {
    emergency_stop(c, "Domain Error");
    return false;
  }
  if (c.mode.mode != kAuto || !c.mode.auto_running) {
    emergency_stop(c, "Control mode Error");
    return false;
  }
  return true;
}

bool valid_percent(double p) {
  return p > 0 && p <= 100;
}

// Stops leg k where it is when its paw switch reads `contact`, and marks it found.
void stop_on_paw(Controller& c, int k, bool contact) {
  if (c.sensor.paw[k] != contact) return;
  move_leg_by(c, k, 0, 0, 0);
  c.floor.found[k] = true;
}

// Kinds 1 and 3: every named leg moves vertically at once until its paw reads `contact`.
void detect_together(Controller& c, bool first, int leg, double vz, bool contact) {
  for (int k = 0; k < 4; ++k) {
    if (leg != -1 && k != leg) continue;
    if (first) move_leg_velocity(c, k, 0, 0, vz);
  }
  for (int k = 0; k < 4; ++k) {
    if (leg != -1 && k != leg) continue;
    stop_on_paw(c, k, contact);
  }
}

// Kind 2: legs are lowered one after the other (leg 0 first when all legs are named).
void detect_one_by_one(Controller& c, bool first, int leg) {
  FloorDetectState& f = c.floor;
  if (first) {
    f.current_leg = leg == -1 ? 0 : leg;
    move_leg_velocity(c, f.current_leg, 0, 0, -f.speed);
  }
  if (!c.sensor.paw[f.current_leg]) return;
  move_leg_by(c, f.current_leg, 0, 0, 0);
  f.found[f.current_leg] = true;
  if (leg != -1) return;
  if (f.current_leg + 1 < 4) {
    ++f.current_leg;
    move_leg_velocity(c, f.current_leg, 0, 0, -f.speed);
  } else {
    f.current_leg = 3;
  }
}

}  // namespace

void set_control_mode(Controller& c, int leg, uint8_t code) {
  // The code is tested before the leg, so both faults give the same message.
  if (code > kVelocityControl || !valid_leg(leg)) {
    emergency_stop(c, "Control mode Error");
    return;
  }
  LegServo& s = c.servo[leg];
  for (auto& m : s.control_mode) m = code;
  for (int i = 0; i < 3; ++i) s.goal[i] = present_foot(c, leg)[i];
}

int move_leg_to(Controller& c, int leg, double x, double y, double z) {
  if (!valid_leg(leg)) {
    emergency_stop(c, "Leg No. Error");
    return 0;
  }
  set_control_mode(c, leg, kPositionControl);
  LegServo& s = c.servo[leg];
  s.inpos_count = 10;
  // The trajectory restarts from where the foot is, at rest.
  for (int i = 0; i < 3; ++i) {
    s.lead[i] = s.goal[i];
    s.lead_velocity[i] = 0;
  }
  s.goal[0] = x;
  s.goal[1] = y;
  s.goal[2] = z;
  s.pending = true;
  return 1;
}

int move_leg_by(Controller& c, int leg, double dx, double dy, double dz) {
  if (!valid_leg(leg)) {
    emergency_stop(c, "Leg No. Error");
    return 0;
  }
  // A zero step stops the leg where the foot is; otherwise steps add up on the goal, so
  // relative moves issued while one is in progress accumulate.
  const double* base = (dx == 0 && dy == 0 && dz == 0) ? present_foot(c, leg) : c.servo[leg].goal;
  double target[3] = {base[0] + dx, base[1] + dy, base[2] + dz};
  return move_leg_to(c, leg, target[0], target[1], target[2]);
}

int move_leg_velocity(Controller& c, int leg, double vx, double vy, double vz) {
  if (!valid_leg(leg)) {
    emergency_stop(c, "Leg No. Error");
    return 0;
  }
  set_control_mode(c, leg, kVelocityControl);
  LegServo& s = c.servo[leg];
  for (int i = 0; i < 3; ++i) {
    s.lead[i] = s.goal[i];
    s.lead_velocity[i] = 0;
  }
  s.velocity_command[0] = vx;
  s.velocity_command[1] = vy;
  s.velocity_command[2] = vz;
  s.pending = true;
  return 1;
}

void set_a_max(Controller& c, int leg, double value) {
  if (!limit_setter_allowed(c, leg, value > 0)) return;
  c.params.auto_ref.b1.a_max[leg] = value;
  c.params.active.b1.a_max[leg] = value;
}

void set_a_max_percent(Controller& c, int leg, double p) {
  if (!limit_setter_allowed(c, leg, valid_percent(p))) return;
  c.params.active.b1.a_max[leg] = 0.01 * p * c.params.auto_ref.b1.a_max[leg];
}

void set_v_max(Controller& c, int leg, double value) {
  if (!limit_setter_allowed(c, leg, value > 0)) return;
  c.params.auto_ref.b1.v_max[leg] = value;
  c.params.active.b1.v_max[leg] = value;
}

void set_v_max_percent(Controller& c, int leg, double p) {
  if (!limit_setter_allowed(c, leg, valid_percent(p))) return;
  c.params.active.b1.v_max[leg] = 0.01 * p * c.params.auto_ref.b1.v_max[leg];
}

bool detect_floor(Controller& c, bool first, int kind, int leg) {
  if (leg != -1 && !valid_leg(leg)) {
    emergency_stop(c, "Serious error in DETECT_FLOOR");
    return false;
  }
  FloorDetectState& f = c.floor;
  if (first) {
    for (auto& found : f.found) found = false;
    // Half of leg 0's speed limit, whichever leg is named.
    f.speed = 0.01 * c.params.active.b1.v_max[0] * 50;
  }
  switch (kind) {
    case 1:
      detect_together(c, first, leg, -f.speed, true);
      break;
    case 2:
      detect_one_by_one(c, first, leg);
      break;
    case 3:
      detect_together(c, first, leg, f.speed, false);
      break;
    default:
      emergency_stop(c, "Serious error in DETECT_FLOOR");
      return false;
  }
  if (leg != -1) return f.found[leg];
  for (bool found : f.found)
    if (!found) return false;
  return true;
}

void key_wait_begin(Controller& c) {
  c.mode.key_wait_active = true;
  c.mode.captured_key = 0;
}

void key_wait_end(Controller& c) {
  c.mode.key_wait_active = false;
}

int file_exists(const Controller& c, std::string_view cp932_path) {
  // On this platform a directory opens for reading too; only files count.
  if (is_directory(c.workspace, cp932_path)) return 0;
  return File::open(c.workspace, cp932_path, "r") ? 1 : 0;
}

}  // namespace rokan
