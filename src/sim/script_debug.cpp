#include "sim/script_debug.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "core/controller.h"
#include "core/cycle.h"
#include "platform/text.h"
#include "sim/base64.h"
#include "sim/program_edit.h"

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

// The word `s` starts with, without taking it.
std::string_view peek_word(std::string_view s) {
  return next_word(s);
}

// A file of the RIX directory as `save` and `compile` name it: a plain name, no directories.
std::string parse_file_name(int line, std::string_view cmd, std::string_view name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("\\/") != std::string_view::npos)
    throw ScriptError(line, std::string(cmd) +
                                " takes the name of a file of the RIX directory, not '" +
                                std::string(name) + "'");
  return std::string(name);
}

// The shortest text strtod reads back as `v`.
std::string number_text(double v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
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
    auto malformed = [&] {
      return ScriptError(
          line, "break takes LINE [hits HITS] [if CONDITION], not '" + std::string(arg) + "'");
    };
    if (peek_word(rest) == "hits") {
      // HITS runs up to the word `if` or the end of the line; the core checks its form.
      next_word(rest);
      std::string_view hits = rest;
      std::size_t end = 0;
      for (std::string_view scan = rest; !scan.empty();) {
        if (peek_word(scan) == "if") break;
        next_word(scan);
        end = rest.size() - scan.size();
      }
      hits = trim(rest.substr(0, end));
      rest = trim(rest.substr(end));
      if (hits.empty()) throw malformed();
      out.extra = std::string(hits);
    }
    if (!rest.empty()) {
      if (next_word(rest) != "if" || rest.empty()) throw malformed();
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
  if (cmd == "run-to") {
    out = event(line, DebugOp::kRunTo);
    out.count = parse_count(line, arg, "run-to takes a source line number from 1");
    return true;
  }
  if (cmd == "debugger") {
    if (arg != "window")
      throw ScriptError(line, "debugger takes window, not '" + std::string(arg) + "'");
    out = event(line, DebugOp::kWindow);
    return true;
  }
  if (cmd == "save") {
    // The bytes are the last word; the file name is what comes before them.
    std::size_t cut = arg.size();
    while (cut > 0 && arg[cut - 1] != ' ' && arg[cut - 1] != '\t') --cut;
    const std::string_view data = arg.substr(cut);
    const std::string_view name = trim(arg.substr(0, cut));
    if (name.empty() || data.empty())
      throw ScriptError(line, "save takes FILE and the file's bytes in base64 (- for none), not '" +
                                  std::string(arg) + "'");
    out = event(line, DebugOp::kSave);
    out.text = parse_file_name(line, cmd, name);
    if (data != "-" && (!base64_decode(data, out.extra) || out.extra.empty()))
      throw ScriptError(line, "save: the file's bytes are not base64 (- for none): '" +
                                  std::string(data.substr(0, 40)) +
                                  (data.size() > 40 ? "...'" : "'"));
    return true;
  }
  if (cmd == "compile") {
    out = event(line, DebugOp::kCompile);
    out.text = parse_file_name(line, cmd, arg);
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

std::string debug_script_line(const ScriptEvent& e) {
  const std::string line = std::to_string(e.count);
  switch (static_cast<DebugOp>(e.code)) {
    case DebugOp::kBreak: {
      std::string out = "break " + line;
      if (!e.extra.empty()) out += " hits " + e.extra;
      if (!e.text.empty()) out += " if " + e.text;
      return out;
    }
    case DebugOp::kClear:
      return "clear " + line;
    case DebugOp::kClearAll:
      return "clear all";
    case DebugOp::kContinue:
      return "continue";
    case DebugOp::kPause:
      return "pause";
    case DebugOp::kStepIn:
      return "step";
    case DebugOp::kStepOver:
      return "next";
    case DebugOp::kStepOut:
      return "out";
    case DebugOp::kSet: {
      std::string out = "set " + e.text;
      for (double v : e.values) out += " " + number_text(v);
      return out;
    }
    case DebugOp::kDumpRix:
      return "dump rix";
    case DebugOp::kTickUntilStop:
      return "tick until stop " + line;
    case DebugOp::kRunTo:
      return "run-to " + line;
    case DebugOp::kWindow:
      return "debugger window";
    case DebugOp::kSave:
      return "save " + e.text + " " + (e.extra.empty() ? std::string("-") : base64_encode(e.extra));
    case DebugOp::kCompile:
      return "compile " + e.text;
  }
  throw std::invalid_argument("no script line for this debugger event");
}

bool script_uses_debugger(const std::vector<ScriptEvent>& events) {
  for (const ScriptEvent& e : events)
    if (e.kind == EventKind::kDebug) return true;
  return false;
}

// A program that does not compile is what the operator saw too; the replay goes on.
void ScriptDebug::compile_noted(const ScriptEvent& e, const std::string& name) {
  RixImage image;
  if (!compile_program_file(c, name, image))
    std::fprintf(err, "rokan-sim: line %d: %s does not compile: %s\n", e.line,
                 cp932_to_utf8(name).c_str(), cp932_to_utf8(image.error_text).c_str());
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
      spec.hit_condition = utf8_to_cp932(e.extra);
      const RixBreakpoint& b = rix_debug_add_breakpoint(d, c.rix, std::move(spec));
      // The program window keeps a breakpoint it cannot set, hollow, to be resolved again.
      if (!b.verified && !c.rix.instructions.empty() && !window) {
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
    case DebugOp::kRunTo:
      return check(rix_debug_run_to_line(d, c, line));
    case DebugOp::kWindow:
      window = true;
      d.stop_on_error = false;
      return;
    case DebugOp::kSave: {
      const std::string name = utf8_to_cp932(e.text);
      std::string why;
      if (!save_program_file(c, name, e.extra, why))
        throw ScriptError(
            e.line, "save: cannot write " + cp932_to_utf8(program_edit_dir(c) + name) + ": " + why);
      compile_noted(e, name);
      return;
    }
    case DebugOp::kCompile:
      compile_noted(e, utf8_to_cp932(e.text));
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
