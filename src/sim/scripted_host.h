// The scripted host: runs the controller from a queue of script events instead of a window
// system. The top level takes events one by one; a wait inside the controller (wait_key, a
// modal dialog) takes the next events from the same queue, so ticks queued while a menu waits
// run as nested sampling cycles, exactly as timer events do under the GUI. A wait that finds
// the queue empty throws ScriptExhausted instead of hanging. Time never comes from the wall
// clock, so a run is deterministic.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "faults/fault_injector.h"
#include "platform/host.h"
#include "sim/script.h"

namespace rokan {

struct Controller;

// The script ended while the program waited for a key or a dialog answer.
class ScriptExhausted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The program asked to end the process (exit_process), or a wait went on after the main window
// had closed.
struct ProcessExit {
  int code;
};

class ScriptedHost : public Host {
 public:
  using DumpHandler = std::function<void(DumpKind)>;
  using DebugHandler = std::function<void(const ScriptEvent&)>;

  // The controller meets the simulated robot's faults only when the script has `fault` lines.
  void attach(Controller& c);
  void append(const std::vector<ScriptEvent>& events);
  void set_dump_handler(DumpHandler handler) { dump_ = std::move(handler); }
  // Runs the debugger lines; without a handler they are a script error.
  void set_debug_handler(DebugHandler handler) { debug_ = std::move(handler); }

  // Handles the queued events at top level until the queue is empty or the main window closed.
  // Throws ScriptError, ScriptExhausted, ProcessExit, or StopRequested when a stop signal came.
  void run();
  // Ends the run, however run() ended: from here on no event is taken and the log notice is
  // acknowledged (nobody is left to answer it); the end routine runs unless the program has
  // ended itself, so pending sampling data are written (standard error says where). Returns the
  // exit status: kExitLogUnsaved when those data could not be written, else 128 + signal after
  // a stop signal, else `status`.
  int end_run(int status);

  bool window_closed() const { return closed_; }
  bool has_events() const { return next_ < events_.size(); }
  int timer_interval() const { return interval_ms_; }
  // Line of the last event taken from the queue (0 before the first).
  int last_line() const { return last_line_; }
  const FaultInjector& faults() const { return faults_; }

  void process_one_event() override;
  void run_input_dialog(std::string& field) override;
  bool run_quit_confirmation() override;
  void run_log_notice(const std::string& file_text, const std::string& over_time_text,
                      const std::string& overflow_text) override;
  void paint_strip() override {}
  void paint_views() override {}
  void set_time_field(double) override {}
  void update_lamps() override {}
  void text_screen_changed() override {}
  void set_timer_interval(int milliseconds) override { interval_ms_ = milliseconds; }
  void close_main_window() override { closed_ = true; }
  [[noreturn]] void exit_process(int code) override { throw ProcessExit{code}; }
  // Simulated: it stands still but for an injected over-run.
  double monotonic_seconds() override;

 private:
  enum class Dialog { kNone, kInput, kConfirm, kNotice };

  // The next event (one cycle of a `tick N` line at a time). `waiting_for` says what a wait
  // expects, for the message when the queue is empty; nullptr at top level.
  ScriptEvent next_event(const char* waiting_for);
  // Runs one event while `dialog` is open; true when the event is that dialog's answer.
  bool handle(const ScriptEvent& e, Dialog dialog);
  ScriptEvent wait_for_answer(Dialog dialog);

  void connect_faults();

  Controller* c_ = nullptr;
  DumpHandler dump_;
  DebugHandler debug_;
  FaultInjector faults_;
  bool has_faults_ = false;  // the script breaks the robot somewhere
  std::vector<ScriptEvent> events_;
  std::size_t next_ = 0;
  uint64_t ticks_taken_ = 0;  // cycles already taken from the tick line at events_[next_]
  int last_line_ = 0;
  int interval_ms_ = 1;
  bool closed_ = false;
  bool ending_ = false;
};

}  // namespace rokan
