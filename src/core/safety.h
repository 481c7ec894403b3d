// The safety monitor: converter band, joint limits of the measured and goal angles, over-run.
#pragma once

#include "core/robot_state.h"

namespace rokan {

struct Controller;

struct SafetyState {
  bool pt_check_off = false;  // menu item "PT_LIMIT OFF"
  bool angle_latch = false;   // set after an angle check fired, cleared at the initial posture
  // A count out of the converter band is reported when it leaves the band, not in every cycle
  // it stays out (that would add a thousand lines a second to emg.log); cleared when it is back.
  bool pt_reported[kLegCount][kJointsPerLeg] = {};
  // A sampling cycle over-ran; set by the cycle, cleared by the operator's alarm clear (C in
  // EMG), so that one over-run stops the robot once and not again in every following cycle.
  bool over_run = false;
};

// The safety monitor's part of a sampling cycle: a potentiometer count outside the converter
// band (unless PT_LIMIT OFF), a measured or reference angle beyond the joint limits, or an
// over-run not yet cleared switches to EMG and is reported. Reference angles beyond the limits
// while the operator drives a leg in MANUAL only hold the legs and release the leg.
void safety_check(Controller& c);
// Key C in EMG: the over-run that stopped the robot has been seen.
void clear_alarms(Controller& c);
// Option menu "PT_LIMIT OFF": off = 1 stops the potentiometer band check.
void set_pt_check_off(Controller& c, bool off);
// Reports every violation of the fixed joint limits in 12 chain-form angles (leg-major);
// returns 1 when there was at least one.
int angle_limit_check(Controller& c, const double angles[kLegCount * kJointsPerLeg]);

}  // namespace rokan
