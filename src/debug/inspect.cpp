// What the debugger shows of a program: source lines, the program and motion pointers, the
// GOSUB/CALL stack and the variables, and setting a variable while the program is paused.
#include <algorithm>
#include <cmath>

#include "core/controller.h"
#include "debug/debugger_internal.h"
#include "rix/compiler/tables.h"

namespace rokan {
namespace {

// The label an instruction calls (GOSUB/CALL: slot 0, IF ... GOSUB: slot 2), or "?".
std::string called_label(const RixImage& im, int32_t call_pc) {
  if (call_pc < 0 || static_cast<std::size_t>(call_pc) >= im.instructions.size()) return "?";
  const RixInstruction& ins = im.instructions[static_cast<std::size_t>(call_pc)];
  const int slot = (ins.command == rix::GOSUB || ins.command == rix::CALL) ? 0 : 2;
  if (ins.arg_type[slot] != rix::LABEL) return "?";
  for (const RixLabel& l : im.labels)
    if (l.index == ins.arg_value[slot]) return l.name;
  return "?";
}

RixDebugVariable whole(const RixVar& v, int index) {
  RixDebugVariable out;
  out.name = v.name;
  out.kind = RixVarKind::kVar;
  out.index = index;
  out.value[0] = v.value;
  return out;
}

RixDebugVariable whole(const RixVectorVar& v, RixVarKind kind, int index) {
  RixDebugVariable out;
  out.name = v.name;
  out.kind = kind;
  out.index = index;
  out.count = 3;
  for (int k = 0; k < 3; ++k) out.value[k] = v.value[k];
  return out;
}

// Component of "X"/"Y"/"Z" (POS) or "J1".."J3" (JNT), letters in either case; -1 otherwise.
int component_of(RixVarKind kind, std::string_view suffix) {
  if (kind == RixVarKind::kPos && suffix.size() == 1) {
    const char ch = static_cast<char>(suffix[0] | 0x20);
    if (ch >= 'x' && ch <= 'z') return ch - 'x';
  }
  if (kind == RixVarKind::kJnt && suffix.size() == 2 && (suffix[0] | 0x20) == 'j' &&
      suffix[1] >= '1' && suffix[1] <= '3') {
    return suffix[1] - '1';
  }
  return -1;
}

bool find_whole(const RixImage& im, std::string_view name, RixDebugVariable& out) {
  int i = rix_find_var(im.vars, name);
  if (i >= 0) {
    out = whole(im.vars[static_cast<std::size_t>(i)], i);
    return true;
  }
  i = rix_find_var(im.pos, name);
  if (i >= 0) {
    out = whole(im.pos[static_cast<std::size_t>(i)], RixVarKind::kPos, i);
    return true;
  }
  i = rix_find_var(im.jnt, name);
  if (i >= 0) {
    out = whole(im.jnt[static_cast<std::size_t>(i)], RixVarKind::kJnt, i);
    return true;
  }
  return false;
}

const char* kind_text(RixVarKind kind) {
  switch (kind) {
    case RixVarKind::kPos:
      return "a POS variable: give three values, x y z in mm";
    case RixVarKind::kJnt:
      return "a JNT variable: give three values, the joint angles in degrees";
    case RixVarKind::kVar:
      break;
  }
  return "a general variable: give one value";
}

}  // namespace

int32_t rix_debug_line_of(const RixImage& image, int32_t pc) {
  if (pc < 0 || static_cast<std::size_t>(pc) >= image.source_lines.size()) return 0;
  return image.source_lines[static_cast<std::size_t>(pc)];
}

int32_t rix_debug_pc(const RixDebugger& d, const Controller& c) {
  switch (rix_debug_state(d, c)) {
    case RixRunState::kPaused:
      return d.stop.pc;
    case RixRunState::kRunning:
      // A run whose first cycle is still to come starts at the first instruction.
      return c.rix.run_count != d.run ? 0 : c.rix.pc;
    case RixRunState::kEnded:
      return d.error.reason != RixStopReason::kNone ? d.error.pc : c.rix.executed_pc;
    case RixRunState::kNone:
      break;
  }
  return -1;
}

int32_t rix_debug_motion_pc(const RixDebugger& d, const Controller& c, int leg) {
  if (!valid_leg(leg) || c.rix.run_count != d.run) return -1;
  return c.servo[leg].pending ? d.motion_pc[leg] : -1;
}

std::vector<RixDebugFrame> rix_debug_frames(const RixDebugger& d, const Controller& c) {
  std::vector<RixDebugFrame> frames;
  const RixRunState state = rix_debug_state(d, c);
  if (state != RixRunState::kPaused && state != RixRunState::kRunning) return frames;
  const RixImage& im = c.rix;
  int32_t pc = rix_debug_pc(d, c);
  const int depth = std::clamp(im.gosub_depth, 0, kRixGosubSlots);
  for (int k = depth - 1; k >= 0; --k) {
    const int32_t call_pc = im.gosub_stack[k] - 1;
    frames.push_back({called_label(im, call_pc), pc, rix_debug_line_of(im, pc)});
    pc = call_pc;
  }
  frames.push_back(
      {im.loaded_name.empty() ? im.source_name : im.loaded_name, pc, rix_debug_line_of(im, pc)});
  return frames;
}

std::vector<RixDebugVariable> rix_debug_variables(const RixImage& image) {
  std::vector<RixDebugVariable> out;
  out.reserve(image.vars.size() + image.pos.size() + image.jnt.size());
  for (std::size_t i = 0; i < image.vars.size(); ++i)
    out.push_back(whole(image.vars[i], static_cast<int>(i)));
  for (std::size_t i = 0; i < image.pos.size(); ++i)
    out.push_back(whole(image.pos[i], RixVarKind::kPos, static_cast<int>(i)));
  for (std::size_t i = 0; i < image.jnt.size(); ++i)
    out.push_back(whole(image.jnt[i], RixVarKind::kJnt, static_cast<int>(i)));
  return out;
}

bool rix_debug_find_variable(const RixImage& image, std::string_view name, RixDebugVariable& out) {
  if (find_whole(image, name, out)) return true;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  RixDebugVariable base;
  if (!find_whole(image, name.substr(0, dot), base)) return false;
  const int k = component_of(base.kind, name.substr(dot + 1));
  if (k < 0) return false;
  out = base;
  out.name = std::string(name);
  out.component = k;
  out.count = 1;
  out.value[0] = base.value[k];
  out.value[1] = out.value[2] = kRixUnset;
  return true;
}

std::string rix_debug_set_variable(RixDebugger& d, Controller& c, std::string_view name,
                                   const std::vector<double>& values) {
  if (rix_debug_state(d, c) != RixRunState::kPaused)
    return "a variable can be set only while the program is paused";
  RixDebugVariable v;
  if (!rix_debug_find_variable(c.rix, name, v))
    return "the program has no variable " + std::string(name);
  if (values.size() != static_cast<std::size_t>(v.count)) {
    if (v.component >= 0) return std::string(name) + " is one component: give one value";
    return std::string(name) + " is " + kind_text(v.kind);
  }
  for (double x : values) {
    if (!std::isfinite(x)) return "values must be finite numbers";
    if (x == kRixUnset) return "99999999.9 is the mark of an unset variable, not a value";
  }
  RixImage& im = c.rix;
  const auto i = static_cast<std::size_t>(v.index);
  if (v.kind == RixVarKind::kVar) {
    im.vars[i].value = values[0];
    return {};
  }
  double* target = v.kind == RixVarKind::kPos ? im.pos[i].value : im.jnt[i].value;
  if (v.component >= 0) {
    target[v.component] = values[0];
  } else {
    for (int k = 0; k < 3; ++k) target[k] = values[static_cast<std::size_t>(k)];
  }
  return {};
}

}  // namespace rokan
