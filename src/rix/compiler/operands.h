// Operands, targets, event flags and comparisons of RIX statements: what one token means, and
// how it is stored in an argument slot.
#pragma once

#include <cstdint>
#include <string_view>

#include "rix/compiler/passes.h"

namespace rokan {

enum class RixOperandClass : uint8_t {
  kNumber,   // number or character constant
  kVar,      // general variable
  kPos,      // coordinate variable, whole
  kPosComp,  // one component of a coordinate variable
  kJnt,      // joint variable, whole
  kJntComp,  // one component of a joint variable
};

struct RixOperand {
  RixOperandClass cls = RixOperandClass::kNumber;
  bool minus = false;  // a variable written with a leading '-'
  int index = 0;       // variable index
  int comp = 0;        // component 0..2
  double value = 0;    // the number (sign included)

  bool is_number() const { return cls == RixOperandClass::kNumber; }
  bool is_variable() const { return !is_number(); }
  // Scalar, coordinate or joint: the classes of the assignment rules.
  int shape() const {
    if (cls == RixOperandClass::kPos) return 1;
    if (cls == RixOperandClass::kJnt) return 2;
    return 0;
  }
};

// A number: optional '-', digits with at most one '.', not starting with '.' or "00", not ending
// with '.', no exponent.
bool rix_parse_number(std::string_view token, double& out);

// "CHAR_" and one digit or capital letter (its character code), or "CHAR_SPC" (32); optional '-'.
bool rix_parse_char(std::string_view token, double& out);

// Any operand form; false when the token is none. Marks nothing.
bool rix_parse_operand(const RixCompile& cx, std::string_view token, RixOperand& out);

// The argument kind and value that store `op`; relative selects the REL_ kinds.
void rix_operand_slot(const RixOperand& op, bool relative, uint8_t& kind, double& value);

// Usage marks: a read of the variable, a write to it. Numbers are left alone.
void rix_mark_referenced(RixCompile& cx, const RixOperand& op);
void rix_mark_assigned(RixCompile& cx, const RixOperand& op);

// Target code of a target token (ALL, F1..F4, Jnm, VR1..VR3, PAW1..PAW4, ANTENNA), or -1.
int rix_parse_target(std::string_view token);
bool rix_is_leg_target(int target);    // ALL or F1..F4
bool rix_is_joint_target(int target);  // J11..J43

// Argument kind of an event flag token, with `sign` -1.0 for a leading '!', else +1.0; -1 when
// the token is no event flag.
int rix_parse_event_flag(std::string_view token, double& sign);

// Comparison index of "==", "!=", ">", "<", ">=", "<=", or -1.
int rix_parse_comparison(std::string_view token);

}  // namespace rokan
