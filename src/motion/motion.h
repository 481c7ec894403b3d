// The motion command layer: everything that moves a leg hands its goal to the servo through
// these commands. Each checks its arguments; a bad one switches to EMG and reports why. None of
// them moves anything itself: they set a leg's servo data (control mode, goal or velocity, lead
// point, pending flag), and the servo carries the motion out over the following cycles. Legs
// are 0..3; positions are mm in the body frame, velocities mm/s.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/robot_state.h"

namespace rokan {

struct Controller;

struct FloorDetectState {
  bool found[kLegCount] = {};
  int32_t current_leg = 0;
  double speed = 0;  // mm/s
};

// Puts the leg's three joints into control mode `code` (at most kVelocityControl) with the goal
// at the present foot. A bad code or leg: EMG, "Control mode Error".
void set_control_mode(Controller& c, int leg, uint8_t code);
// Position control towards (x, y, z), starting from the present goal at rest; sets the pending
// flag. 0 after refusing a bad leg ("Leg No. Error"), else 1.
int move_leg_to(Controller& c, int leg, double x, double y, double z);
// move_leg_to the present goal plus the step: steps issued while a move is in progress add up. A
// zero step stops the leg where its foot is.
int move_leg_by(Controller& c, int leg, double dx, double dy, double dz);
// Velocity control at (vx, vy, vz) mm/s until another command; sets the pending flag.
int move_leg_velocity(Controller& c, int leg, double vx, double vy, double vz);
// Speed limits of a leg while an AUTO program runs: A_MAX (mm/s^2) and V_MAX (mm/s), absolute
// (which also becomes the reference of the percentages) or as 0 < p <= 100 percent of the
// reference taken on AUTO entry. Refused in EMG with "Wrong leg No.", "Domain Error" or "Control
// mode Error" (no AUTO program running).
void set_a_max(Controller& c, int leg, double value);
void set_a_max_percent(Controller& c, int leg, double p);
void set_v_max(Controller& c, int leg, double value);
void set_v_max_percent(Controller& c, int leg, double p);
// One cycle of a floor search by leg `leg` (-1: all legs), `first` set on the first cycle of the
// search: kind 1 lowers until the paw closes, kind 2 lowers one leg after the other, kind 3
// raises until it opens; each leg found stops where it is. True once every named leg was found,
// false while searching or after refusing a bad kind or leg ("Serious error in DETECT_FLOOR").
bool detect_floor(Controller& c, bool first, int kind, int leg);
// A RIX KEY_IN wait: from begin until end, typed keys are captured for the program instead of
// being dispatched (CR still stops the robot).
void key_wait_begin(Controller& c);
void key_wait_end(Controller& c);
// 1 when the controller path names a file (not a directory) in the workspace that opens for
// reading, else 0.
int file_exists(const Controller& c, std::string_view cp932_path);

}  // namespace rokan
