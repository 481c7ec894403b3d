// The safety monitor: converter band, joint limits of the measured and goal angles, over-run.
#pragma once

#include <cstdint>

namespace rokan {

struct Controller;

struct SafetyState {
  uint8_t pt_check_off = 0;  // menu item "PT_LIMIT OFF"
  uint8_t angle_latch = 0;   // set after an angle check fired, cleared at the initial posture
};

void safety_check(Controller& c);
// Reports every violation of the fixed joint limits in 12 chain-form angles (leg-major);
// returns 1 when there was at least one.
int angle_limit_check(Controller& c, const double angles[12]);

}  // namespace rokan
