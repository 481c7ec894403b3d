// The assignment commands EQUAL .. EQUAL_ROT_Z. Slot 0 is the left side, slots 1 and 2 the
// operands; the target says whether the result replaces the left side or is combined with it
// (CAL_LEFT_ADD .. CAL_LEFT_DIV). A POS or JNT left side selects the vector form, applied
// component by component.
//
// No NaN or infinity is ever stored: a result outside the numbers (a division by zero, the
// square root of a negative number, ASIN or ACOS outside -1..1, the direction of a zero vector,
// an overflow) stops the program with "Domain Error." and leaves the variable as it was.
//
// Degree conversions multiply by 1/180 (or 1/pi) first and by pi (or 180) after, in extended
// precision, and round to double at the end.
#include <cmath>

#include "core/units.h"
#include "rix/compiler/diagnostics.h"
#include "rix/runtime/exec.h"

namespace rokan::rixrt {
namespace {

// Error 22 naming the command that reached a handler which does not serve it.
bool unknown_command(Exec& x) {
  const char* name = rix_command_name(x.ins.command);
  rix_report_error(x.image, RixError::kUnknownCommand, name ? name : "");
  return false;
}

bool is_vector_kind(uint8_t kind, bool joint) {
  return joint ? (kind == rix::JNT || kind == rix::M_JNT)
               : (kind == rix::POS || kind == rix::M_POS);
}

// A whole vector operand (POS/M_POS or JNT/M_JNT), negated for the M_ kinds.
bool read_vector_operand(Exec& x, int slot, bool joint, double out[3]) {
  const uint8_t kind = x.ins.arg_type[slot];
  if (!is_vector_kind(kind, joint)) return fail(x, RixError::kArgument);
  if (!read_vector(x, joint, x.ins.arg_value[slot], out)) return false;
  if (kind == rix::M_POS || kind == rix::M_JNT)
    for (int i = 0; i < 3; ++i) out[i] = -out[i];
  return true;
}

// The result of a one- or two-operand scalar command; error 23 outside the function's domain.
bool apply(Exec& x, uint8_t command, double a, double b, double& out) {
  switch (command) {
    case rix::EQUAL:
      out = a;
      break;
    case rix::EQUAL_ADD:
      out = a + b;
      break;
    case rix::EQUAL_SUB:
      out = a - b;
      break;
    case rix::EQUAL_MULT:
      out = a * b;
      break;
    case rix::EQUAL_DIV:
      if (b == 0) return fail(x, RixError::kDomain);
      out = a / b;
      break;
    case rix::EQUAL_ABS:
      out = std::fabs(a);
      break;
    case rix::EQUAL_INT:
      out = std::floor(a);
      break;
    case rix::EQUAL_SQRT:
      if (a < 0) return fail(x, RixError::kDomain);
      out = std::sqrt(a);
      break;
    case rix::EQUAL_SIN:
      out = std::sin(deg_to_rad_extended(a));
      break;
    case rix::EQUAL_COS:
      out = std::cos(deg_to_rad_extended(a));
      break;
    case rix::EQUAL_TAN:
      out = std::tan(deg_to_rad_extended(a));
      break;
    case rix::EQUAL_ASIN:
      if (a < -1 || a > 1) return fail(x, RixError::kDomain);
      out = rad_to_deg_extended(std::asin(a));
      break;
    case rix::EQUAL_ACOS:
      if (a < -1 || a > 1) return fail(x, RixError::kDomain);
      out = rad_to_deg_extended(std::acos(a));
      break;
    case rix::EQUAL_ATAN:
      out = rad_to_deg_extended(std::atan(a));
      break;
    case rix::EQUAL_ATAN2:
      if (a == 0 && b == 0) return fail(x, RixError::kDomain);
      out = rad_to_deg_extended(std::atan2(a, b));
      break;
    case rix::EQUAL_DEG2RAD:
      out = deg_to_rad_extended(a);
      break;
    case rix::EQUAL_RAD2DEG:
      out = rad_to_deg_extended(a);
      break;
    default:
      return unknown_command(x);
  }
  return std::isfinite(out) || fail(x, RixError::kDomain);
}

// Combines a result with the present value of the left side as the target says.
bool combine(Exec& x, double left, double result, double& out) {
  switch (x.ins.target) {
    case rix::NO_TARGET:
      out = result;
      break;
    case rix::CAL_LEFT_ADD:
      out = left + result;
      break;
    case rix::CAL_LEFT_SUB:
      out = left - result;
      break;
    case rix::CAL_LEFT_MULT:
      out = left * result;
      break;
    case rix::CAL_LEFT_DIV:
      if (result == 0) return fail(x, RixError::kDomain);
      out = left / result;
      break;
    default:
      return fail(x, RixError::kUndefinedTarget);
  }
  return std::isfinite(out) || fail(x, RixError::kDomain);
}

bool combines_left(const Exec& x) {
  return x.ins.target != rix::NO_TARGET;
}

bool two_operands(uint8_t command) {
  return (command >= rix::EQUAL_ADD && command <= rix::EQUAL_DIV) || command == rix::EQUAL_ATAN2;
}

// Stores a scalar result into the left side (slot 0), combined with its present value.
void store_scalar(Exec& x, double result) {
  const uint8_t kind = x.ins.arg_type[0];
  const double index = x.ins.arg_value[0];
  double left = 0, value = 0;
  if (combines_left(x) && !read_scalar(x, kind, index, left)) return;
  if (!combine(x, left, result, value)) return;
  write_scalar(x, kind, index, value);
}

// Stores a vector result into the POS or JNT left side, combined component by component.
void store_vector(Exec& x, bool joint, const double left[3], const double result[3]) {
  double value[3];
  for (int i = 0; i < 3; ++i)
    if (!combine(x, left[i], result[i], value[i])) return;
  write_vector(x, joint, x.ins.arg_value[0], value);
}

void scalar_form(Exec& x) {
  const uint8_t command = x.ins.command;
  double left = 0, a = 0, b = 0, result = 0;
  // The left side is read first: combining with an unset left side names the left variable.
  if (combines_left(x) && !read_scalar(x, x.ins.arg_type[0], x.ins.arg_value[0], left)) return;
  if (!read_scalar(x, x.ins.arg_type[1], x.ins.arg_value[1], a)) return;
  if (two_operands(command) && !read_scalar(x, x.ins.arg_type[2], x.ins.arg_value[2], b)) return;
  if (!apply(x, command, a, b, result)) return;
  double value = 0;
  if (!combine(x, left, result, value)) return;
  write_scalar(x, x.ins.arg_type[0], x.ins.arg_value[0], value);
}

// EQUAL, ABS, INT, SQRT and ADD .. DIV on whole POS or JNT vectors.
void vector_form(Exec& x, bool joint) {
  const uint8_t command = x.ins.command;
  const bool two = two_operands(command);
  if (!is_vector_kind(x.ins.arg_type[1], joint) ||
      (two && !is_vector_kind(x.ins.arg_type[2], joint))) {
    fail(x, RixError::kArgument);
    return;
  }
  double left[3] = {}, a[3], b[3] = {}, result[3];
  if (combines_left(x) && !read_vector(x, joint, x.ins.arg_value[0], left)) return;
  if (!read_vector_operand(x, 1, joint, a)) return;
  if (two && !read_vector_operand(x, 2, joint, b)) return;
  for (int i = 0; i < 3; ++i)
    if (!apply(x, command, a[i], b[i], result[i])) return;
  store_vector(x, joint, left, result);
}

void norm(Exec& x) {
  const uint8_t kind = x.ins.arg_type[1];
  double v[3];
  if (!read_vector_operand(x, 1, kind == rix::JNT || kind == rix::M_JNT, v)) return;
  const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!std::isfinite(n)) {
    fail(x, RixError::kDomain);
    return;
  }
  store_scalar(x, n);
}

void unit_vector(Exec& x) {
  if (x.ins.arg_type[0] != rix::POS) {
    fail(x, RixError::kArgument);
    return;
  }
  double left[3] = {}, v[3], result[3];
  if (combines_left(x) && !read_vector(x, false, x.ins.arg_value[0], left)) return;
  if (!read_vector_operand(x, 1, false, v)) return;
  const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(n > 0) || !std::isfinite(n)) {
    fail(x, RixError::kDomain);  // a zero vector has no direction
    return;
  }
  for (int i = 0; i < 3; ++i) result[i] = v[i] / n;
  store_vector(x, false, left, result);
}

