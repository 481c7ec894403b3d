// The debugger lines of the rokan-sim script: breakpoints, run control, setting variables,
// `dump rix` and `tick until stop LIMIT`; and the RIX program window's file lines, `save` and
// `compile`, with which a recorded session repeats the programs edited during it. Parsed with
// the other script lines (parse_script), run by ScriptDebug against a RixDebugger attached to
// the controller.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

#include "debug/debugger.h"
#include "sim/script.h"

namespace rokan {

enum class DebugOp {
  // `break LINE [hits HITS] [if CONDITION]`: count = LINE, extra = HITS, text = CONDITION (UTF-8)
  kBreak,
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
  kRunTo,          // `run-to LINE`: count = LINE
  kWindow,         // `debugger window`: from here on the debugger acts as the program window's
  kSave,           // `save FILE BASE64`: text = FILE (UTF-8), extra = the file's bytes (CP932)
  kCompile,        // `compile FILE`: text = FILE (UTF-8)
};

// True when the line is a debugger line (then `out` is its event); throws ScriptError when it
// is one but malformed; false for every other line.
bool parse_debug_line(int line, std::string_view cmd, std::string_view arg, ScriptEvent& out);

// The line parse_debug_line reads back as `e` (its line number aside).
std::string debug_script_line(const ScriptEvent& e);

// True when the script holds a debugger line, so that rokan-sim attaches the debugger.
bool script_uses_debugger(const std::vector<ScriptEvent>& events);

// Runs debugger lines for one controller. A line that does not fit the program's state (a step
// while the program runs, an unknown variable, a breakpoint that cannot be verified) throws
// ScriptError naming the line.
struct ScriptDebug {
  Controller& c;
  RixDebugger& d;
  std::function<void()> dump_rix;  // writes the `dump rix` line
  std::FILE* err = stderr;         // notes: a breakpoint moved, a saved file that does not compile
  // Set by `debugger window`: a failing statement ends the run (it is not held), and a
  // breakpoint that cannot be set stays unverified instead of being a script error.
  bool window = false;

  void run(const ScriptEvent& e);

 private:
  void compile_noted(const ScriptEvent& e, const std::string& name);
};

}  // namespace rokan
