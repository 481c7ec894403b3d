// The sampling cycle: one tick of the controller, the start-up sequence on the first tick and
// the end routine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rokan {

struct Controller;

struct CycleState {
  bool init_request = true;       // the next tick runs the start-up sequence
  bool init_in_progress = false;  // ticks return at once while start-up runs
  bool quitting = false;          // set by the quit confirmation; ticks return at once
  double elapsed = 0;             // s, wraps to 0 at 1000
  int32_t draw_countdown = 0;
  int32_t draw_skip = 0;        // drawing skip count (views drawn every skip + 1 ticks)
  uint64_t tick_count = 0;      // sampling cycles run since start-up
  uint64_t over_run_cycle = 0;  // tick_count of the last cycle whose control work over-ran
  bool terminated = false;      // the end routine has run
  bool log_unsaved = false;     // the end routine could not write the pending sampling data
  // The run ended without the operator's quit confirmation (bad user.ini, no log area, no
  // report log, an abnormal leg number, ...): the front ends say why and end with a failure
  // status.
  bool ended_by_itself = false;
  std::string stop_reason;  // CP932, the message that ended it
  std::string stop_file;    // controller path of the file whose failure ended it, if one did
};

// Exit status of a run whose end routine could not write the pending sampling data (the front
// ends use it whatever else the run would have returned).
inline constexpr int kExitLogUnsaved = 4;

// One sampling cycle, the body of the sampling timer: the start-up sequence on the first call,
// then sensor read, state update, mode pre-step, servo and plant, logger (the timed control work,
// whose over-run stops the robot), drawing, the safety monitor, lamps and one stored key. The
// elapsed time advances by one sampling time. Returns at once while start-up runs (nested waits
// of start-up call it) and once quitting. Once each text it shows was shown, the controller's
// work allocates nothing: texts are formatted on the stack into lines that keep their room.
void sampling_tick(Controller& c);
// The time field's text for an elapsed time in seconds: "%8.3lf[sec]".
std::string time_field_text(double elapsed);
// The start-up sequence: login, parameters, start pose, report log and log area, then a wait for
// a key. A start-up that cannot go on leaves through the end routine (or, without its report
// log, through Host::exit_process and never returns).
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
