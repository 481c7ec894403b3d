#include "rix/compiler/operands.h"

#include <charconv>
#include <cmath>

#include "rix/compiler/lex.h"
#include "rix/compiler/tables.h"

namespace rokan {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

void mark(RixCompile& cx, const RixOperand& op, uint8_t var_flag, uint8_t pos_flag,
          uint8_t jnt_flag) {
  RixImage& image = cx.image;
  auto at = [](auto& table, int i) -> uint8_t* {
    if (i < 0 || static_cast<std::size_t>(i) >= table.size()) return nullptr;
    return &table[static_cast<std::size_t>(i)].usage;
  };
  uint8_t* usage = nullptr;
  uint8_t flag = 0;
  switch (op.cls) {
    case RixOperandClass::kNumber:
      return;
    case RixOperandClass::kVar:
      usage = at(image.vars, op.index), flag = var_flag;
      break;
    case RixOperandClass::kPos:
    case RixOperandClass::kPosComp:
      usage = at(image.pos, op.index), flag = pos_flag;
      break;
    case RixOperandClass::kJnt:
    case RixOperandClass::kJntComp:
      usage = at(image.jnt, op.index), flag = jnt_flag;
      break;
  }
  if (usage) *usage |= flag;
}

bool lookup(const RixCompile& cx, std::string_view name, RixVarRef& ref) {
  auto it = cx.variables.find(std::string(name));
  if (it == cx.variables.end()) return false;
  ref = it->second;
  return true;
}

// A whole variable or a component written as name.X / name.J1.
bool parse_variable(const RixCompile& cx, std::string_view body, RixOperand& out) {
  RixVarRef ref{};
  if (lookup(cx, body, ref)) {
    out.index = ref.index;
    out.cls = ref.kind == 'V'   ? RixOperandClass::kVar
              : ref.kind == 'P' ? RixOperandClass::kPos
                                : RixOperandClass::kJnt;
    return true;
  }
  std::size_t dot = body.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || !is_char_boundary(body, dot)) return false;
  std::string_view base = body.substr(0, dot), suffix = body.substr(dot + 1);
  if (!lookup(cx, base, ref)) return false;
  out.index = ref.index;
  if (ref.kind == 'P' && suffix.size() == 1) {
    char c = suffix[0];
    if (c == 'x' || c == 'X')
      out.comp = 0;
    else if (c == 'y' || c == 'Y')
      out.comp = 1;
    else if (c == 'z' || c == 'Z')
      out.comp = 2;
    else
      return false;
    out.cls = RixOperandClass::kPosComp;
    return true;
  }
  if (ref.kind == 'J' && suffix.size() == 2 && (suffix[0] == 'j' || suffix[0] == 'J') &&
      suffix[1] >= '1' && suffix[1] <= '3') {
    out.comp = suffix[1] - '1';
    out.cls = RixOperandClass::kJntComp;
    return true;
  }
  return false;
}

}  // namespace

bool rix_parse_number(std::string_view token, double& out) {
  std::string_view body = token;
  if (!body.empty() && body[0] == '-') body.remove_prefix(1);
  if (body.empty() || body[0] == '.' || body.back() == '.') return false;
  if (body.size() >= 2 && body[0] == '0' && body[1] == '0') return false;
  int dots = 0;
  for (char c : body) {
    if (c == '.') {
      if (++dots > 1) return false;
    } else if (!is_digit(c)) {
      return false;
    }
  }
  // from_chars reads the C format whatever the process locale is; a value beyond the range of
  // double saturates to infinity, or to zero, like strtod.
  auto res = std::from_chars(token.data(), token.data() + token.size(), out);
  if (res.ec == std::errc::result_out_of_range) {
    std::string_view whole = body.substr(0, body.find('.'));
    bool large = whole.find_first_not_of('0') != std::string_view::npos;
    double magnitude = large ? HUGE_VAL : 0.0;
    out = token[0] == '-' ? -magnitude : magnitude;
    return true;
  }
  return res.ec == std::errc() && res.ptr == token.data() + token.size();
}

