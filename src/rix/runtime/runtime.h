// The RIX runtime: executes the compiled program in Controller::rix, one instruction per
// sampling cycle. A command that needs time (a wait for a motion, SLEEP, KEY_IN, STAND_UP,
// SIT_DOWN, DETECT_FLOOR) keeps the program counter on itself and runs again on the next cycle;
// motion commands only hand goals to the motion layer and go on at once.
//
// The runtime keeps its state in the program image (pc, call stack, trace ring, SLEEP counters)
// and never allocates while a program runs: every table was sized by the compiler. It reports
// errors only through the image (error_code, error_text); the AUTO driver shows them.
#pragma once

#include <string>
#include <string_view>

#include "rix/compiler/image.h"

namespace rokan {

struct Controller;

// Puts the program counter on the first instruction: pc 0, no previous instruction, first
// entry, no SLEEP in progress. Called on the first AUTO cycle of a run.
void rix_reset(RixImage& image);

// The start of a run (key S): clears an old error, switches the trace on and empties the ring
// except for instruction 0 in entry 0, and marks the first entry.
void rix_start(RixImage& image);

// Stops the runtime when the controller leaves a run in EMG or ends: resets it and ends a
// KEY_IN wait.
void rix_stop(Controller& c);

// Executes one instruction. True when the program may go on (also after END or EXIT, which
// mark the AUTO run finished, and when the instruction switched the operating mode, whose
// switch reported why); false when it stopped with an error: then image.error_code is set and
// image.error_text holds the report line.
bool rix_step(Controller& c);

// `text` with its variable references (%NAME%, %NAME.d%) expanded as MESSAGE shows it on the
// status line: for tools that print program values the program's own way (log points).
std::string rix_expand_message(const RixImage& image, std::string_view text);

// What compiling the RIX program for an AUTO start gave.
enum class RixBuild { kFailed, kWarnings, kReady };

// The compile step of the AUTO start: compiles c.rix.source_name from `rix_dir` (a controller
// directory ending in a backslash). On failure the controller goes to EMG with the report line;
// with warnings the AUTO step becomes kRixWarningsAcknowledged and the prompt asks whether to go
// on, so that the next S starts without compiling again.
RixBuild rix_build_for_start(Controller& c, std::string_view rix_dir);

}  // namespace rokan
