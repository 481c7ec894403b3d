// Leg kinematics: forward kinematics, the inverse kinematics Position2angle, and the two
// per-cycle reference generators that move a leg's lead point within A_MAX and V_MAX.
#pragma once

#include "core/robot_state.h"

namespace rokan {

struct Controller;

void forward_leg(RobotState& state, int leg);
// Foot position to chain-form angles; out[0] starts as the leg's present theta1. 1 on success;
// on failure every leg is held (hold_all) and 0 is returned.
int Position2angle(Controller& c, int leg, const double target[3], double out[3]);
void leg_position_step(Controller& c, int leg);
void leg_velocity_step(Controller& c, int leg);

}  // namespace rokan
