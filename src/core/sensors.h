// Sensor read and the per-cycle state update: potentiometer counts to angles, their
// derivatives, and the leg points by forward kinematics.
#pragma once

#include "core/kinematics.h"
#include "core/robot_state.h"

namespace rokan {

struct Controller;

// One converter read: the potentiometer counts become voltages (pt_volt, -10..+10 V, mirrored
// on channels 0..11) and the paw voltages switch states (closed above 2.0 V). The Controller
// form reads through the attached PlantFaults when there is one.
void read_sensors(Sensor& sensor);
// Angles (rad) from potentiometer voltages, then their backward differences over dt (s).
void update_state(const Sensor& sensor, RobotState& state, double dt);
// Base, hip, knee and foot of legs 0..3 from the stored angles, then foot velocity and
// acceleration over dt.
// `trig`, when given, is the [4][3] memo of the joints' sines and cosines (KinematicsMemo).
void update_legs(RobotState& state, double dt, AngleTrig (*trig)[kJointsPerLeg] = nullptr);
// Zeroes the derivatives and settles them with three updates without a sensor read.
void prime_state(const Sensor& sensor, RobotState& state, double dt);

// Backward differences of a quantity sampled once per cycle (the joint angles, the foot points),
// worked out only when someone reads them. The cycle keeps the inputs of its two latest updates;
// settling applies the same two updates an eager computation would have made last (the newest
// rate depends only on those), so the rates come out bit for bit the same. Saves the live cycle
// 48 divisions that nothing reads in most cycles.
struct DeferredRates {
  struct Update {
    double before[kLegCount][kJointsPerLeg];  // the value the update replaced
    double after[kLegCount][kJointsPerLeg];   // the value it stored
    double dt;
  };
  Update update[2];
  int newest = 0;   // index of the latest update in `update`
  int pending = 0;  // updates since the rates were last settled (only the last two matter)
};

// The live state's rates (omega, omega_dot, foot_vel, foot_acc) as of the last update; call
// before reading them. Cheap when nothing is pending.
void settle_rates(Controller& c);

// Convenience forms on the live records, with dt the sampling time. The cycle's updates defer
// the rates (settle_rates).
void read_sensors(Controller& c);
void update_state(Controller& c);
void update_legs(Controller& c);
// Settles the rates as prime_state(Sensor, RobotState, dt) does: no update left pending.
void prime_state(Controller& c);
// ORIGIN clear: sensor read, then every origin to 0.
void origin_clear(Controller& c);

}  // namespace rokan

namespace rokan {
// Brings theta1 of a leg into its range: [0, 2pi] for legs 0 and 2, [-pi, pi] for 1 and 3.
double wrap_leg_theta1(int leg, double theta1);
}  // namespace rokan