bool rix_parse_char(std::string_view token, double& out) {
  bool minus = !token.empty() && token[0] == '-';
  std::string_view body = minus ? token.substr(1) : token;
  if (body.size() < 6 || !keyword_is(body.substr(0, 5), "CHAR_")) return false;
  std::string_view rest = body.substr(5);
  double v;
  if (rest.size() == 1 && (is_digit(rest[0]) || (rest[0] >= 'A' && rest[0] <= 'Z'))) {
    v = static_cast<unsigned char>(rest[0]);
  } else if (keyword_is(rest, "SPC")) {
    v = 32;
  } else {
    return false;
  }
  out = minus ? -v : v;
  return true;
}

bool rix_parse_operand(const RixCompile& cx, std::string_view token, RixOperand& out) {
  out = RixOperand{};
  if (token.empty()) return false;
  if (rix_parse_number(token, out.value) || rix_parse_char(token, out.value)) {
    out.cls = RixOperandClass::kNumber;
    return true;
  }
  if (parse_variable(cx, token, out)) return true;
  if (token[0] == '-' && token.size() > 1 && parse_variable(cx, token.substr(1), out)) {
    out.minus = true;
    return true;
  }
  return false;
}

void rix_operand_slot(const RixOperand& op, bool relative, uint8_t& kind, double& value) {
  using namespace rix;
  int k = 0;
  switch (op.cls) {
    case RixOperandClass::kNumber:
      kind = relative ? REL_CONSTANT : CONSTANT;
      value = op.value;
      return;
    case RixOperandClass::kVar:
      k = VAR;
      break;
    case RixOperandClass::kPos:
      k = POS;
      break;
    case RixOperandClass::kPosComp:
      k = POS_X + op.comp;
      break;
    case RixOperandClass::kJnt:
      k = JNT;
      break;
    case RixOperandClass::kJntComp:
      k = JNT_1 + op.comp;
      break;
  }
  if (relative) k += kRelOffset;
  if (op.minus) k += kMinusOffset;
  kind = static_cast<uint8_t>(k);
  value = op.index;
}

void rix_mark_referenced(RixCompile& cx, const RixOperand& op) {
  mark(cx, op, kRixVarReferenced, kRixPosReferenced, kRixJntReferenced);
}

void rix_mark_assigned(RixCompile& cx, const RixOperand& op) {
  mark(cx, op, kRixVarAssigned, kRixPosAssigned, kRixJntAssigned);
}

int rix_parse_target(std::string_view t) {
  using namespace rix;
  auto digit = [](char c, char lo, char hi) { return c >= lo && c <= hi; };
  if (keyword_is(t, "ALL")) return TARGET_ALL;
  if (keyword_is(t, "ANTENNA")) return TARGET_ANTENNA;
  if (t.size() == 2 && (t[0] == 'F' || t[0] == 'f') && digit(t[1], '1', '4')) {
    return target_leg(t[1] - '0');
  }
  if (t.size() == 3 && (t[0] == 'J' || t[0] == 'j') && digit(t[1], '1', '4') &&
      digit(t[2], '1', '3')) {
    return target_joint(t[1] - '0', t[2] - '0');
  }
  if (t.size() == 3 && keyword_is(t.substr(0, 2), "VR") && digit(t[2], '1', '3')) {
    return TARGET_VR1 + (t[2] - '1');
  }
  if (t.size() == 4 && keyword_is(t.substr(0, 3), "PAW") && digit(t[3], '1', '4')) {
    return TARGET_PAW1 + (t[3] - '1');
  }
  return -1;
}

bool rix_is_leg_target(int target) {
  return target == rix::TARGET_ALL || (target >= rix::TARGET_F1 && target < rix::TARGET_F1 + 4);
}

bool rix_is_joint_target(int target) {
  if (target < rix::TARGET_J11 || target > rix::target_joint(4, 3)) return false;
  return (target - rix::TARGET_J11) % 9 < 3;
}

int rix_parse_event_flag(std::string_view token, double& sign) {
  sign = 1.0;
  if (!token.empty() && token[0] == '!') {
    sign = -1.0;
    token.remove_prefix(1);
  }
  if (token.empty() || token.size() > 16) return -1;
  std::string upper = fold_case(token);
  int code = rix_arg_code(upper);
  return rix::is_event_flag(code) ? code : -1;
}

int rix_parse_comparison(std::string_view token) {
  static constexpr std::string_view kOps[] = {"==", "!=", ">", "<", ">=", "<="};
  for (int i = 0; i < 6; ++i) {
    if (token == kOps[i]) return i;
  }
  return -1;
}

}  // namespace rokan
