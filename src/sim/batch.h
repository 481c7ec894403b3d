// Batch runs of rokan-sim, for checking AUTO programs without an operator (in CI, say). A batch
// run starts the controller in a workspace, answers the start-up (login as the first user of
// user.ini, the start-up key), brings the robot to its initial posture (ORIGIN, I), enters AUTO,
// starts one program and runs it on simulated time until the controller returns to MANUAL (the
// program ended), stops in EMG, or the time runs out. Operator inputs change at given times after
// the program starts. Every change of the status line goes to the output stream as one UTF-8 line.
// Whatever the outcome, the run ends through the end routine, so pending sampling data are
// written (the log notice is answered OK).
//
// The driver knows nothing about the kind of program: a BatchProgram says how to choose and start
// it in AUTO mode and how to trace it. Built-in programs come from builtin_batch_program; a RIX
// program needs only another BatchProgram.
#pragma once

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/controller.h"
#include "faults/fault_injector.h"
#include "sim/silent_host.h"

namespace rokan {

// Exit status of a batch run.
enum BatchStatus : int {
  kBatchEnded = 0,    // the program ended and the controller is back in MANUAL
  kBatchEmg = 1,      // the run ended in EMG; the reason went to the error stream
  kBatchUsage = 2,    // bad arguments, or the run could not be prepared
  kBatchTimeout = 3,  // the program still ran when the time was up
};
// Result of a step that leaves the run going.
inline constexpr int kBatchRunning = -1;

// A change of an operator input, or a typed key, at a time after the program starts.
struct BatchInput {
  enum Kind { kVr, kPaw, kAntenna, kKey };
  Kind kind = kVr;
  int index = 0;     // VR1..VR3 as 0..2, PAW1..PAW4 as 0..3
  double volts = 0;  // kVr: -10..10 V in 0.1 V steps, as the sliders of the control box
  bool on = false;   // kPaw, kAntenna: the check box
  int key = 0;       // kKey: the key code; Tab and Esc arrive as releases
  double at = 0;     // s of simulated time after the program starts
};

// A fault of the simulated robot at a time after the program starts (--fault).
struct BatchFault {
  Fault fault;
  double at = 0;  // s of simulated time after the program starts
};

// The value of --fault, KIND:TARGET[:VALUE]@T (T defaults to 0); false with the reason.
bool parse_fault_option(std::string_view arg, BatchFault& out, std::string& error);

struct BatchOptions {
  std::string workspace;
  int auto_program = -1;           // --auto N: built-in program N
  std::string rix_file;            // --run FILE.RIX, as given (relative to the launch directory)
  double seconds = 600;            // simulated time the program may run
  std::vector<BatchInput> inputs;  // in command-line order
  bool trace = false;
  std::vector<BatchFault> faults;  // in command-line order
};

// True when the arguments ask for a batch run (they name --auto or --run).
bool is_batch_command(int argc, char** argv);
// Reads the arguments of a batch run. On a usage error returns false with the reason in `error`.
bool parse_batch_options(int argc, char** argv, BatchOptions& out, std::string& error);

class BatchSession;

// How a batch run chooses, starts and traces its program.
struct BatchProgram {
  // Called in AUTO mode with no program chosen. Chooses and starts the program with
  // BatchSession::press; returns kBatchRunning once it runs, else the exit status (having
  // written the reason to the error stream).
  std::function<int(BatchSession&)> start;
  // With --trace: called after every cycle of the run.
  std::function<void(BatchSession&)> trace;
  // When set: whether a return to MANUAL means that the program ran to its end (rather than
  // being stopped by a key); a stopped run exits with kBatchEmg.
  std::function<bool(const Controller&)> reached_end;
};

// Built-in AUTO program n (1..6 or 9): keys n and S. The trace prints each new AUTO step with the
// program time of the cycle that set it, "step 59 at 2.345 s".
BatchProgram builtin_batch_program(int n);

// The RIX program `file` (relative to the launch directory, or absolute), compiled with its own
// directory as the RIX directory: key 0, the compile (an error prints the report line and
// FILE:LINE: error: TEXT and exits kBatchUsage; warnings are printed as FILE: warning: TEXT and
// accepted), then S. The trace prints every instruction as it is reached, "pc 12 WAIT_INPOS at
// 0.123 s", not the cycles a waiting instruction repeats. Compile errors and warnings name the
// file as `shown` when it is given (a copy of the program runs under its original's name).
BatchProgram rix_batch_program(const std::string& file, const std::string& shown = "");

// Thrown when the controller waits for something a batch run cannot give (a key outside the
// start-up, a start-up that does not end).
class BatchStuck : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The controller of one batch run together with its host. The host answers the start-up waits,
// cancels input dialogs, refuses to quit, answers the log notice OK and echoes the status line.
class BatchSession : public SilentHost {
 public:
  BatchSession(const BatchOptions& options, std::FILE* out, std::FILE* err, std::string launch_dir);

