// The seam between the controller and whatever runs it. The controller asks its host for the
// few things a GUI toolkit gives it: one event at a time from inside a running handler (so that
// waits run nested sampling cycles), modal dialogs, repaints, the timer interval, closing the
// main window and a monotonic clock. The Qt host (src/gui) runs the GUI; the scripted host
// (src/sim) runs rokan-sim and the scenario tests from a script; the silent host serves batch
// runs, benchmarks and fuzzing; unit tests queue closures on a fake host of their own.
#pragma once

#include <string>

namespace rokan {

class Host {
 public:
  virtual ~Host() = default;

  // Handles one pending event, or waits for the next one and handles it. A timer event runs a
  // complete sampling cycle nested inside the caller.
  virtual void process_one_event() = 0;

  // Modal string input dialog. `field` holds the dialog's text on entry (it keeps the last text
  // entered) and its text when the dialog closes; Cancel empties it. CP932.
  virtual void run_input_dialog(std::string& field) = 0;
  // Modal quit confirmation; true when the operator chose OK.
  virtual bool run_quit_confirmation() = 0;
  // Modal sampling-log notice with its three texts (CP932); returns when it is closed.
  virtual void run_log_notice(const std::string& file_text, const std::string& over_time_text,
                              const std::string& overflow_text) = 0;

  // Repaint requests; each takes effect before it returns.
  virtual void paint_strip() = 0;
  virtual void paint_views() = 0;
  // The elapsed time of the drawn tick, s; a host that shows it formats it with
  // time_field_text() (core/cycle.h), so a host that shows nothing pays nothing.
  virtual void set_time_field(double elapsed) = 0;
  virtual void update_lamps() = 0;
  virtual void text_screen_changed() = 0;

  virtual void set_timer_interval(int milliseconds) = 0;
  virtual void close_main_window() = 0;
  // Ends the run at once with `code` and never returns to the controller. The controller calls
  // it only where nothing is left to write (a start-up that cannot open its report log); a
  // host's own wait calls it once the main window has gone. Every host keeps one contract:
  // either it ends the process itself after flushing the C streams (the Qt host), or it throws
  // to the loop that runs the controller, which ends the process with `code` (the headless and
  // test hosts). Files the controller has open are closed by their owner objects as the
  // exception passes, and a sampling log being written is removed, never left half written.
  [[noreturn]] virtual void exit_process(int code) = 0;
  // Seconds on a monotonic clock; a host without a wall clock returns a constant.
  virtual double monotonic_seconds() = 0;
};

}  // namespace rokan
