// Per-leg servo data: control modes, goals, the lead point of the reference generators, the
// reference angles, voltage orders and the in-position counters.
#pragma once

#include <cstdint>

#include "core/robot_state.h"

namespace rokan {

enum ControlMode : uint8_t {
  kNoControl = 0,
  kPositionControl = 1,
  kPositionControlAlt = 2,
  kVelocityControl = 3,
  kVelocityControlAlt = 4,
  kJointAngleControl = 5,
  kJointAngleControlAlt = 6,
};

struct LegServo {
  uint8_t control_mode[kJointsPerLeg];  // the three joints of a leg always carry the same code
  double ref_angle[kJointsPerLeg];      // joint goal angle ("Ref_angle"), written only by hold_all
  double angle_error[kJointsPerLeg];    // reference angle - present angle, rad
  double order[kJointsPerLeg];          // voltage order, V
  int32_t joint_inpos_count[kJointsPerLeg];
  int32_t inpos_count;
  bool pending;                // motion pending flag
  double goal[3];              // goal position ("Ref_Position"), mm
  double velocity_command[3];  // mm/s
  double lead[3];              // lead point of this cycle, mm
  double lead_velocity[3];     // mm/s
  double ik_input[3];
  double reference[kJointsPerLeg];  // chain-form angles from Position2angle: the servo set-point
};

}  // namespace rokan
