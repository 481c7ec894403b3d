// The RIX debugger: breakpoints, stepping, the program and motion pointers, the call stack and
// the variables of a running RIX program. It is a record of its own that the interpreter
// consults through Controller::rix_watch (src/rix/runtime/watch.h); nothing in the controller
// includes this folder. Front ends (rokan-sim script lines, the DAP server, GUI windows) call
// the free functions below between sampling cycles and read the records at any time.
//
// Holding the program ("paused") means only that the interpreter does not advance: every
// sampling cycle still runs, so a motion already commanded finishes, and EMG, the operator's
// keys and the operator's own pause (space) work as without the debugger. While the debugger
// holds the program the AUTO mode line says "デバッガ停止中".
//
// Using it:
//   RixDebugger d;                      // one per controller; not copyable
//   rix_debug_attach(d, c);             // c.rix_watch now points at d
//   d.stop_on_entry = true;             // optional: hold before the first instruction of a run
//   d.stop_on_error = true;             // default: hold a run that fails, before it ends in EMG
//   d.on_output = [](RixDebugOutput kind, std::string_view cp932) { ... };  // log points, notes
//   RixBreakpointSpec b;  b.line = 12;  b.condition = "I >= 3";
//   rix_debug_add_breakpoint(d, c.rix, b);  // the returned record says verified or why not
//   ... run sampling cycles; after each, rix_debug_state(d, c) says kRunning / kPaused / kEnded;
//   d.stop (reason, pc, line, text) and d.stop_count tell what the last stop was.
//   rix_debug_frames / rix_debug_variables / rix_debug_motion_pc read the program while paused.
//   rix_debug_step(d, c, RixStep::kOver); rix_debug_continue(d, c); ...
//   rix_debug_detach(d, c);             // before d goes away
//
// Lines are source lines as rixc prints them (1-based; line 1 holds the version, line 2 the
// heading). A pc is an index into the program's instructions (one per statement). Texts are
// CP932 like every text of the controller (the debugger's own messages are ASCII); front ends
// convert them for display. Run-control and set functions return an empty string on success and
// otherwise the reason they did nothing, for the front end to show.
//
// Breakpoints live across runs and recompiles: each run start (and each change made while a
// program is loaded) resolves them against the program in the image. A breakpoint on a line
// without a statement moves to the next line that has one (RixBreakpoint::line); one past the
// last statement, one whose condition does not compile, and one set while no program is loaded
// are unverified, with the reason in RixBreakpoint::message. A breakpoint stops the program when
// the program arrives at its line (not while a waiting statement repeats), before that statement
// runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rix/compiler/image.h"
#include "rix/runtime/watch.h"

