// Arguments, variables and targets of an instruction. Index values are whole numbers stored as
// doubles; each is range-checked (NaN included) before it becomes a table index.
#include <cmath>

#include "rix/compiler/diagnostics.h"
#include "rix/runtime/exec.h"

namespace rokan::rixrt {
namespace {

// The table index held by `value`, if it lies in 0 .. size - 1.
bool to_index(double value, std::size_t size, std::size_t& out) {
  if (!(value >= 0) || value >= static_cast<double>(size)) return false;
  out = static_cast<std::size_t>(value);
  return true;
}

// Component 0..2 of a position (POS_X..Z) or joint (JNT_1..3) kind; -1 for JNT_4..9.
int component_of(uint8_t plain) {
  if (plain >= rix::POS_X && plain <= rix::POS_Z) return plain - rix::POS_X;
  if (plain >= rix::JNT_1 && plain <= rix::JNT_1 + 2) return plain - rix::JNT_1;
  return -1;
}

bool is_joint_component(uint8_t plain) {
  return plain >= rix::JNT_1 && plain <= rix::JNT_1 + 8;
}

bool unset_error(Exec& x, RixError error, std::size_t index) {
  x.image.error_index = static_cast<double>(index);
  return fail(x, error);
}

// The stored value of a scalar kind (plain VAR, POS_X..Z or JNT_1..3), or the error.
bool stored_scalar(Exec& x, uint8_t plain, double index, double*& slot, RixError& unset_code,
                   std::size_t& at) {
  if (plain == rix::VAR) {
    if (!to_index(index, x.image.vars.size(), at)) return fail(x, RixError::kVariableType);
    slot = &x.image.vars[at].value;
    unset_code = RixError::kVarUnassigned;
    return true;
  }
  const int comp = component_of(plain);
  if (comp < 0) return fail(x, RixError::kVariableType);  // JNT_4..9 exist as kinds only
  const bool joint = is_joint_component(plain);
  auto& table = joint ? x.image.jnt : x.image.pos;
  if (!to_index(index, table.size(), at)) return fail(x, RixError::kVariableType);
  slot = &table[at].value[comp];
  unset_code = joint ? RixError::kJntUnassigned : RixError::kPosUnassigned;
  return true;
}

bool is_scalar_plain(uint8_t plain) {
  return plain == rix::VAR || (plain >= rix::POS_X && plain <= rix::JNT_1 + 8);
}

}  // namespace

bool fail(Exec& x, RixError error) {
  rix_report_error(x.image, error);
  return false;
}

bool is_none(const RixInstruction& ins, int slot) {
  return ins.arg_type[slot] == rix::ARG_NONE && ins.arg_value[slot] == 0.0;
}

bool require_none(Exec& x, int from, int to) {
  for (int slot = from; slot <= to; ++slot)
    if (!is_none(x.ins, slot)) return fail(x, RixError::kArgument);
  return true;
}

bool require_no_target(Exec& x) {
  return x.ins.target == rix::NO_TARGET || fail(x, RixError::kArgument);
}

bool read_label(Exec& x, int slot, int32_t& out) {
  if (x.ins.arg_type[slot] != rix::LABEL) return fail(x, RixError::kArgument);
  const double v = x.ins.arg_value[slot];
  if (!(v >= 0) || v > x.image.last_index || v != std::floor(v))
    return fail(x, RixError::kStepNumber);
  out = static_cast<int32_t>(v);
  return true;
}

bool read_constant_or_var(Exec& x, int slot, double& out) {
  const uint8_t kind = x.ins.arg_type[slot];
  if (kind != rix::CONSTANT && kind != rix::VAR) return fail(x, RixError::kArgument);
  return read_scalar(x, kind, x.ins.arg_value[slot], out);
}

KindParts split_kind(uint8_t kind) {
  KindParts p;
  if (kind < rix::VAR || kind >= rix::END_OF_ARG) return p;
  int k = kind;
  if (k >= rix::M_VAR) {
    p.minus = true;
    k -= rix::kMinusOffset;
  }
  if (k >= rix::REL_VAR) {
    p.rel = true;
    k -= rix::kRelOffset;
  }
  p.plain = static_cast<uint8_t>(k);
  return p;
}

bool read_scalar(Exec& x, uint8_t kind, double value, double& out) {
  if (kind == rix::CONSTANT) {
    out = value;
    return true;
  }
  const KindParts p = split_kind(kind);
  if (p.rel || !is_scalar_plain(p.plain)) return fail(x, RixError::kVariableType);
  double* slot = nullptr;
  RixError unset_code = RixError::kNone;
  std::size_t at = 0;
  if (!stored_scalar(x, p.plain, value, slot, unset_code, at)) return false;
  if (*slot == kRixUnset) return unset_error(x, unset_code, at);
  out = p.minus ? -*slot : *slot;
  return true;
}

bool write_scalar(Exec& x, uint8_t kind, double index, double v) {
  if (!is_scalar_plain(kind)) return fail(x, RixError::kVariableType);
  double* slot = nullptr;
  RixError unset_code = RixError::kNone;
  std::size_t at = 0;
  if (!stored_scalar(x, kind, index, slot, unset_code, at)) return false;
  *slot = v;
  return true;
}

bool read_general(Exec& x, uint8_t kind, double index, double& out) {
  const KindParts p = split_kind(kind);
  if (p.plain != rix::VAR) return fail(x, RixError::kVariableType);
  std::size_t at = 0;
  if (!to_index(index, x.image.vars.size(), at)) return fail(x, RixError::kVariableType);
  const double v = x.image.vars[at].value;
  if (v == kRixUnset) return unset_error(x, RixError::kVarUnassigned, at);
  out = p.minus ? -v : v;
  return true;
}

bool read_vector(Exec& x, bool joint, double index, double out[3]) {
  const auto& table = joint ? x.image.jnt : x.image.pos;
  std::size_t at = 0;
  if (!to_index(index, table.size(), at)) return fail(x, RixError::kVariableType);
  for (int i = 0; i < 3; ++i) {
    if (table[at].value[i] == kRixUnset)
      return unset_error(x, joint ? RixError::kJntUnassigned : RixError::kPosUnassigned, at);
    out[i] = table[at].value[i];
  }
  return true;
}

bool write_vector(Exec& x, bool joint, double index, const double v[3]) {
  auto& table = joint ? x.image.jnt : x.image.pos;
  std::size_t at = 0;
  if (!to_index(index, table.size(), at)) return fail(x, RixError::kVariableType);
  for (int i = 0; i < 3; ++i) table[at].value[i] = v[i];
  return true;
}

bool joint_of_target(uint8_t target, int& leg, int& joint) {
  if (target < rix::TARGET_J11 || target >= rix::TARGET_VR1) return false;
  const int n = (target - rix::TARGET_J11) / 9;  // leg, 0-based
  const int m = (target - rix::TARGET_J11) % 9;  // joint, 0-based
  if (n > 3 || m > 2) return false;
  leg = n;
  joint = m;
  return true;
}

bool resolve_legs(Exec& x, int& leg) {
  const uint8_t t = x.ins.target;
  if (t == rix::TARGET_ALL) {
    leg = -1;
    return true;
  }
  if (t >= rix::TARGET_F1 && t < rix::TARGET_F1 + 4) {
    leg = t - rix::TARGET_F1;
    return true;
  }
  return fail(x, RixError::kUndefinedTarget);
}

bool resolve_leg_or_joint(Exec& x, int& leg, int& joint) {
  joint = -1;
  if (joint_of_target(x.ins.target, leg, joint)) return true;
  return resolve_legs(x, leg);
}

}  // namespace rokan::rixrt
