// The debugger lines of the rokan-sim script: breakpoints, run control, setting variables,
// `dump rix` and `tick until stop LIMIT`. Parsed with the other script lines (parse_script), run
// by ScriptDebug against a RixDebugger attached to the controller.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

#include "debug/debugger.h"
#include "sim/script.h"

namespace rokan {

enum class DebugOp {
  kBreak,          // `break LINE [if CONDITION]`: count = LINE, text = CONDITION (UTF-8)
  kClear,          // `clear LINE`: count = LINE
  kClearAll,       // `clear all`
  kContinue,       // `continue`
  kPause,          // `pause`
  kStepIn,         // `step`
  kStepOver,       // `next`
  kStepOut,        // `out`
  kSet,            // `set NAME VALUE...`: text = NAME (UTF-8), values
  kDumpRix,        // `dump rix`
  kTickUntilStop,  // `tick until stop LIMIT`: count = LIMIT
};

// True when the line is a debugger line (then `out` is its event); throws ScriptError when it
// is one but malformed; false for every other line.
bool parse_debug_line(int line, std::string_view cmd, std::string_view arg, ScriptEvent& out);

// True when the script holds a debugger line, so that rokan-sim attaches the debugger.
bool script_uses_debugger(const std::vector<ScriptEvent>& events);

// Runs debugger lines for one controller. A line that does not fit the program's state (a step
// while the program runs, an unknown variable, a breakpoint that cannot be verified) throws
// ScriptError naming the line.
struct ScriptDebug {
  Controller& c;
  RixDebugger& d;
  std::function<void()> dump_rix;  // writes the `dump rix` line
  std::FILE* err = stderr;         // notes: a breakpoint moved to another line

  void run(const ScriptEvent& e);
};

}  // namespace rokan