namespace rokan {

struct Controller;

// What a front end asks for when it sets a breakpoint.
struct RixBreakpointSpec {
  int32_t line = 0;  // requested source line, from 1
  // A RIX comparison on the program's variables, as IF takes it ("I >= 3", "P.X < -250");
  // empty: always. Compiled with the program's variable table.
  std::string condition;
  // How many hits stop: "N" or "== N" only the Nth, ">= N", "> N", "<= N", "< N", "% N" every
  // Nth; empty: every hit. A hit is an arrival with the condition true.
  std::string hit_condition;
  // Non-empty: a log point. Instead of stopping it prints this text, with %NAME% and %NAME.d%
  // replaced as MESSAGE replaces them, through RixDebugger::on_output.
  std::string log_message;
};

struct RixBreakpoint {
  int32_t id = 0;  // unique for the debugger's lifetime (a DAP breakpoint id)
  RixBreakpointSpec spec;
  bool verified = false;
  int32_t line = 0;     // the verified line; 0 while unverified
  std::string message;  // why it is unverified (empty when verified)
  uint32_t hits = 0;    // arrivals with the condition true, over every run
  // Compiled form, kept by the resolution.
  RixInstruction condition_code{};
  bool has_condition = false;
  uint8_t hit_op = 0;  // 0 none; else one of '=', 'g' (>=), '>', 'l' (<=), '<', '%'
  uint32_t hit_value = 0;
};

enum class RixRunState : uint8_t {
  kNone,     // no RIX run has started since the controller started
  kRunning,  // a run is going and the debugger does not hold it
  kPaused,   // the debugger holds the run
  kEnded,    // the last run ended (END/EXIT, an error, EMG, or the operator stopped it)
};

enum class RixStopReason : uint8_t { kNone, kEntry, kBreakpoint, kStep, kPause, kError };

// The last time the debugger held the program, or the error that ended the last run.
struct RixDebugStop {
  RixStopReason reason = RixStopReason::kNone;
  int32_t pc = -1;   // the instruction the program stands on (for kError: the failing one)
  int32_t line = 0;  // its source line, 0 when unknown
  std::string text;  // kError: the report line ("[RIX_RUN]0005: ..."); kBreakpoint: why a
                     // condition could not be tested, when that is why it stopped
  std::vector<int32_t> breakpoints;  // ids of the breakpoints that stopped it
};

enum class RixStep : uint8_t {
  kIn,    // to the next statement, into a GOSUB/CALL
  kOver,  // to the next statement at this call depth or above: GOSUB/CALL runs to its return
  kOut,   // to the statement after the GOSUB/CALL that entered the current subroutine
};

enum class RixDebugOutput : uint8_t {
  kLog,   // a log point's text
  kNote,  // a notice of the debugger itself (a breakpoint that no longer resolves)
};

// One variable, or one component of a POS/JNT variable.
enum class RixVarKind : uint8_t { kVar, kPos, kJnt };
struct RixDebugVariable {
  std::string name;  // as declared; a component as "P.X" or "J.J2"
  RixVarKind kind = RixVarKind::kVar;
  int index = 0;       // into image.vars, image.pos or image.jnt
  int component = -1;  // -1 the whole variable, else 0..2
  int count = 1;       // values held: 1, or 3 for a whole POS (x y z mm) or JNT (3 angles, deg)
  double value[3] = {kRixUnset, kRixUnset, kRixUnset};  // kRixUnset: never assigned
  bool is_set(int k) const { return value[k] != kRixUnset; }
};

// One level of the GOSUB/CALL stack, innermost first.
struct RixDebugFrame {
  std::string name;  // the label called ("SUB1:"), or the program's file name for the main level
  int32_t pc = -1;   // innermost: the program pointer; outer levels: their GOSUB/CALL
  int32_t line = 0;
};

struct RixDebugger {
  RixDebugger() = default;
  ~RixDebugger();  // detaches itself
  RixDebugger(const RixDebugger&) = delete;
  RixDebugger& operator=(const RixDebugger&) = delete;

  // Settings, read when a run starts or fails.
  bool stop_on_entry = false;
  bool stop_on_error = true;
  // Where log point texts and notes go (CP932); dropped when empty. Called inside a cycle.
  std::function<void(RixDebugOutput, std::string_view)> on_output;

  // Read by front ends; changed only through the functions below.
  std::vector<RixBreakpoint> breakpoints;
  RixDebugStop stop;        // the last stop (see RixDebugStop)
  uint32_t stop_count = 0;  // grows by one at every hold: a front end sees a new stop by it
  RixDebugStop error;       // the error that ended or holds the last run; reason kNone if none

