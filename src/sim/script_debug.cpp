#include "sim/script_debug.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/controller.h"
#include "core/cycle.h"
#include "platform/text.h"

namespace rokan {
namespace {

std::string_view next_word(std::string_view& s) {
  s = trim(s);
  std::size_t end = 0;
  while (end < s.size() && s[end] != ' ' && s[end] != '\t') ++end;
  std::string_view word = s.substr(0, end);
  s = trim(s.substr(end));
  return word;
}

// A whole number from 1 (a line number or a cycle limit).
uint64_t parse_count(int line, std::string_view text, const char* what) {
  std::string s(text);
  char* end = nullptr;
  errno = 0;
  const unsigned long long n = std::strtoull(s.c_str(), &end, 10);
  if (s.empty() || s[0] == '-' || s[0] == '+' || *end != '\0' || errno == ERANGE || n == 0 ||
      n > 0x7FFFFFFF)
    throw ScriptError(line, std::string(what) + ", not '" + s + "'");
  return n;
}

ScriptEvent event(int line, DebugOp op) {
  ScriptEvent e;
  e.line = line;
  e.kind = EventKind::kDebug;
  e.code = static_cast<int>(op);
  return e;
}

std::string state_name(const RixDebugger& d, const Controller& c) {
  return rix_run_state_name(rix_debug_state(d, c));
}

}  // namespace

bool parse_debug_line(int line, std::string_view cmd, std::string_view arg, ScriptEvent& out) {
  auto bare = [&](DebugOp op) {
    if (!arg.empty())
      throw ScriptError(line, std::string(cmd) + " takes nothing, not '" + std::string(arg) + "'");
    out = event(line, op);
    return true;
  };
  if (cmd == "break") {
    std::string_view rest = arg;
    std::string_view number = next_word(rest);
    out = event(line, DebugOp::kBreak);
    out.count = parse_count(line, number, "break takes a source line number from 1");
    if (!rest.empty()) {
      if (next_word(rest) != "if" || rest.empty())
        throw ScriptError(line,
                          "break takes LINE or LINE if CONDITION, not '" + std::string(arg) + "'");
      out.text = std::string(rest);
    }
    return true;
  }
  if (cmd == "clear") {
    if (arg == "all") {
      out = event(line, DebugOp::kClearAll);
    } else {
      out = event(line, DebugOp::kClear);
      out.count = parse_count(line, arg, "clear takes a source line number from 1, or all");
    }
    return true;
  }
  if (cmd == "continue") return bare(DebugOp::kContinue);
  if (cmd == "pause") return bare(DebugOp::kPause);
  if (cmd == "step") return bare(DebugOp::kStepIn);
  if (cmd == "next") return bare(DebugOp::kStepOver);
  if (cmd == "out") return bare(DebugOp::kStepOut);
  if (cmd == "set") {
    std::string_view rest = arg;
    out = event(line, DebugOp::kSet);
    out.text = std::string(next_word(rest));
    while (!rest.empty()) {
      std::string number(next_word(rest));
      char* end = nullptr;
      const double v = std::strtod(number.c_str(), &end);
      if (*end != '\0' || !std::isfinite(v))
        throw ScriptError(line, "set takes finite numbers, not '" + number + "'");
      out.values.push_back(v);
    }
    if (out.text.empty() || (out.values.size() != 1 && out.values.size() != 3))
      throw ScriptError(line, "set takes NAME VALUE, or NAME X Y Z for a POS or JNT variable");
    return true;
  }
  if (cmd == "dump" && arg == "rix") {
    out = event(line, DebugOp::kDumpRix);
    return true;
  }
  if (cmd == "tick" && arg.substr(0, 5) == "until") {
    std::string_view rest = arg;
    next_word(rest);
    if (next_word(rest) != "stop")
      throw ScriptError(line, "tick until takes stop LIMIT, not '" + std::string(arg) + "'");
    out = event(line, DebugOp::kTickUntilStop);
    out.count = parse_count(line, rest, "tick until stop takes a cycle limit from 1");
    return true;
  }
  return false;
}

bool script_uses_debugger(const std::vector<ScriptEvent>& events) {
  for (const ScriptEvent& e : events)
    if (e.kind == EventKind::kDebug) return true;
  return false;
}

void ScriptDebug::run(const ScriptEvent& e) {
  auto check = [&](const std::string& why) {
    if (!why.empty()) throw ScriptError(e.line, cp932_to_utf8(why));
  };
  const auto line = static_cast<int32_t>(e.count);
  switch (static_cast<DebugOp>(e.code)) {
    case DebugOp::kBreak: {
      RixBreakpointSpec spec;
      spec.line = line;
      spec.condition = utf8_to_cp932(e.text);
      const RixBreakpoint& b = rix_debug_add_breakpoint(d, c.rix, std::move(spec));
      if (!b.verified && !c.rix.instructions.empty()) {
        // With a program compiled the breakpoint had its chance: say why it cannot work.
        const std::string why = b.message;
        const int32_t id = b.id;
        std::erase_if(d.breakpoints, [id](const RixBreakpoint& x) { return x.id == id; });
        check("break " + std::to_string(line) + ": " + why);
      }
      if (b.verified && b.line != line)
        std::fprintf(err, "rokan-sim: line %d: breakpoint at line %d moved to line %d\n", e.line,
                     line, b.line);
      return;
    }
    case DebugOp::kClear:
      if (!rix_debug_clear_breakpoint(d, line))
        check("clear " + std::to_string(line) + ": there is no breakpoint at that line");
      return;
    case DebugOp::kClearAll:
      rix_debug_clear_breakpoints(d);
      return;
    case DebugOp::kContinue:
      return check(rix_debug_continue(d, c));
    case DebugOp::kPause:
      return check(rix_debug_pause(d, c));
    case DebugOp::kStepIn:
      return check(rix_debug_step(d, c, RixStep::kIn));
    case DebugOp::kStepOver:
      return check(rix_debug_step(d, c, RixStep::kOver));
    case DebugOp::kStepOut:
      return check(rix_debug_step(d, c, RixStep::kOut));
    case DebugOp::kSet:
      return check(rix_debug_set_variable(d, c, utf8_to_cp932(e.text), e.values));
    case DebugOp::kDumpRix:
      if (dump_rix) dump_rix();
      return;
    case DebugOp::kTickUntilStop:
      for (uint64_t n = 0; n < e.count; ++n) {
        sampling_tick(c);
        const RixRunState s = rix_debug_state(d, c);
        if (s == RixRunState::kPaused || s == RixRunState::kEnded) return;
      }
      throw ScriptError(e.line, "the program neither paused nor ended within " +
                                    std::to_string(e.count) + " cycles (it is " + state_name(d, c) +
                                    ")");
  }
}

}  // namespace rokan
