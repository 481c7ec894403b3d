// The sampling cycle: one tick of the controller, the start-up sequence on the first tick and
// the end routine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rokan {

struct Controller;

struct CycleState {
  uint8_t init_request = 1;      // the next tick runs the start-up sequence
  uint8_t init_in_progress = 0;  // ticks return at once while start-up runs
  uint8_t quitting = 0;          // set by the quit confirmation; ticks return at once
  double elapsed = 0;            // s, wraps to 0 at 1000
  int32_t draw_countdown = 0;
  int32_t draw_skip = 0;    // drawing skip count (views drawn every skip + 1 ticks)
  uint64_t tick_count = 0;  // sampling cycles run since start-up
  bool terminated = false;  // the end routine has run
  // The end routine ran without the operator's quit confirmation (bad user.ini, no log area,
  // an abnormal leg number, ...): the front ends say why and end with a failure status.
  bool ended_by_itself = false;
  std::string stop_reason;  // CP932, the message that ended it
};

void sampling_tick(Controller& c);
void startup(Controller& c);
int terminate(Controller& c, int code);
// The controller cannot go on: reports `reason` (status line, emg.log when open), keeps it as the
// stop reason and runs the end routine.
void fatal_stop(Controller& c, std::string_view reason);
// The quit confirmation and, on OK, the end routine (File/Quit and key E).
void confirm_and_quit(Controller& c);

}  // namespace rokan