  // Internal state of the watch.
  RixWatch watch;
  Controller* attached = nullptr;
  uint32_t run = 0;          // RixImage::run_count of the run last seen by the watch
  bool held = false;         // the watch holds the run
  bool resumed = false;      // let the instruction the program stands on run without a check
  bool error_held = false;   // the hold is a failure's; letting go ends the run
  bool entry_pause = false;  // pause asked for between a run's start and its first instruction
  RixStep step = RixStep::kIn;
  bool stepping = false;
  int32_t step_depth = 0;                    // gosub depth when the step began
  int32_t run_to_line = 0;                   // > 0: a run to this line is in progress
  std::vector<uint8_t> line_has_breakpoint;  // by pc: its line has a verified breakpoint
  int32_t motion_pc[4] = {-1, -1, -1, -1};   // per leg: the statement that commanded its move
  int32_t next_id = 1;
};

// Installs the debugger as c's watch (replacing any other) / removes it.
void rix_debug_attach(RixDebugger& d, Controller& c);
void rix_debug_detach(RixDebugger& d, Controller& c);

// --- breakpoints ---------------------------------------------------------------------------

// Adds a breakpoint and resolves it against `image` (the controller's program); returns it (the
// reference holds until the breakpoints change again).
const RixBreakpoint& rix_debug_add_breakpoint(RixDebugger& d, const RixImage& image,
                                              RixBreakpointSpec spec);
// Replaces every breakpoint by `specs` (as a DAP setBreakpoints does); hit counts start at 0.
void rix_debug_set_breakpoints(RixDebugger& d, const RixImage& image,
                               std::vector<RixBreakpointSpec> specs);
// Removes the breakpoints requested at `line`, or verified at it; false when there is none.
bool rix_debug_clear_breakpoint(RixDebugger& d, int32_t line);
void rix_debug_clear_breakpoints(RixDebugger& d);
// Resolves every breakpoint again (the watch does this when a run starts).
void rix_debug_resolve(RixDebugger& d, const RixImage& image);

// --- run control ---------------------------------------------------------------------------

RixRunState rix_debug_state(const RixDebugger& d, const Controller& c);
// Lets a paused program go on.
std::string rix_debug_continue(RixDebugger& d, const Controller& c);
// Holds a running program before its next instruction (reason kPause).
std::string rix_debug_pause(RixDebugger& d, const Controller& c);
// Lets a paused program go on until the step is done (reason kStep) or a breakpoint or error
// stops it first. kOut at the main level is refused.
std::string rix_debug_step(RixDebugger& d, const Controller& c, RixStep kind);
// Lets a paused program go on until it arrives at `line` (moved to the next line with a
// statement, as breakpoints are), or something else stops it first; stops with reason kStep.
std::string rix_debug_run_to_line(RixDebugger& d, const Controller& c, int32_t line);

// --- inspection ----------------------------------------------------------------------------

// Source line of instruction `pc`, 0 when the image has no line for it.
int32_t rix_debug_line_of(const RixImage& image, int32_t pc);
// The program pointer: the next instruction to execute (while paused on an error, the failing
// one; after the run ended, the last one executed); -1 when no run started.
int32_t rix_debug_pc(const RixDebugger& d, const Controller& c);
// The motion pointer of leg 0..3: the statement whose move the leg is still making; -1 when the
// leg is in position (its move done) or no statement of this run commanded it.
int32_t rix_debug_motion_pc(const RixDebugger& d, const Controller& c, int leg);
// The GOSUB/CALL stack, innermost first; empty unless a run is going.
std::vector<RixDebugFrame> rix_debug_frames(const RixDebugger& d, const Controller& c);
// Every variable of the program: general ones (VAR_KEY first), then POS, then JNT.
std::vector<RixDebugVariable> rix_debug_variables(const RixImage& image);
// A variable "NAME", or a component "NAME.X" / "NAME.J1" (letters in either case); false when
// the program has none of that name.
bool rix_debug_find_variable(const RixImage& image, std::string_view name, RixDebugVariable& out);
// Sets a variable (or a component) while the program is paused: `values` holds one number for
// a general variable or a component, three for a whole POS/JNT; each finite.
std::string rix_debug_set_variable(RixDebugger& d, Controller& c, std::string_view name,
                                   const std::vector<double>& values);

// Names as the rokan-sim dump writes them: "none", "running", ...; "entry", "breakpoint", ...
// (kNone: "null").
const char* rix_run_state_name(RixRunState state);
const char* rix_stop_reason_name(RixStopReason reason);

}  // namespace rokan
