// Shared between the files of the debugger; front ends use debugger.h only.
#pragma once

#include "debug/debugger.h"

namespace rokan::debug {

// The breakpoints at the line of instruction `pc`, which the program has just arrived at: counts
// their hits, prints log points, and returns true when one of them stops the program (then
// d.stop holds the reason, the breakpoint ids and any text).
bool breakpoints_hit(RixDebugger& d, Controller& c, int32_t pc);

// Resolves `line` as a breakpoint line against `image`: the first line from `line` on that has
// a statement. 0 with `why` set when there is none.
int32_t resolve_line(const RixImage& image, int32_t line, std::string& why);

// True when the image holds a compiled program with its source lines.
bool program_loaded(const RixImage& image);

// Hands a text to the front end's output, if it listens.
void output(const RixDebugger& d, RixDebugOutput kind, std::string_view text);

}  // namespace rokan::debug
