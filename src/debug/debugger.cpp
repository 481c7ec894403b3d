// The debugger's watch on the interpreter and the run-control requests of the front ends.
//
// The watch runs before and after every instruction. Its common path (no hold, no step, no
// breakpoint on the line) is a handful of tests on the debugger record and allocates nothing.
// A stop is decided before an instruction runs, when the program has just arrived at it (the
// image's first-entry mark); a waiting statement that repeats is no arrival.
#include "debug/debugger.h"

#include "core/controller.h"
#include "core/modes.h"
#include "debug/debugger_internal.h"
#include "rix/compiler/tables.h"

namespace rokan {
namespace debug {
namespace {

bool run_active(const Controller& c) {
  return c.mode.mode == kAuto && c.mode.auto_running && c.mode.program_is_rix;
}

void hold(RixDebugger& d, Controller& c, RixStopReason reason, int32_t pc) {
  d.held = true;
  d.stepping = false;
  d.run_to_line = 0;
  d.watch.held_run = c.rix.run_count;
  d.stop.reason = reason;
  d.stop.pc = pc;
  d.stop.line = rix_debug_line_of(c.rix, pc);
  if (reason != RixStopReason::kBreakpoint) {
    d.stop.breakpoints.clear();
    if (reason != RixStopReason::kError) d.stop.text.clear();
  }
  ++d.stop_count;
}

void release(RixDebugger& d) {
  d.held = false;
  d.resumed = true;
  d.watch.held_run = 0;
}

void new_run(RixDebugger& d, Controller& c) {
  d.run = c.rix.run_count;
  d.held = false;
  d.resumed = false;
  d.error_held = false;
  d.stepping = false;
  d.run_to_line = 0;
  d.watch.held_run = 0;
  d.error = RixDebugStop{};
  for (int32_t& pc : d.motion_pc) pc = -1;
  rix_debug_resolve(d, c.rix);
  if (d.stop_on_entry || d.entry_pause) {
    hold(d, c, d.stop_on_entry ? RixStopReason::kEntry : RixStopReason::kPause, c.rix.pc);
  }
  d.entry_pause = false;
}

// The program arrives at `pc` on a line it was not on: a breakpoint or a run to that line
// applies.
bool new_line_visit(const RixImage& im, int32_t pc) {
  const int32_t from = im.executed_pc;
  return from < 0 || pc <= from || rix_debug_line_of(im, from) != rix_debug_line_of(im, pc);
}

bool before(void* context, Controller& c) {
  RixDebugger& d = *static_cast<RixDebugger*>(context);
  RixImage& im = c.rix;
  if (im.run_count != d.run) new_run(d, c);
  if (d.held) return true;
  if (im.error_code) return false;  // a held failure was let go: the run ends now
  if (d.resumed) {
    // The instruction the program stood on runs now: its breakpoint already stopped it.
    d.resumed = false;
    return false;
  }
  if (!im.first_entry) return false;
  const int32_t pc = im.pc;
  if (!d.stepping && d.line_has_breakpoint.empty()) return false;

  const bool visit = new_line_visit(im, pc);
  if (visit && static_cast<std::size_t>(pc) < d.line_has_breakpoint.size() &&
      d.line_has_breakpoint[static_cast<std::size_t>(pc)] && breakpoints_hit(d, c, pc)) {
    hold(d, c, RixStopReason::kBreakpoint, pc);
    return true;
  }
  if (!d.stepping) return false;
  bool done = false;
  if (d.run_to_line > 0) {
    done = visit && rix_debug_line_of(im, pc) == d.run_to_line;
  } else {
    switch (d.step) {
      case RixStep::kIn:
        done = true;
        break;
      case RixStep::kOver:
        done = im.gosub_depth <= d.step_depth;
        break;
      case RixStep::kOut:
        done = im.gosub_depth < d.step_depth;
        break;
    }
  }
  if (!done) return false;
  hold(d, c, RixStopReason::kStep, pc);
  return true;
}

// Commands that hand goals to legs: which legs (bit per leg) instruction `ins` moves.
unsigned moved_legs(const RixInstruction& ins) {
  switch (ins.command) {
    case rix::PTP:
    case rix::PTP_HS:
    case rix::REL_PTP:
    case rix::REL_PTP_HS:
    case rix::DETECT_FLOOR:
      if (ins.target == rix::TARGET_ALL) return 0xF;
      if (ins.target >= rix::TARGET_F1 && ins.target < rix::TARGET_F1 + 4)
        return 1u << (ins.target - rix::TARGET_F1);
      return 0;
    case rix::INITIAL_POSTURE:
    case rix::STAND_UP:
    case rix::SIT_DOWN:
      return 0xF;
    default:
      return 0;
  }
}

void after(void* context, Controller& c, int32_t index) {
  RixDebugger& d = *static_cast<RixDebugger*>(context);
  const RixImage& im = c.rix;
  if (const unsigned legs = moved_legs(im.instructions[static_cast<std::size_t>(index)])) {
    for (int leg = 0; leg < kLegCount; ++leg)
      if ((legs >> leg & 1u) && c.servo[leg].pending) d.motion_pc[leg] = index;
  }
  if (c.mode.mode == kEmg && d.error.reason == RixStopReason::kNone) {
    // The instruction stopped the controller itself (the motion layer refused a goal): the
    // run is over before it can be held; what the status line says is its error.
    d.error.reason = RixStopReason::kError;
    d.error.pc = index;
    d.error.line = rix_debug_line_of(im, index);
    d.error.text = c.console.lines[1];
  }
}

bool failed(void* context, Controller& c, int32_t index) {
  RixDebugger& d = *static_cast<RixDebugger*>(context);
  if (d.error_held) {
    d.error_held = false;
    return false;
  }
  const RixImage& im = c.rix;
  if (index < 0 || index > im.last_index) index = im.executed_pc;
  d.error.reason = RixStopReason::kError;
  d.error.pc = index;
  d.error.line = rix_debug_line_of(im, index);
  d.error.text = im.error_text;
  if (!d.stop_on_error) return false;
  d.stop.text = im.error_text;
  hold(d, c, RixStopReason::kError, index);
  d.error_held = true;
  return true;
}

}  // namespace

void output(const RixDebugger& d, RixDebugOutput kind, std::string_view text) {
  if (d.on_output) d.on_output(kind, text);
}

}  // namespace debug

RixDebugger::~RixDebugger() {
  if (attached) rix_debug_detach(*this, *attached);
}

void rix_debug_attach(RixDebugger& d, Controller& c) {
  if (d.attached && d.attached != &c) rix_debug_detach(d, *d.attached);
  d.watch.context = &d;
  d.watch.before = debug::before;
  d.watch.after = debug::after;
  d.watch.failed = debug::failed;
  d.attached = &c;
  // A run already going is followed from its next instruction on; one started but not yet at
  // its first instruction is met as a new run (breakpoints resolved, stop on entry).
  d.run = c.rix.executed == 0 ? 0 : c.rix.run_count;
  c.rix_watch = &d.watch;
}

void rix_debug_detach(RixDebugger& d, Controller& c) {
  if (c.rix_watch == &d.watch) c.rix_watch = nullptr;
  if (d.attached == &c) d.attached = nullptr;
  d.held = false;
  d.watch.held_run = 0;
}

RixRunState rix_debug_state(const RixDebugger& d, const Controller& c) {
  if (!debug::run_active(c)) return c.rix.run_count ? RixRunState::kEnded : RixRunState::kNone;
  if (c.rix.run_count != d.run) return RixRunState::kRunning;  // its first cycle is to come
  return d.held ? RixRunState::kPaused : RixRunState::kRunning;
}

namespace {

std::string require_paused(const RixDebugger& d, const Controller& c) {
  switch (rix_debug_state(d, c)) {
    case RixRunState::kPaused:
      return {};
    case RixRunState::kRunning:
      return "the program is running; pause it first";
    case RixRunState::kEnded:
      return "the program has ended";
    case RixRunState::kNone:
      break;
  }
  return "no RIX program is running";
}

}  // namespace

std::string rix_debug_continue(RixDebugger& d, const Controller& c) {
  std::string why = require_paused(d, c);
  if (why.empty()) debug::release(d);
  return why;
}

std::string rix_debug_pause(RixDebugger& d, const Controller& c) {
  switch (rix_debug_state(d, c)) {
    case RixRunState::kPaused:
      return "the program is already paused";
    case RixRunState::kEnded:
      return "the program has ended";
    case RixRunState::kNone:
      return "no RIX program is running";
    case RixRunState::kRunning:
      break;
  }
  if (c.rix.run_count != d.run) {
    d.entry_pause = true;  // held when the watch meets the run's first instruction
    return {};
  }
  // Held from the next call of the interpreter on; the stop names where the program stands.
  d.held = true;
  d.stepping = false;
  d.run_to_line = 0;
  d.resumed = false;
  d.watch.held_run = c.rix.run_count;
  d.stop.reason = RixStopReason::kPause;
  d.stop.pc = c.rix.pc;
  d.stop.line = rix_debug_line_of(c.rix, c.rix.pc);
  d.stop.text.clear();
  d.stop.breakpoints.clear();
  ++d.stop_count;
  return {};
}

std::string rix_debug_step(RixDebugger& d, const Controller& c, RixStep kind) {
  std::string why = require_paused(d, c);
  if (!why.empty()) return why;
  if (kind == RixStep::kOut && c.rix.gosub_depth <= 0)
    return "the program is not inside a subroutine; there is nothing to step out of";
  d.step = kind;
  d.stepping = true;
  d.step_depth = c.rix.gosub_depth;
  d.run_to_line = 0;
  debug::release(d);
  return {};
}

std::string rix_debug_run_to_line(RixDebugger& d, const Controller& c, int32_t line) {
  std::string why = require_paused(d, c);
  if (!why.empty()) return why;
  const int32_t target = debug::resolve_line(c.rix, line, why);
  if (target == 0) return why;
  d.stepping = true;
  d.run_to_line = target;
  debug::release(d);
  return {};
}

const char* rix_run_state_name(RixRunState state) {
  switch (state) {
    case RixRunState::kRunning:
      return "running";
    case RixRunState::kPaused:
      return "paused";
    case RixRunState::kEnded:
      return "ended";
    case RixRunState::kNone:
      break;
  }
  return "none";
}

const char* rix_stop_reason_name(RixStopReason reason) {
  switch (reason) {
    case RixStopReason::kEntry:
      return "entry";
    case RixStopReason::kBreakpoint:
      return "breakpoint";
    case RixStopReason::kStep:
      return "step";
    case RixStopReason::kPause:
      return "pause";
    case RixStopReason::kError:
      return "error";
    case RixStopReason::kNone:
      break;
  }
  return "null";
}

}  // namespace rokan