  // Prepares the robot, starts `program` and runs it; returns the exit status. The end routine
  // has run when it returns.
  int run(const BatchProgram& program);

  // run() in pieces, for a front end that drives the cycles itself (the DAP server): begin()
  // prepares the robot and starts the program, step() runs one cycle of it; each returns
  // kBatchRunning while the program runs, else the exit status, which finish() takes to run the
  // end routine and returns (possibly changed). `count_time` false: the cycle does not count
  // against --seconds or the input times (the debugger holds the program).
  int begin(const BatchProgram& program);
  int step(const BatchProgram& program, bool count_time = true);
  int finish(int status);

  Controller& controller() { return c_; }
  const BatchOptions& options() const { return options_; }
  std::FILE* out() { return out_; }
  std::FILE* err() { return err_; }
  // The directory rokan-sim was started in: relative paths of the command line start there.
  const std::string& launch_dir() const { return launch_dir_; }

  // The simulated robot's faults (in effect only when the run has --fault options).
  const FaultInjector& faults() const { return faults_; }

  // Simulated seconds from the program start to the start of the last cycle run.
  double program_time() const { return program_time_; }

  // One sampling cycle.
  void tick();
  // A typed key and the cycle whose key dispatcher takes it.
  void press(int key);
  // The status after a step of the preparation or the start that did not do what it should:
  // kBatchEmg with the EMG reason when the controller stopped in EMG, else kBatchUsage with
  // "rokan-sim: " and `what`. Both go to the error stream.
  int fail(const std::string& what);

  // Host: a start-up wait is answered, the status line is echoed, the rest stays silent.
  void process_one_event() override;
  double monotonic_seconds() override;
  void paint_strip() override;
  [[noreturn]] void exit_process(int code) override;

 private:
  int prepare();
  int run_cycle(const BatchProgram& program, bool count_time);
  // Runs `f`, turning what ends a batch run early (a stuck wait, a signal, the controller ending
  // the process) into its exit status.
  int guarded(const std::function<int()>& f);
  void apply(const BatchInput& input);
  // Applies the faults due at the program time; with --trace says so.
  void apply_faults(std::size_t& next);
  // The EMG reason (the status line) on the error stream; kBatchEmg.
  int emg();

  const BatchOptions& options_;
  std::FILE* out_;
  std::FILE* err_;
  std::string launch_dir_;
  Controller c_;
  double program_time_ = 0;
  bool echo_ = false;        // status line changes go to `out_`
  std::string last_status_;  // CP932, the last status line echoed
  int startup_keys_ = 0;     // keys given to the start-up waits
  bool user_chosen_ = false;
  FaultInjector faults_;            // attached to the controller when the run has --fault options
  std::vector<BatchFault> due_;     // the faults in time order
  std::vector<BatchInput> inputs_;  // sorted by time
  std::size_t next_input_ = 0;
  std::size_t next_fault_ = 0;  // the next of due_ to apply
  bool exited_ = false;         // the controller ended the process itself: no end routine
};

// A batch run with its files in `options.workspace` (the process's working directory is never
// changed); the exit status.
int run_batch(const BatchOptions& options, const BatchProgram& program, std::FILE* out,
              std::FILE* err);

// rokan-sim's batch mode: parses the arguments, runs and returns the exit status.
int batch_main(int argc, char** argv, std::FILE* out, std::FILE* err);

// The usage text of rokan-sim, both modes.
const char* rokan_sim_usage();

}  // namespace rokan