void rotation(Exec& x) {
  const RixInstruction& ins = x.ins;
  const uint8_t angle_kind = ins.arg_type[2];
  if (ins.arg_type[0] != rix::POS ||
      (angle_kind != rix::CONSTANT && angle_kind != rix::VAR && angle_kind != rix::M_VAR)) {
    fail(x, RixError::kArgument);
    return;
  }
  double left[3] = {}, v[3], deg = 0;
  if (combines_left(x) && !read_vector(x, false, ins.arg_value[0], left)) return;
  if (!read_vector_operand(x, 1, false, v)) return;
  if (!read_scalar(x, angle_kind, ins.arg_value[2], deg)) return;
  const double t = deg_to_rad_extended(deg);
  const double cs = std::cos(t), sn = std::sin(t);
  double r[3];
  switch (ins.command) {
    case rix::EQUAL_ROT_X:
      r[0] = v[0];
      r[1] = cs * v[1] - sn * v[2];
      r[2] = sn * v[1] + cs * v[2];
      break;
    case rix::EQUAL_ROT_Y:
      r[0] = cs * v[0] - sn * v[2];
      r[1] = v[1];
      r[2] = sn * v[0] + cs * v[2];
      break;
    default:
      r[0] = cs * v[0] - sn * v[1];
      r[1] = sn * v[0] + cs * v[1];
      r[2] = v[2];
      break;
  }
  for (double component : r) {
    if (!std::isfinite(component)) {
      fail(x, RixError::kDomain);
      return;
    }
  }
  store_vector(x, false, left, r);
}

bool has_vector_form(uint8_t command) {
  return command <= rix::EQUAL_SQRT;  // EQUAL .. EQUAL_DIV, ABS, INT, SQRT
}

}  // namespace

void h_assign(Exec& x) {
  const uint8_t command = x.ins.command;
  const uint8_t left = x.ins.arg_type[0];
  const uint8_t target = x.ins.target;
  if (target != rix::NO_TARGET && (target < rix::CAL_LEFT_ADD || target > rix::CAL_LEFT_DIV)) {
    fail(x, RixError::kUndefinedTarget);
    return;
  }
  switch (command) {
    case rix::EQUAL_NORM:
      norm(x);
      return;
    case rix::EQUAL_UNIT_VECT:
      unit_vector(x);
      return;
    case rix::EQUAL_ROT_X:
    case rix::EQUAL_ROT_Y:
    case rix::EQUAL_ROT_Z:
      rotation(x);
      return;
    default:
      break;
  }
  if (command < rix::EQUAL || command > rix::EQUAL_RAD2DEG) {
    unknown_command(x);
    return;
  }
  if (left == rix::POS || left == rix::JNT) {
    if (has_vector_form(command))
      vector_form(x, left == rix::JNT);
    else
      fail(x, RixError::kArgument);
    return;
  }
  scalar_form(x);
}

}  // namespace rokan::rixrt
