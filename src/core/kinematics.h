// Leg kinematics: forward kinematics, the inverse kinematics Position2angle, and the two
// per-cycle reference generators that move a leg's lead point within A_MAX and V_MAX.
#pragma once

#include <cstdint>

#include "core/robot_state.h"

namespace rokan {

struct Controller;

// Cosine and sine of one angle, kept with the bit pattern of the angle they belong to (so -0.0
// and +0.0, whose sines differ, are told apart). A joint that has not moved since the last
// cycle reuses them: the values are the very same doubles the library would return again.
struct AngleTrig {
  uint64_t bits = 0;
  bool valid = false;
  double cos = 0, sin = 0;
};

// The inverse kinematics of a leg: the last successful solution by the target's bit patterns
// (a leg held at its goal asks for the same target every cycle), and theta1 by the target's
// offset from the base (a foot moving up or down keeps it), with the rotation into the leg
// plane.
struct IkMemo {
  uint64_t target[3] = {};
  bool valid = false;
  double out[kJointsPerLeg] = {};
  uint64_t offset[2] = {};
  bool theta1_valid = false;
  double theta1 = 0;
  AngleTrig rotation;  // of -theta1
};

// Results the cycle may reuse while their inputs stay bit for bit the same. Only speed depends
// on it: every value handed out equals a fresh computation.
struct KinematicsMemo {
  AngleTrig joint[kLegCount][kJointsPerLeg];
  IkMemo ik[kLegCount];
};

// Hip, knee and foot of a leg (mm) from its chain-form angles (rad) and its base point.
void forward_leg(RobotState& state, int leg);
// forward_leg with the sines and cosines taken from (and kept in) `trig`, the leg's three joints.
void forward_leg(RobotState& state, int leg, AngleTrig trig[kJointsPerLeg]);
// Foot position to chain-form angles; out[0] starts as the leg's present theta1. True on
// success; on failure every leg is held (hold_all) and false is returned.
bool Position2angle(Controller& c, int leg, const double target[3], double out[3]);
// One sampling time of a leg's reference generator in position control: the lead point moves
// towards the goal within A_MAX and V_MAX (or settles on it once the leg is in position, which
// advances the in-position counter), and the servo set-point `reference` is solved from it.
void leg_position_step(Controller& c, int leg);
// Likewise in velocity control: the lead point follows the velocity command.
void leg_velocity_step(Controller& c, int leg);

// The two halves of those steps, for a servo pass that solves the four legs together: the lead
// point and the inverse kinematics input of one leg (leg 0..3)...
void leg_position_lead(Controller& c, int leg);
void leg_velocity_lead(Controller& c, int leg);
// The lead steps of all four legs at once, position[leg] choosing leg_position_lead (else
// leg_velocity_lead): the same effects, the legs' arithmetic side by side.
void step_leads(Controller& c, const bool position[kLegCount]);
// ...then the reference angles of all four legs from their inputs, as Position2angle gives
// them (and keeps them in the memo). ok[leg] is false where a leg has no solution; such a
// leg's reference is left as it was and nothing else is done for it: the caller repeats it
// with solve_leg_reference, which holds the legs and stops in EMG as the single step does.
void solve_references(Controller& c, bool ok[kLegCount]);
void solve_leg_reference(Controller& c, int leg);

}  // namespace rokan
