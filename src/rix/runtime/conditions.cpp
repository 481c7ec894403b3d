// Conditions of the condition statements: a comparison of two numbers (exact, no tolerance) or
// an event flag. The in-position flags are counting tests (ten passes in a row), so every
// evaluation of one counts as a test.
#include "console/console.h"
#include "core/controller.h"
#include "core/servo.h"
#include "rix/runtime/exec.h"

namespace rokan::rixrt {
namespace {

// Comparison index of a comparing command code, or -1 (the EVENT codes and every other code).
int comparison_of(uint8_t command) {
  static constexpr uint8_t kFamilies[] = {rix::IF_GOTO_EQ, rix::IF_GOSUB_EQ, rix::IF_THEN_EQ,
                                          rix::ELSEIF_EQ,  rix::WHILE_EQ,    rix::UNTIL_EQ};
  for (uint8_t base : kFamilies)
    if (command >= base && command <= base + rix::CMP_LE) return command - base;
  return -1;
}

bool is_event_command(uint8_t command) {
  switch (command) {
    case rix::IF_GOTO_EVENT:
    case rix::IF_GOSUB_EVENT:
    case rix::IF_THEN_EVENT:
    case rix::ELSEIF_EVENT:
    case rix::WHILE_EVENT:
    case rix::UNTIL_EVENT:
      return true;
    default:
      return false;
  }
}

bool compare(Exec& x, bool& out) {
  const int cmp = comparison_of(x.ins.command);
  if (cmp < 0) return fail(x, RixError::kCondition);
  double left = 0, right = 0;
  if (!read_scalar(x, x.ins.arg_type[0], x.ins.arg_value[0], left)) return false;
  if (!read_scalar(x, x.ins.arg_type[1], x.ins.arg_value[1], right)) return false;
  switch (cmp) {
    case rix::CMP_EQ:
      out = left == right;
      break;
    case rix::CMP_NE:
      out = left != right;
      break;
    case rix::CMP_GT:
      out = left > right;
      break;
    case rix::CMP_LT:
      out = left < right;
      break;
    case rix::CMP_GE:
      out = left >= right;
      break;
    default:
      out = left <= right;
      break;
  }
  return true;
}

// Leg and joint of the joint flags INPOS_J11..J43 and NEAR_J11..J43 (J11, J12, J13, J21, ...).
void flag_joint(int offset, int& leg, int& joint) {
  leg = offset / 3;
  joint = offset % 3;
}

}  // namespace

bool evaluate_event(Exec& x, bool& out) {
  Controller& c = x.c;
  const int kind = x.ins.arg_type[0];
  int leg = 0, joint = 0;
  bool state = false;
  if (kind == rix::HALT_REQUEST) {
    state = c.mode.stop_reserved;
  } else if (kind == rix::KB_HIT) {
    state = c.console.key_hit;
  } else if (kind >= rix::INPOS_F1 && kind < rix::INPOS_F1 + 4) {
    state = leg_in_position(c, kind - rix::INPOS_F1);
  } else if (kind == rix::INPOS_ALL) {
    state = all_legs_in_position(c) && all_joints_in_position(c);
  } else if (kind >= rix::INPOS_J11 && kind < rix::INPOS_J11 + 12) {
    flag_joint(kind - rix::INPOS_J11, leg, joint);
    state = joint_in_position(c, leg, joint);
  } else if (kind >= rix::NEAR_F1 && kind < rix::NEAR_F1 + 4) {
    state = leg_near(c, kind - rix::NEAR_F1);
  } else if (kind == rix::NEAR_ALL) {
    state = all_legs_near(c) && all_joints_near(c);
  } else if (kind >= rix::NEAR_J11 && kind < rix::NEAR_J11 + 12) {
    flag_joint(kind - rix::NEAR_J11, leg, joint);
    state = joint_near(c, leg, joint);
  } else if (kind >= rix::SPECIAL_FLAG0 && kind < rix::SPECIAL_FLAG0 + kRixSpecialFlags) {
    state = x.image.special_flags[kind - rix::SPECIAL_FLAG0];
  } else {
    out = false;
    return fail(x, RixError::kEventFlag);
  }
  out = x.ins.arg_value[0] < 0 ? !state : state;
  return true;
}

bool evaluate_condition(Exec& x, bool& out) {
  // An EVENT command always tests a flag, so a damaged flag kind is reported as such (32)
  // rather than as a malformed comparison.
  if (rix::is_event_flag(x.ins.arg_type[0]) || is_event_command(x.ins.command))
    return evaluate_event(x, out);
  return compare(x, out);
}

}  // namespace rokan::rixrt
