// Breakpoints: resolution of requested lines against the source map, conditions compiled by the
// RIX compiler and tested on the program's variables, hit conditions and log points.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/controller.h"
#include "debug/debugger_internal.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/tables.h"
#include "rix/runtime/runtime.h"

namespace rokan {
namespace debug {
namespace {

// "N", "== N", ">= N", "> N", "<= N", "< N", "% N" with N a whole number from 1 (0 for the
// comparisons that allow it).
bool parse_hit_condition(std::string_view text, uint8_t& op, uint32_t& value) {
  text = trim(text);
  op = '=';
  static constexpr struct {
    std::string_view token;
    uint8_t op;
  } kOps[] = {{"==", '='}, {">=", 'g'}, {"<=", 'l'}, {">", '>'}, {"<", '<'}, {"%", '%'}};
  for (const auto& o : kOps) {
    if (text.substr(0, o.token.size()) == o.token) {
      op = o.op;
      text = trim(text.substr(o.token.size()));
      break;
    }
  }
  auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  return op != '%' || value > 0;
}

bool hit_passes(const RixBreakpoint& b) {
  const uint32_t n = b.hits;
  switch (b.hit_op) {
    case '=':
      return n == b.hit_value;
    case 'g':
      return n >= b.hit_value;
    case '>':
      return n > b.hit_value;
    case 'l':
      return n <= b.hit_value;
    case '<':
      return n < b.hit_value;
    case '%':
      return n % b.hit_value == 0;
    default:
      return true;
  }
}

// A comparison operand as the interpreter reads it (constant, general variable, component,
// each variable form possibly negated). False with `why` when it cannot be read.
bool read_operand(const RixImage& im, uint8_t kind, double value, double& out, std::string& why) {
  if (kind == rix::CONSTANT) {
    out = value;
    return true;
  }
  int plain = kind;
  bool minus = false;
  if (plain >= rix::M_VAR && plain < rix::M_REL_VAR) {
    plain -= rix::kMinusOffset;
    minus = true;
  }
  const auto i = static_cast<std::size_t>(value);
  const std::string* name = nullptr;
  double v = kRixUnset;
  if (plain == rix::VAR && i < im.vars.size()) {
    v = im.vars[i].value;
    name = &im.vars[i].name;
  } else if (plain >= rix::POS_X && plain <= rix::POS_Z && i < im.pos.size()) {
    v = im.pos[i].value[plain - rix::POS_X];
    name = &im.pos[i].name;
  } else if (plain >= rix::JNT_1 && plain <= rix::JNT_1 + 2 && i < im.jnt.size()) {
    v = im.jnt[i].value[plain - rix::JNT_1];
    name = &im.jnt[i].name;
  } else {
    why = "the condition compares a whole POS or JNT variable; compare a component (P.X, J.J1)";
    return false;
  }
  if (v == kRixUnset) {
    why = "the condition reads " + *name + ", which is not set";
    return false;
  }
  out = minus ? -v : v;
  return true;
}

// The breakpoint's condition on the present variables; false with `why` when it cannot be
// tested.
bool test_condition(const RixImage& im, const RixBreakpoint& b, bool& result, std::string& why) {
  if (!b.has_condition) {
    result = true;
    return true;
  }
  const RixInstruction& ins = b.condition_code;
  double left = 0, right = 0;
  if (!read_operand(im, ins.arg_type[0], ins.arg_value[0], left, why) ||
      !read_operand(im, ins.arg_type[1], ins.arg_value[1], right, why)) {
    return false;
  }
  switch (ins.command - rix::UNTIL_EQ) {
    case rix::CMP_EQ:
      result = left == right;
      break;
    case rix::CMP_NE:
      result = left != right;
      break;
    case rix::CMP_GT:
      result = left > right;
      break;
    case rix::CMP_LT:
      result = left < right;
      break;
    case rix::CMP_GE:
      result = left >= right;
      break;
    default:
      result = left <= right;
      break;
  }
  return true;
}

void resolve_one(RixBreakpoint& b, const RixImage& image) {
  b.verified = false;
  b.line = 0;
  b.has_condition = false;
  b.message.clear();
  if (!b.spec.hit_condition.empty() &&
      !parse_hit_condition(b.spec.hit_condition, b.hit_op, b.hit_value)) {
    b.message = "hit count condition '" + b.spec.hit_condition +
                "' is none of N, == N, >= N, > N, <= N, < N, % N";
    return;
  }
  if (b.spec.hit_condition.empty()) b.hit_op = 0;
  if (!program_loaded(image)) {
    b.message = "no program is compiled yet; the breakpoint is resolved when the program starts";
    return;
  }
  const int32_t line = resolve_line(image, b.spec.line, b.message);
  if (line == 0) return;
  if (!trim(b.spec.condition).empty()) {
    std::string error;
    if (!rix_compile_condition(image, b.spec.condition, b.condition_code, error)) {
      b.message = "condition '" + b.spec.condition + "' does not compile: " + error;
      return;
    }
    if (b.condition_code.command == rix::UNTIL_EVENT) {
      b.message = "condition '" + b.spec.condition +
                  "' tests an event flag; a breakpoint condition compares two values";
      return;
    }
    b.has_condition = true;
  }
  b.line = line;
  b.verified = true;
}

void rebuild_lines(RixDebugger& d, const RixImage& image) {
  bool any = false;
  for (const RixBreakpoint& b : d.breakpoints) any = any || b.verified;
  if (!any) {
    // No breakpoint: the watch's check is one test of an empty table.
    d.line_has_breakpoint.clear();
    return;
  }
  d.line_has_breakpoint.assign(image.instructions.size(), 0);
  for (std::size_t pc = 0; pc < image.instructions.size(); ++pc) {
    const int32_t line = rix_debug_line_of(image, static_cast<int32_t>(pc));
    for (const RixBreakpoint& b : d.breakpoints)
      if (b.verified && b.line == line) d.line_has_breakpoint[pc] = 1;
  }
}

}  // namespace

bool program_loaded(const RixImage& image) {
  return !image.instructions.empty() && image.source_lines.size() >= image.instructions.size();
}

int32_t resolve_line(const RixImage& image, int32_t line, std::string& why) {
  if (line < 1) {
    why = format("line %d does not exist: lines count from 1", line);
    return 0;
  }
  const auto count = static_cast<int32_t>(image.instructions.size());
  for (int32_t pc = 0; pc < count && pc <= image.last_index; ++pc) {
    const int32_t at = rix_debug_line_of(image, pc);
    if (at >= line) return at;
  }
  why = format("line %d is after the last statement (line %d)", line,
               count > 0 ? rix_debug_line_of(image, std::min(count - 1, image.last_index)) : 0);
  return 0;
}

bool breakpoints_hit(RixDebugger& d, Controller& c, int32_t pc) {
  const RixImage& im = c.rix;
  const int32_t line = rix_debug_line_of(im, pc);
  bool stop = false;
  for (RixBreakpoint& b : d.breakpoints) {
    if (!b.verified || b.line != line) continue;
    bool result = false;
    std::string why;
    if (!test_condition(im, b, result, why)) {
      // A condition that cannot be tested stops: silently running past it would hide the
      // breakpoint.
      if (!stop) d.stop.breakpoints.clear();
      stop = true;
      d.stop.breakpoints.push_back(b.id);
      d.stop.text = "breakpoint at line " + std::to_string(b.line) + ": " + why;
      continue;
    }
    if (!result) continue;
    ++b.hits;
    if (!hit_passes(b)) continue;
    if (!b.spec.log_message.empty()) {
      output(d, RixDebugOutput::kLog, rix_expand_message(im, b.spec.log_message));
      continue;
    }
    if (!stop) {
      d.stop.breakpoints.clear();
      d.stop.text.clear();
    }
    stop = true;
    d.stop.breakpoints.push_back(b.id);
  }
  return stop;
}

// A new breakpoint with the next id, resolved against the image; the line index is rebuilt by
// the caller once all are in.
void append_breakpoint(RixDebugger& d, const RixImage& image, RixBreakpointSpec spec) {
  RixBreakpoint b;
  b.id = d.next_id++;
  b.spec = std::move(spec);
  resolve_one(b, image);
  d.breakpoints.push_back(std::move(b));
}

}  // namespace debug

const RixBreakpoint& rix_debug_add_breakpoint(RixDebugger& d, const RixImage& image,
                                              RixBreakpointSpec spec) {
  debug::append_breakpoint(d, image, std::move(spec));
  debug::rebuild_lines(d, image);
  return d.breakpoints.back();
}

void rix_debug_set_breakpoints(RixDebugger& d, const RixImage& image,
                               std::vector<RixBreakpointSpec> specs) {
  d.breakpoints.clear();
  for (RixBreakpointSpec& s : specs) debug::append_breakpoint(d, image, std::move(s));
  debug::rebuild_lines(d, image);
}

bool rix_debug_clear_breakpoint(RixDebugger& d, int32_t line) {
  const std::size_t before = d.breakpoints.size();
  std::erase_if(d.breakpoints, [line](const RixBreakpoint& b) {
    return b.spec.line == line || (b.verified && b.line == line);
  });
  if (d.breakpoints.size() == before) return false;
  // The table of lines only loses entries: clear the ones no breakpoint holds any more.
  bool any = false;
  for (const RixBreakpoint& b : d.breakpoints) any = any || b.verified;
  if (!any) {
    d.line_has_breakpoint.clear();
  } else if (d.attached) {
    debug::rebuild_lines(d, d.attached->rix);
  }
  return true;
}

void rix_debug_clear_breakpoints(RixDebugger& d) {
  d.breakpoints.clear();
  d.line_has_breakpoint.clear();
}

void rix_debug_resolve(RixDebugger& d, const RixImage& image) {
  for (RixBreakpoint& b : d.breakpoints) {
    const bool was = b.verified;
    debug::resolve_one(b, image);
    if (!b.verified && (was || debug::program_loaded(image))) {
      debug::output(d, RixDebugOutput::kNote,
                    "breakpoint at line " + std::to_string(b.spec.line) + ": " + b.message);
    }
  }
  debug::rebuild_lines(d, image);
}

}  // namespace rokan
