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
  int32_t draw_skip = 0;        // drawing skip count (views drawn every skip + 1 ticks)
  uint64_t tick_count = 0;      // sampling cycles run since start-up
  uint64_t over_run_cycle = 0;  // tick_count of the last cycle whose control work over-ran
  bool terminated = false;      // the end routine has run
  bool log_unsaved = false;     // the end routine could not write the pending sampling data
  // The end routine ran without the operator's quit confirmation (bad user.ini, no log area,
  // an abnormal leg number, ...): the front ends say why and end with a failure status.
  bool ended_by_itself = false;
  std::string stop_reason;  // CP932, the message that ended it
};

// Exit status of a run whose end routine could not write the pending sampling data (the front
// ends use it whatever else the run would have returned).
inline constexpr int kExitLogUnsaved = 4;

void sampling_tick(Controller& c);
// The time field's text for an elapsed time in seconds: "%8.3lf[sec]".
std::string time_field_text(double elapsed);
void startup(Controller& c);
// The end routine. Runs once; a failed write of the pending sampling data is reported by the
// writer and leaves `log_unsaved` set for the front end.
int terminate(Controller& c, int code);
// The controller cannot go on: reports `reason` (status line, emg.log when open), keeps it as the
// stop reason and runs the end routine.
void fatal_stop(Controller& c, std::string_view reason);
// The quit confirmation and, on OK, the end routine (File/Quit and key E).
void confirm_and_quit(Controller& c);

}  // namespace rokan
