// Assignments: dest op rhs, where rhs is an operand, operand arith operand, or a function name
// followed by its operands. The operator picks the target (CAL_LEFT_* combines the result with
// the destination's present value); the right-hand side picks the command.
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/compiler/operands.h"
#include "rix/compiler/passes.h"
#include "rix/compiler/tables.h"

namespace rokan {
namespace {

using namespace rix;

struct Function {
  const char* name;
  uint8_t code;
  int operands;
};

constexpr Function kFunctions[] = {
    {"INT", EQUAL_INT, 1},         {"ABS", EQUAL_ABS, 1},
    {"SQRT", EQUAL_SQRT, 1},       {"SIN", EQUAL_SIN, 1},
    {"COS", EQUAL_COS, 1},         {"TAN", EQUAL_TAN, 1},
    {"ASIN", EQUAL_ASIN, 1},       {"ACOS", EQUAL_ACOS, 1},
    {"ATAN", EQUAL_ATAN, 1},       {"ATAN2", EQUAL_ATAN2, 2},
    {"DEG2RAD", EQUAL_DEG2RAD, 1}, {"RAD2DEG", EQUAL_RAD2DEG, 1},
    {"NORM", EQUAL_NORM, 1},       {"UNIT_VECT", EQUAL_UNIT_VECT, 1},
    {"ROT_X", EQUAL_ROT_X, 2},     {"ROT_Y", EQUAL_ROT_Y, 2},
    {"ROT_Z", EQUAL_ROT_Z, 2},
};

int assignment_target(std::string_view op) {
  if (op == "=") return NO_TARGET;
  if (op == "+=") return CAL_LEFT_ADD;
  if (op == "-=") return CAL_LEFT_SUB;
  if (op == "*=") return CAL_LEFT_MULT;
  if (op == "/=") return CAL_LEFT_DIV;
  return -1;
}

int arithmetic(std::string_view op) {
  if (op == "+") return EQUAL_ADD;
  if (op == "-") return EQUAL_SUB;
  if (op == "*") return EQUAL_MULT;
  if (op == "/") return EQUAL_DIV;
  return -1;
}

constexpr int kScalar = 0, kCoordinate = 1, kJoint = 2;

// Whether the shapes of destination and operands suit the command.
bool shapes_fit(uint8_t code, int dest, int a, int b) {
  switch (code) {
    case EQUAL:
      return dest == a;
    case EQUAL_ADD:
    case EQUAL_SUB:
    case EQUAL_MULT:
    case EQUAL_DIV:
      return dest == a && a == b;
    case EQUAL_ATAN2:
      return dest == kScalar && a == kScalar && b == kScalar;
    case EQUAL_NORM:
      return dest == kScalar && (a == kCoordinate || a == kJoint);
    case EQUAL_UNIT_VECT:
      return dest == kCoordinate && a == kCoordinate;
    case EQUAL_ROT_X:
    case EQUAL_ROT_Y:
    case EQUAL_ROT_Z:
      return dest == kCoordinate && a == kCoordinate && b == kScalar;
    default:  // the one-operand scalar functions
      return dest == kScalar && a == kScalar;
  }
}

}  // namespace

bool rix_compile_assignment(RixCompile& cx, const std::vector<std::string_view>& t,
                            RixInstruction& r) {
  RixOperand dest;
  if (!rix_parse_operand(cx, t[0], dest) || dest.is_number())
    return rix_fail(cx, RixError::kFormat);
  // Only a general variable may carry '-' (the destination of kind M_VAR).
  if (dest.minus && dest.cls != RixOperandClass::kVar) return rix_fail(cx, RixError::kFormat);
  if (t.size() < 3) return rix_fail(cx, RixError::kExpression);
  int target = assignment_target(t[1]);
  if (target < 0) return rix_fail(cx, RixError::kExpression);

  uint8_t code = EQUAL;
  std::size_t first = 2, count = 1;  // operand tokens
  const Function* fn = nullptr;
  for (const Function& f : kFunctions) {
    if (keyword_is(t[2], f.name)) fn = &f;
  }
  if (fn) {
    code = fn->code;
    first = 3;
    count = static_cast<std::size_t>(fn->operands);
    if (t.size() != first + count) return rix_fail(cx, RixError::kExpression);
  } else if (t.size() == 5) {
    int arith = arithmetic(t[3]);
    if (arith < 0) return rix_fail(cx, RixError::kExpression);
    code = static_cast<uint8_t>(arith);
    count = 2;
  } else if (t.size() != 3) {
    return rix_fail(cx, RixError::kExpression);
  }

  RixOperand ops[2];
  for (std::size_t i = 0; i < count; ++i) {
    std::string_view token = t[first + (fn ? i : 2 * i)];
    if (!rix_parse_operand(cx, token, ops[i])) return rix_fail(cx, RixError::kExpression);
    // '-' goes only before a general variable (numbers carry their own sign).
    if (ops[i].minus && ops[i].cls != RixOperandClass::kVar)
      return rix_fail(cx, RixError::kExpression);
  }
  int b = count == 2 ? ops[1].shape() : dest.shape();
  if (!shapes_fit(code, dest.shape(), ops[0].shape(), b)) return rix_fail(cx, RixError::kFormat);

  r.command = code;
  r.target = static_cast<uint8_t>(target);
  rix_mark_assigned(cx, dest);
  rix_operand_slot(dest, false, r.arg_type[0], r.arg_value[0]);
  for (std::size_t i = 0; i < count; ++i) {
    rix_mark_referenced(cx, ops[i]);
    rix_operand_slot(ops[i], false, r.arg_type[1 + i], r.arg_value[1 + i]);
  }
  return true;
}

}  // namespace rokan
