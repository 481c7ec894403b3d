#include "core/servo.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "console/console.h"
#include "core/controller.h"
#include "core/kinematics.h"
#include "core/modes.h"
#include "motion/motion.h"

namespace rokan {
namespace {

bool in_position_group(const LegServo& s) {
  for (uint8_t m : s.control_mode)
    if (m == kPositionControl || m == kPositionControlAlt) return true;
  return false;
}

bool in_velocity_group(const LegServo& s) {
  for (uint8_t m : s.control_mode)
    if (m == kVelocityControl || m == kVelocityControlAlt) return true;
  return false;
}

bool servo_pass_runs(const Controller& c) {
  const ModeState& m = c.mode;
  return (m.mode == kManual && m.selected_leg >= 0) || (m.mode == kAuto && m.auto_running) ||
         (m.mode == kOrigin && m.moving_to_initial);
}

// The counting scheme shared by the in-position tests: a pass counts the counter down, a
// failure reloads it with 10; true once it has counted down to zero.
bool count_pass(int32_t& counter, bool within) {
  if (counter < 0) counter = 0;
  if (!within) {
    counter = 10;
    return false;
  }
  --counter;
  return counter <= 0;
}

bool foot_within(const Controller& c, int leg, double tolerance) {
  const double* foot = c.state.point[leg][kFoot];
  const double* goal = c.servo[leg].goal;
  // All three tests, without a branch after each (they have no effects).
  return !((std::fabs(goal[0] - foot[0]) > tolerance) | (std::fabs(goal[1] - foot[1]) > tolerance) |
           (std::fabs(goal[2] - foot[2]) > tolerance));
}

void mode_post_step(Controller& c) {
  switch (c.mode.mode) {
    case kManual:
      manual_input_step(c);
      break;
    case kOrigin:
      if (c.mode.moving_to_initial && all_legs_in_position(c)) {
        c.mode.moving_to_initial = false;
        c.mode.initial_reached = true;
        c.safety.angle_latch = false;
        hold_all(c);
        set_mode(c, kOrigin);
      }
      break;
    case kAuto:
      if (!c.mode.auto_running) break;
      for (int leg = 0; leg < kLegCount; ++leg) {
        LegServo& s = c.servo[leg];
        if (s.pending && leg_in_position(c, leg) && in_position_group(s)) s.pending = false;
      }
      break;
    default:
      break;
  }
}

// Angle errors and voltage orders of one leg whose reference angles are set; a joint without
// a control mode stops the robot.
void leg_orders(Controller& c, int leg) {
  LegServo& s = c.servo[leg];
  for (int j = 0; j < kJointsPerLeg; ++j) {
    if (s.control_mode[j] == kNoControl) {
      emergency_stop(c, "ABNORMAL_CONTROL_MODE: NO_CONTROL!");
    }
    // Joint angle control (codes 5 and 6) is never selected by any operation; such a
    // joint keeps the reference angle it has.
    s.angle_error[j] = s.reference[j] - c.state.angle[leg][j];
    s.order[j] = c.params.km[leg][j] * s.angle_error[j];
  }
}

// One leg of the servo pass; false when the pass must stop there (EMG).
bool servo_leg(Controller& c, int leg) {
  LegServo& s = c.servo[leg];
  if (in_position_group(s)) {
    leg_position_step(c, leg);
  } else if (in_velocity_group(s)) {
    leg_velocity_step(c, leg);
  }
  if (c.mode.mode == kEmg) return false;
  leg_orders(c, leg);
  return true;
}

// The servo pass with the four legs' inverse kinematics solved side by side (see
// solve_references), when every leg follows a position or velocity command. The effects are
// those of servo_leg for legs 0..3 in turn: a leg without a solution stops the pass where the
// single steps would have, with the legs after it as they were. False when the pass stopped.
bool servo_legs_together(Controller& c) {
  // What the lead steps and the solutions change, kept to undo them for the legs after one
  // without a solution.
  struct LeadSave {
    double lead[3], lead_velocity[3], ik_input[3], reference[kJointsPerLeg];
    int32_t inpos_count;
  } before[kLegCount];
  bool position[kLegCount];
  for (int leg = 0; leg < kLegCount; ++leg) {
    const LegServo& s = c.servo[leg];
    LeadSave& b = before[leg];
    std::copy(std::begin(s.lead), std::end(s.lead), b.lead);
    std::copy(std::begin(s.lead_velocity), std::end(s.lead_velocity), b.lead_velocity);
    std::copy(std::begin(s.ik_input), std::end(s.ik_input), b.ik_input);
    std::copy(std::begin(s.reference), std::end(s.reference), b.reference);
    b.inpos_count = s.inpos_count;
    position[leg] = in_position_group(s);
  }
  step_leads(c, position);
  bool ok[kLegCount];
  solve_references(c, ok);
  for (int leg = 0; leg < kLegCount; ++leg) {
    if (!ok[leg]) {
      // Undo the later legs' lead steps, then fail this leg as its single step does.
      for (int rest = leg + 1; rest < kLegCount; ++rest) {
        LegServo& s = c.servo[rest];
        const LeadSave& b = before[rest];
        std::copy(std::begin(b.lead), std::end(b.lead), s.lead);
        std::copy(std::begin(b.lead_velocity), std::end(b.lead_velocity), s.lead_velocity);
        std::copy(std::begin(b.ik_input), std::end(b.ik_input), s.ik_input);
        std::copy(std::begin(b.reference), std::end(b.reference), s.reference);
        s.inpos_count = b.inpos_count;
      }
      solve_leg_reference(c, leg);
      if (c.mode.mode == kEmg) return false;
      leg_orders(c, leg);
      for (int rest = leg + 1; rest < kLegCount; ++rest)
        if (!servo_leg(c, rest)) return false;
      return true;
    }
    leg_orders(c, leg);
  }
  return true;
}

bool every_leg_commanded(const Controller& c) {
  for (const LegServo& s : c.servo) {
    if (!in_position_group(s) && !in_velocity_group(s)) return false;
    for (uint8_t m : s.control_mode)
      if (m == kNoControl) return false;
  }
  return true;
}

}  // namespace

void control(Controller& c) {
  if (servo_pass_runs(c)) {
    if (every_leg_commanded(c)) {
      if (!servo_legs_together(c)) return;
    } else {
      for (int leg = 0; leg < kLegCount; ++leg)
        if (!servo_leg(c, leg)) return;
    }
    if (c.mode.mode == kEmg) return;
    const double dt = c.params.sampling_time;
    for (int leg = 0; leg < kLegCount; ++leg) {
      for (int j = 0; j < kJointsPerLeg; ++j) {
        double& v = c.servo[leg].order[j];
        const double limit = c.params.max_volt[leg][j];
        if (v > limit) v = limit;
        if (v < -limit) v = -limit;
        if (c.plant_faults)
          c.plant_faults->drive(c.sensor, leg, j, v, dt);
        else
          c.sensor.raw[leg][j] += v * c.sensor.plant_gain[leg][j] * dt;
      }
    }
  }
  mode_post_step(c);
}

void hold_all(Controller& c) {
  for (int leg = 0; leg < kLegCount; ++leg) set_control_mode(c, leg, kPositionControl);
  for (int leg = 0; leg < kLegCount; ++leg) {
    LegServo& s = c.servo[leg];
    for (int k = 0; k < 3; ++k) s.goal[k] = c.state.point[leg][kFoot][k];
    for (int j = 0; j < kJointsPerLeg; ++j) {
      s.ref_angle[j] = c.state.angle[leg][j];
      s.order[j] = 0;
    }
  }
}

bool leg_in_position(Controller& c, int leg) {
  return count_pass(c.servo[leg].inpos_count,
                    foot_within(c, leg, c.params.active.b2.position_err[leg]));
}

bool all_legs_in_position(Controller& c) {
  for (int leg = 0; leg < kLegCount; ++leg)
    if (!leg_in_position(c, leg)) return false;
  return true;
}

bool joint_in_position(Controller& c, int leg, int joint) {
  LegServo& s = c.servo[leg];
  bool within = std::fabs(s.ref_angle[joint] - c.state.angle[leg][joint]) <=
                c.params.active.b2.angle_err[leg][joint];
  return count_pass(s.joint_inpos_count[joint], within);
}

bool leg_joints_in_position(Controller& c, int leg) {
  for (int j = 0; j < kJointsPerLeg; ++j) {
    uint8_t m = c.servo[leg].control_mode[j];
    if ((m == kJointAngleControl || m == kJointAngleControlAlt) && !joint_in_position(c, leg, j))
      return false;
  }
  return true;
}

bool all_joints_in_position(Controller& c) {
  for (int leg = 0; leg < kLegCount; ++leg)
    if (!leg_joints_in_position(c, leg)) return false;
  return true;
}

bool leg_near(Controller& c, int leg) {
  return foot_within(c, leg, c.params.active.b2.position_err_near[leg]);
}

bool all_legs_near(Controller& c) {
  for (int leg = 0; leg < kLegCount; ++leg)
    if (!leg_near(c, leg)) return false;
  return true;
}

bool joint_near(Controller&, int, int) {
  return false;
}
bool leg_joints_near(Controller&, int) {
  return false;
}
bool all_joints_near(Controller&) {
  return false;
}

}  // namespace rokan
