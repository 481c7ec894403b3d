#include "sim/script.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "console/console.h"
#include "core/view_options.h"
#include "platform/text.h"
#include "sim/key_names.h"
#include "sim/script_debug.h"

namespace rokan {
namespace {

bool is_blank(char ch) {
  return ch == ' ' || ch == '\t';
}

// Splits off the first word; `rest` is what follows it, leading blanks removed.
std::string_view first_word(std::string_view s, std::string_view& rest) {
  std::size_t end = 0;
  while (end < s.size() && !is_blank(s[end])) ++end;
  rest = trim(s.substr(end));
  return s.substr(0, end);
}

bool parse_on_off(std::string_view arg, bool& on) {
  if (arg == "on")
    on = true;
  else if (arg == "off")
    on = false;
  else
    return false;
  return true;
}

int hex_digit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

// `key 0xNN`: any byte, for keys without a character of their own (a control character, a byte
// of a double-byte character).
bool parse_key_byte(std::string_view arg, int& code) {
  if (arg.size() != 4 || arg[0] != '0' || (arg[1] != 'x' && arg[1] != 'X')) return false;
  const int hi = hex_digit(arg[2]), lo = hex_digit(arg[3]);
  if (hi < 0 || lo < 0) return false;
  code = hi * 16 + lo;
  return true;
}

ScriptEvent parse_key(int line, std::string_view arg) {
  ScriptEvent e;
  e.line = line;
  const bool named = parse_key_name(arg, e.code);
  if (!named && !parse_key_byte(arg, e.code))
    throw ScriptError(line,
                      "key takes one printable ASCII character, TAB, ESC, CR, SPACE or a byte "
                      "0xNN, not '" +
                          std::string(arg) + "'");
  // A byte given as 0xNN is always a typed character; only the names stand for key releases.
  e.kind = named && key_arrives_as_release(e.code) ? EventKind::kKeyRelease : EventKind::kKey;
  return e;
}

ScriptEvent parse_tick(int line, std::string_view arg) {
  std::string s(arg);
  char* end = nullptr;
  errno = 0;
  unsigned long long n = std::strtoull(s.c_str(), &end, 10);
  if (s.empty() || s[0] == '-' || s[0] == '+' || *end != '\0' || errno == ERANGE || n == 0)
    throw ScriptError(line, "tick takes a whole number of cycles of at least 1, not '" + s + "'");
  ScriptEvent e;
  e.line = line;
  e.kind = EventKind::kTick;
  e.count = n;
  return e;
}

// Slider positions are whole tenths of a volt within -10.0..10.0.
ScriptEvent parse_slider(int line, int index, std::string_view arg) {
  std::string s(arg);
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0' || !std::isfinite(v))
    throw ScriptError(line, "vr" + std::to_string(index + 1) + " takes a voltage, not '" + s + "'");
  double tenths = v * 10;
  double position = std::round(tenths);
  if (position < -100 || position > 100 || std::fabs(tenths - position) > 1e-6)
    throw ScriptError(line, "vr" + std::to_string(index + 1) +
                                " takes -10.0 to 10.0 V in steps of 0.1, not '" + s + "'");
  ScriptEvent e;
  e.line = line;
  e.kind = EventKind::kSlider;
  e.index = index;
  e.position = static_cast<int>(position);
  return e;
}

// A whole number lo..hi, or false.
bool parse_int(std::string_view arg, long lo, long hi, int& out) {
  std::string s(arg);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || s[0] == '+' || *end != '\0' || errno == ERANGE || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

// option pt_limit on|off, option skip N, option scale side|front|top N: the Option menu.
ScriptEvent parse_option(int line, std::string_view args) {
  ScriptEvent e;
  e.line = line;
  e.kind = EventKind::kOption;
  std::string_view rest;
  std::string_view what = first_word(args, rest);
  if (what == "pt_limit") {
    e.index = static_cast<int>(OptionKind::kPtLimit);
    bool check_on;
    if (!parse_on_off(rest, check_on))
      throw ScriptError(line, "option pt_limit takes on or off, not '" + std::string(rest) + "'");
    e.on = !check_on;
    return e;
  }
  if (what == "skip") {
    e.index = static_cast<int>(OptionKind::kSkip);
    if (!parse_int(rest, 0, 2147483647L, e.position))
      throw ScriptError(line, "option skip takes a whole number of cycles from 0, not '" +
                                  std::string(rest) + "'");
    return e;
  }
  if (what == "scale") {
    e.index = static_cast<int>(OptionKind::kScale);
    std::string_view value;
    std::string_view view = first_word(rest, value);
    static constexpr const char* kViews[3] = {"side", "front", "top"};
    e.code = -1;
    for (int v = 0; v < 3; ++v)
      if (view == kViews[v]) e.code = v;
    if (e.code < 0)
      throw ScriptError(line,
                        "option scale takes side, front or top, not '" + std::string(view) + "'");
    const ViewScaleRange r = kViewScaleRange[e.code];
    if (!parse_int(value, r.min, r.max, e.position))
      throw ScriptError(line, "option scale " + std::string(view) + " takes " +
                                  std::to_string(r.min) + " to " + std::to_string(r.max) +
                                  " pixels per metre, not '" + std::string(value) + "'");
    return e;
  }
  throw ScriptError(line, "option takes pt_limit, skip or scale, not '" + std::string(what) + "'");
}

// "TEXT" with \" and \\ inside: the text between the quotes. False when `arg` is not quoted
// (then it is the text as it stands).
bool parse_quoted(std::string_view arg, std::string& out) {
  if (arg.size() < 2 || arg.front() != '"' || arg.back() != '"') return false;
  std::string text;
  for (std::size_t i = 1; i + 1 < arg.size(); ++i) {
    char ch = arg[i];
    if (ch == '\\' && i + 2 < arg.size() && (arg[i + 1] == '"' || arg[i + 1] == '\\'))
      ch = arg[++i];
    text += ch;
  }
  out = std::move(text);
  return true;
}

// `fault KIND TARGET [VALUE]`, or `fault overrun`.
ScriptEvent parse_fault_line(int line, std::string_view arg) {
  std::string_view words[3];
  int n = 0;
  for (std::string_view rest = arg; !rest.empty(); ++n) {
    if (n == 3)
      throw ScriptError(line, "fault takes KIND TARGET [VALUE], not '" + std::string(arg) + "'");
    words[n] = first_word(rest, rest);
  }
  if (n == 0) throw ScriptError(line, "fault takes KIND TARGET [VALUE]");
  ScriptEvent e;
  e.line = line;
  e.kind = EventKind::kFault;
  std::string error;
  if (!parse_fault(words[0], words[1], words[2], e.fault, error)) throw ScriptError(line, error);
  return e;
}

ScriptEvent parse_line(int line, std::string_view text) {
  std::string_view arg;
  std::string_view cmd = first_word(text, arg);
  ScriptEvent e;
  e.line = line;
  if (parse_debug_line(line, cmd, arg, e)) return e;
  if (cmd == "tick") return parse_tick(line, arg);
  if (cmd == "key") return parse_key(line, arg);
  if (cmd == "vr1" || cmd == "vr2" || cmd == "vr3") return parse_slider(line, cmd[2] - '1', arg);
  if ((cmd.size() == 4 && cmd.substr(0, 3) == "paw" && cmd[3] >= '1' && cmd[3] <= '4') ||
      cmd == "antenna") {
    e.kind = EventKind::kCheckBox;
    e.index = cmd == "antenna" ? kAntennaBox : cmd[3] - '1';
    if (!parse_on_off(arg, e.on))
      throw ScriptError(line,
                        std::string(cmd) + " takes on or off, not '" + std::string(arg) + "'");
    return e;
  }
  if (cmd == "input") {
    // The rest of the line is the text, spaces inside it included; in double quotes it may also
    // begin or end with a blank, or be the word cancel.
    if (arg == "cancel") {
      e.kind = EventKind::kInputCancel;
    } else {
      e.kind = EventKind::kInput;
      if (!parse_quoted(arg, e.text)) e.text = std::string(arg);
    }
    return e;
  }
  if (cmd == "quit") {
    if (!arg.empty()) throw ScriptError(line, "quit takes nothing, not '" + std::string(arg) + "'");
    e.kind = EventKind::kQuit;
    return e;
  }
  if (cmd == "confirm") {
    e.kind = EventKind::kConfirm;
    if (arg != "ok" && arg != "cancel")
      throw ScriptError(line, "confirm takes ok or cancel, not '" + std::string(arg) + "'");
    e.on = arg == "ok";
    return e;
  }
  if (cmd == "notice") {
    if (arg != "ok") throw ScriptError(line, "notice takes ok, not '" + std::string(arg) + "'");
    e.kind = EventKind::kNotice;
    return e;
  }
  if (cmd == "option") return parse_option(line, arg);
  if (cmd == "dump") {
    e.kind = EventKind::kDump;
    if (arg == "state")
      e.index = static_cast<int>(DumpKind::kState);
    else if (arg == "strip")
      e.index = static_cast<int>(DumpKind::kStrip);
    else if (arg == "screen")
      e.index = static_cast<int>(DumpKind::kScreen);
    else if (arg == "lamps")
      e.index = static_cast<int>(DumpKind::kLamps);
    else
      throw ScriptError(
          line, "dump takes state, strip, screen, lamps or rix, not '" + std::string(arg) + "'");
    return e;
  }
  if (cmd == "fault") return parse_fault_line(line, arg);
  throw ScriptError(line, "unknown command '" + std::string(cmd) + "'");
}

// The text of an input line: as it stands when the parser takes it back unchanged, else quoted.
std::string input_text(const std::string& text) {
  const bool plain = !text.empty() && !is_blank(text.front()) && !is_blank(text.back()) &&
                     text != "cancel" && text.front() != '"' &&
                     text.find('\n') == std::string::npos;
  if (plain) return text;
  std::string quoted = "\"";
  for (char ch : text) {
    if (ch == '"' || ch == '\\') quoted += '\\';
    quoted += ch;
  }
  return quoted + '"';
}

std::string key_text(int code) {
  switch (code) {
    case kKeyCr:
      return "CR";
    case ' ':
      return "SPACE";
    default:
      break;
  }
  if (code > ' ' && code < 0x7F) return std::string(1, static_cast<char>(code));
  static constexpr char kHex[] = "0123456789ABCDEF";
  const int byte = code & 0xFF;
  return std::string("0x") + kHex[byte >> 4] + kHex[byte & 15];
}

std::string volts_text(int tenths) {
  std::string s = tenths < 0 ? "-" : "";
  const int a = tenths < 0 ? -tenths : tenths;
  return s + std::to_string(a / 10) + "." + std::to_string(a % 10);
}

}  // namespace

std::string script_line(const ScriptEvent& e) {
  static constexpr const char* kDumps[] = {"state", "strip", "screen", "lamps"};
  static constexpr const char* kViews[] = {"side", "front", "top"};
  switch (e.kind) {
    case EventKind::kTick:
      return "tick " + std::to_string(e.count);
    case EventKind::kKey:
      return "key " + key_text(e.code);
    case EventKind::kKeyRelease:
      return e.code == kKeyTab ? "key TAB" : "key ESC";
    case EventKind::kSlider:
      return "vr" + std::to_string(e.index + 1) + " " + volts_text(e.position);
    case EventKind::kCheckBox:
      return (e.index == kAntennaBox ? std::string("antenna")
                                     : "paw" + std::to_string(e.index + 1)) +
             (e.on ? " on" : " off");
    case EventKind::kInput:
      return e.text.empty() ? "input" : "input " + input_text(e.text);
    case EventKind::kInputCancel:
      return "input cancel";
    case EventKind::kConfirm:
      return e.on ? "confirm ok" : "confirm cancel";
    case EventKind::kNotice:
      return "notice ok";
    case EventKind::kQuit:
      return "quit";
    case EventKind::kDump:
      return std::string("dump ") + kDumps[e.index];
    case EventKind::kOption:
      switch (static_cast<OptionKind>(e.index)) {
        case OptionKind::kPtLimit:
          return e.on ? "option pt_limit off" : "option pt_limit on";
        case OptionKind::kSkip:
          return "option skip " + std::to_string(e.position);
        case OptionKind::kScale:
          return std::string("option scale ") + kViews[e.code] + " " + std::to_string(e.position);
      }
      break;
    case EventKind::kFault:
      return "fault " + fault_text(e.fault);
    case EventKind::kDebug:
      return debug_script_line(e);
  }
  throw std::invalid_argument("no script line for this event");
}

std::vector<ScriptEvent> parse_script(std::string_view text) {
  std::vector<ScriptEvent> events;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // editors' UTF-8 mark
  int line = 0;
  for (std::string_view raw; next_line(text, raw);) {
    ++line;
    std::string_view s = trim(raw);
    if (s.empty() || s[0] == '#') continue;
    events.push_back(parse_line(line, s));
  }
  return events;
}

}  // namespace rokan
