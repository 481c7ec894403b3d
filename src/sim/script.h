// The event script of the headless simulator: one queue of operator and timer events, one per
// line. Parsing checks every line before anything runs, so a malformed script never runs half.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "faults/fault.h"

namespace rokan {

enum class EventKind {
  kTick,         // `count` sampling cycles
  kKey,          // a typed character `code`
  kKeyRelease,   // a released key, virtual code `code` (kKeyTab, kKeyEsc)
  kSlider,       // VR slider `index` (0..2) moved to `position` (-100..100, 0.1 V steps)
  kCheckBox,     // check box `index` (0..3 PAW1..PAW4, 4 ANTENNA) set to `on`
  kInput,        // answer to the string input dialog: OK with `text` (UTF-8)
  kInputCancel,  // answer to the string input dialog: Cancel
  kConfirm,      // answer to the quit confirmation: OK when `on`
  kNotice,       // the log notice closed with OK
  kDump,         // a dump of `index` (DumpKind)
  kOption,       // an Option menu change: `index` (OptionKind) with `on`, `code` and `position`
  kDebug,        // a debugger line: `code` is a DebugOp (src/sim/script_debug.h)
  kFault,        // `fault` breaks (or repairs) the simulated robot
  kQuit,         // File > Quit: the quit confirmation, and the end routine on OK
};

enum class DumpKind { kState = 0, kStrip = 1, kScreen = 2, kLamps = 3 };

// What an option line changes: the PT_LIMIT OFF item (`on` = check off), the drawing skip count
// (`position`), or the scale of view `code` (`position` in pixels per metre).
enum class OptionKind { kPtLimit = 0, kSkip = 1, kScale = 2 };

inline constexpr int kAntennaBox = 4;

struct ScriptEvent {
  EventKind kind = EventKind::kTick;
  int line = 0;  // 1-based line of the script
  uint64_t count = 0;
  int code = 0;
  int index = 0;
  int position = 0;
  bool on = false;
  std::string text;
  std::string extra;           // kDebug: a `break` line's hit count, a `save` line's file bytes
  std::vector<double> values;  // kDebug: the numbers of a `set` line
  Fault fault;
};

// A script line that cannot be read, or an event that does not fit the program's state when it
// is reached (a key while a modal dialog is open, an answer without a dialog).
class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Parses a whole script (UTF-8). Blank lines and lines starting with '#' are skipped. Throws
// ScriptError naming the first bad line.
std::vector<ScriptEvent> parse_script(std::string_view text);

// The script line (without its newline) that parse_script reads back as `e` (its line number
// aside): the inverse of the parser.
std::string script_line(const ScriptEvent& e);

}  // namespace rokan
