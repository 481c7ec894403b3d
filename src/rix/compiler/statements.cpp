// Pass 3's statement compiler: one FORMAL.TMP statement becomes one instruction record. The
// keyword table names each command's source form; one handler per form fills target and slots.
// A missing or surplus token is error 11 unless a form names another code.
#include <cmath>
#include <cstring>

#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/compiler/operands.h"
#include "rix/compiler/passes.h"
#include "rix/compiler/tables.h"

namespace rokan {

bool rix_compile_assignment(RixCompile& cx, const std::vector<std::string_view>& tokens,
                            RixInstruction& r);

namespace {

using namespace rix;
using Tokens = std::vector<std::string_view>;

enum class Form : uint8_t {
  kBare,            // nothing follows
  kPosition,        // PTP [HS] leg p
  kRelPosition,     // REL_PTP [HS] leg p
  kVelocity,        // VEL_CONTROL leg v
  kAngle,           // PTP_ANGLE [HS] target a
  kRelAngle,        // REL_PTP_ANGLE [HS] target a
  kOmega,           // OMEGA_CONTROL target w
  kHeight,          // STAND_UP x, SIT_DOWN x
  kDetectFloor,     // DETECT_FLOOR leg x
  kValue,           // SLEEP t, SET_SAMPLING_TIME x ...
  kWait,            // WAIT_INPOS target
  kWaitNear,        // WAIT_NEAR target
  kTeachPosition,   // TEACH_POSITION target p
  kTeachAngle,      // TEACH_ANGLE target a
  kLegValue,        // SET_A_MAX leg x ...
  kJointValue,      // SET_OMEGA_MAX joint x ...
  kLeg,             // SET_A_MAX_SLOW leg ...
  kJoint,           // SET_OMEGA_MAX_SLOW joint ...
  kAngleTolerance,  // SET_JUST_ANGLE target a
  kAdIn,            // AD_IN source var
  kKeyIn,           // KEY_IN [var]
  kMessage,         // MESSAGE text
  kLamp,            // LAMP_ON x
  kSpecial,         // SPECIAL n [x [y]]
  kRem,             // REM ...
  kGoto,            // GOTO [label]
  kGosub,           // GOSUB label
  kCall,            // CALL name:
  kIf,              // IF cond GOTO|GOSUB label, IF cond THEN
  kElseIf,          // ELSEIF cond THEN
  kElse,            // ELSE
  kWhile,           // WHILE cond
  kWend,            // WEND
  kUntil,           // UNTIL cond
  kFor,             // FOR v = a TO b [STEP c]
  kNext,            // NEXT [v]
  kSubroutine,      // SUBROUTINE name:
};

struct Keyword {
  const char* name;
  Form form;
  uint8_t code;
};

// Source keywords, from the command list. The preset statements for the joint limits
// (SET_OMEGA_MAX_SLOW .. SET_OMEGA_DOT_MAX_NORMAL) are spelled like their command names; they take
// a joint target and no value.
#define ROKAN_RIX_NO_KEYWORD(code)
#define ROKAN_RIX_KEYWORD(code, keyword, form) {#keyword, Form::form, code},
constexpr Keyword kKeywords[] = {ROKAN_RIX_COMMANDS(ROKAN_RIX_NO_KEYWORD, ROKAN_RIX_KEYWORD)};
#undef ROKAN_RIX_NO_KEYWORD
#undef ROKAN_RIX_KEYWORD

const Keyword* find_keyword(std::string_view token) {
  for (const Keyword& k : kKeywords) {
    if (keyword_is(token, k.name)) return &k;
  }
  return nullptr;
}

// How the values of a position or angle statement are taken.
enum class Values : uint8_t {
  kPrefixed,  // each value may carry R (relative) or A (absolute)
  kRelative,  // every value relative, no R/A
  kAbsolute,  // every value absolute, no R/A
};

struct Statement {
  RixCompile& cx;
  const Tokens& t;
  RixInstruction& r;
  std::size_t next = 1;  // index of the next token to read

  bool more() const { return next < t.size(); }
  std::string_view peek() const { return t[next]; }
  std::string_view take() { return t[next++]; }
  bool fail(RixError error, std::string_view detail = {}) { return rix_fail(cx, error, detail); }
  // Nothing may follow.
  bool done() { return more() ? fail(RixError::kFormat) : true; }

  void set(int slot, uint8_t kind, double value) {
    r.arg_type[slot] = kind;
    r.arg_value[slot] = value;
  }
  void set(int slot, const RixOperand& op, bool relative = false) {
    rix_operand_slot(op, relative, r.arg_type[slot], r.arg_value[slot]);
  }
  bool operand(std::string_view token, RixOperand& op) { return rix_parse_operand(cx, token, op); }

  // The target token; `ok` decides which targets the form takes, `code` is the error for others.
  bool target(bool (*ok)(int), RixError error) {
    if (!more()) return fail(RixError::kFormat);
    int target = rix_parse_target(take());
    if (target < 0 || !ok(target)) return fail(error);
    r.target = static_cast<uint8_t>(target);
    return true;
  }

  // A value: number, character constant or general variable; `minus_var` allows "-name".
  // A negative number where `non_negative` is set is error `negative_code`.
  bool value(int slot, bool non_negative, RixError negative_code = RixError::kDomain,
             bool minus_var = false) {
    if (!more()) return fail(RixError::kFormat);
    RixOperand op;
    if (!operand(take(), op)) return fail(RixError::kFormat);
    if (op.is_number()) {
      if (non_negative && op.value < 0) return fail(negative_code);
    } else if (op.cls != RixOperandClass::kVar || (op.minus && !minus_var)) {
      return fail(RixError::kFormat);
    }
    rix_mark_referenced(cx, op);
    set(slot, op);
    return true;
  }

  // One value of a position (`angle` false) or angle statement: number, general variable or a
  // component of a coordinate (joint) variable, with optional R/A where `values` allows it.
  bool motion_value(int slot, bool angle, Values values) {
    bool relative = values == Values::kRelative;
    if (!more()) return fail(RixError::kFormat);
    if (keyword_is(peek(), "R") || keyword_is(peek(), "A")) {
      if (values != Values::kPrefixed) return fail(RixError::kFormat);
      relative = keyword_is(take(), "R");
      if (!more()) return fail(RixError::kFormat);
    }
    RixOperand op;
    if (!operand(take(), op)) return fail(RixError::kFormat);
    const RixOperandClass comp = angle ? RixOperandClass::kJntComp : RixOperandClass::kPosComp;
    if (op.cls != RixOperandClass::kNumber && op.cls != RixOperandClass::kVar && op.cls != comp) {
      return fail(RixError::kFormat);
    }
    rix_mark_referenced(cx, op);
    set(slot, op, relative);
    return true;
  }

  // The goal of a position or angle statement: a whole coordinate (joint) variable in slot 0, or
  // three values in slots 0..2.
  bool motion_goal(bool angle, Values values) {
    std::size_t start = next;
    bool relative = values == Values::kRelative;
    if (more() && values == Values::kPrefixed &&
        (keyword_is(peek(), "R") || keyword_is(peek(), "A"))) {
      relative = keyword_is(take(), "R");
    }
    RixOperand op;
    const RixOperandClass whole = angle ? RixOperandClass::kJnt : RixOperandClass::kPos;
    if (more() && operand(peek(), op) && op.cls == whole) {
      ++next;
      rix_mark_referenced(cx, op);
      set(0, op, relative);
      return done();
    }
    next = start;
    for (int slot = 0; slot < 3; ++slot) {
      if (!motion_value(slot, angle, values)) return false;
    }
    return done();
  }

  // A label reference; `plain` refuses subroutine entries (error 49), `subroutine` refuses
  // plain labels (error 50). The slot receives the statement index of the label.
  bool label(int slot, std::string_view name, bool plain, bool subroutine) {
    int i = rix_lookup_label(cx, name, cx.image.pc);
    if (i < 0) return fail(RixError::kNoSuchLabel, name);
    const RixLabel& l = cx.image.labels[static_cast<std::size_t>(i)];
    if (plain && l.kind == 'S') return fail(RixError::kSubroutineByGoto, name);
    if (subroutine && l.kind != 'S') return fail(RixError::kCallNotSubroutine, name);
    set(slot, LABEL, l.index);
    return true;
  }

  // A condition of `n` tokens from the current one: an event flag, or operand comparison
  // operand. Sets the command of family `base` and slots 0 and 1.
  bool condition(std::size_t n, uint8_t base) {
    if (n == 1) {
      double sign;
      int flag = rix_parse_event_flag(take(), sign);
      if (flag < 0) return fail(RixError::kCondition);
      set(0, static_cast<uint8_t>(flag), sign);
      r.command = rix_condition_code(base, CMP_EVENT);
      return true;
    }
    if (n != 3) return fail(RixError::kCondition);
    RixOperand left, right;
    if (!operand(take(), left)) return fail(RixError::kCondition);
    int cmp = rix_parse_comparison(take());
    if (cmp < 0 || !operand(take(), right)) return fail(RixError::kCondition);
    rix_mark_referenced(cx, left);
    rix_mark_referenced(cx, right);
    set(0, left);
    set(1, right);
    r.command = rix_condition_code(base, static_cast<Comparison>(cmp));
    return true;
  }

  // Index of the first token from the current one that is one of the keywords, or t.size().
  std::size_t find(std::initializer_list<std::string_view> keywords) const {
    for (std::size_t i = next; i < t.size(); ++i) {
      for (std::string_view k : keywords) {
        if (keyword_is(t[i], k)) return i;
      }
    }
    return t.size();
  }

  // The loop variable of FOR and NEXT: a general variable without '-' (error 30 otherwise).
  bool loop_variable(int slot, RixOperand& op) {
    if (!operand(take(), op) || op.cls != RixOperandClass::kVar || op.minus)
      return fail(RixError::kArgument);
    set(slot, op);
    return true;
  }
};

bool is_leg(int t) {
  return rix_is_leg_target(t);
}
bool is_single_leg(int t) {
  return t != TARGET_ALL && rix_is_leg_target(t);
}
bool is_joint(int t) {
  return rix_is_joint_target(t);
}
bool is_leg_or_joint(int t) {
  return rix_is_leg_target(t) || rix_is_joint_target(t);
}
bool is_single_leg_or_joint(int t) {
  return is_single_leg(t) || rix_is_joint_target(t);
}
bool is_input(int t) {
  return (t >= TARGET_VR1 && t <= TARGET_ANTENNA) || rix_is_joint_target(t);
}

bool position(Statement& s, Values values, bool hs) {
  if (hs && s.more() && keyword_is(s.peek(), "HS")) {
    s.take();
    ++s.r.command;  // the _HS code follows its plain one
  }
  if (!s.target(is_leg, RixError::kTarget)) return false;
  return s.motion_goal(false, values);
}

bool angle(Statement& s, Values values, bool hs) {
  if (hs && s.more() && keyword_is(s.peek(), "HS")) {
    s.take();
    ++s.r.command;
  }
  if (!s.target(is_leg_or_joint, RixError::kTarget)) return false;
  if (rix_is_joint_target(s.r.target)) return s.motion_value(0, true, values) && s.done();
  return s.motion_goal(true, values);
}

bool height(Statement& s) {
  if (!s.more()) return s.fail(RixError::kFormat);
  RixOperand op;
  if (s.operand(s.take(), op) &&
      (op.cls == RixOperandClass::kNumber || op.cls == RixOperandClass::kVar)) {
    rix_mark_referenced(s.cx, op);
    s.set(0, op);
  }
  return s.done();
}

bool teach_position(Statement& s) {
  if (!s.target(is_single_leg_or_joint, RixError::kTarget)) return false;
  if (!s.more()) return s.fail(RixError::kFormat);
  RixOperand op;
  if (!s.operand(s.take(), op) || op.cls != RixOperandClass::kPos || op.minus)
    return s.fail(RixError::kFormat);
  rix_mark_assigned(s.cx, op);
  s.set(0, op);
  return s.done();
}

bool teach_angle(Statement& s) {
  if (!s.target(is_single_leg_or_joint, RixError::kTarget)) return false;
  if (!s.more()) return s.fail(RixError::kFormat);
  RixOperand op;
  if (!s.operand(s.take(), op) || op.minus) return s.fail(RixError::kFormat);
  bool ok = rix_is_joint_target(s.r.target)
                ? op.cls == RixOperandClass::kVar || op.cls == RixOperandClass::kJntComp
                : op.cls == RixOperandClass::kJnt;
  if (!ok) return s.fail(RixError::kFormat);
  rix_mark_assigned(s.cx, op);
  s.set(0, op);
  return s.done();
}

bool angle_tolerance(Statement& s) {
  if (!s.target(is_leg_or_joint, RixError::kUndefinedTarget)) return false;
  if (rix_is_joint_target(s.r.target)) return s.value(0, true) && s.done();
  RixOperand op;
  if (s.more() && s.operand(s.peek(), op) && op.cls == RixOperandClass::kJnt && !op.minus) {
    s.take();
    rix_mark_referenced(s.cx, op);
    s.set(0, op);
    return s.done();
  }
  for (int slot = 0; slot < 3; ++slot) {
    if (!s.value(slot, true)) return false;
  }
  return s.done();
}

bool is_integer(double v) {
  return std::isfinite(v) && v == std::trunc(v);
}

bool ad_in(Statement& s) {
  if (!s.more()) return s.fail(RixError::kFormat);
  std::string_view source = s.take();
  int target = rix_parse_target(source);
  double board = 0, channel = 0;
  if (target >= 0) {
    if (!is_input(target)) return s.fail(RixError::kTarget);
    s.r.target = static_cast<uint8_t>(target);
  } else if (rix_parse_number(source, board) || rix_parse_char(source, board)) {
    if (!s.more()) return s.fail(RixError::kFormat);
    std::string_view ch = s.take();
    bool number = rix_parse_number(ch, channel) || rix_parse_char(ch, channel);
    if (!number || !is_integer(board) || !is_integer(channel) || board != 0 || channel < 0 ||
        channel > 16) {
      return s.fail(RixError::kDomain);
    }
    s.set(0, CONSTANT, board);
    s.set(1, CONSTANT, channel);
  } else {
    return s.fail(RixError::kTarget);
  }
  if (!s.more()) return s.fail(RixError::kFormat);
  RixOperand var;
  if (!s.operand(s.take(), var) || var.cls != RixOperandClass::kVar || var.minus) {
    return s.fail(RixError::kFormat);
  }
  rix_mark_assigned(s.cx, var);
  s.set(2, var);
  return s.done();
}

bool key_in(Statement& s) {
  RixOperand var;
  var.cls = RixOperandClass::kVar;
  if (s.more()) {
    if (!s.operand(s.take(), var) || var.cls != RixOperandClass::kVar || var.minus) {
      return s.fail(RixError::kFormat);
    }
  } else {
    auto it = s.cx.variables.find("VAR_KEY");
    if (it == s.cx.variables.end()) return s.fail(RixError::kSevere);
    var.index = it->second.index;
  }
  rix_mark_assigned(s.cx, var);
  s.set(0, var);
  return s.done();
}

bool message(Statement& s, std::string_view statement) {
  // The text is the statement after the keyword; pass 1 has joined its words with tabs.
  std::string_view text = trim(trim(statement).substr(s.t[0].size()));
  if (text.empty()) return s.fail(RixError::kFormat);
  if (text.size() > kRixMessageMax) return s.fail(RixError::kStringTooLong);
  RixImage& image = s.cx.image;
  if (image.next_message < 0 ||
      static_cast<std::size_t>(image.next_message) >= image.messages.size()) {
    return s.fail(RixError::kSevere);
  }
  RixMessage& slot = image.messages[static_cast<std::size_t>(image.next_message)];
  slot.fill(0);
  std::memcpy(slot.data(), text.data(), text.size());
  s.set(0, STRING, image.next_message++);
  return true;
}

bool special(Statement& s) {
  if (!s.more()) return s.fail(RixError::kFormat);
  double n;
  std::string_view token = s.take();
  if (!rix_parse_number(token, n) && !rix_parse_char(token, n)) return s.fail(RixError::kFormat);
  if (!(std::floor(n) >= 0 && std::floor(n) <= 255)) return s.fail(RixError::kDomain);
  s.set(0, CONSTANT, n);
  for (int slot = 1; slot <= 2 && s.more(); ++slot) {
    if (!s.value(slot, false, RixError::kDomain, true)) return false;
  }
  return s.done();
}

bool is_loop(std::string_view name) {
  return label_names_equal(name, "LOOP:");
}

bool jump_if(Statement& s) {
  std::size_t k = s.find({"GOTO", "GOSUB", "THEN"});
  if (k == s.t.size()) return s.fail(RixError::kFormat);
  std::string_view keyword = s.t[k];
  uint8_t base = keyword_is(keyword, "GOTO")    ? IF_GOTO_EQ
                 : keyword_is(keyword, "GOSUB") ? IF_GOSUB_EQ
                                                : IF_THEN_EQ;
  if (!s.condition(k - s.next, base)) return false;
  s.take();  // the keyword
  if (base == IF_THEN_EQ) {
    s.set(2, LABEL, 0);
    return s.done();
  }
  if (!s.more()) return s.fail(RixError::kFormat);
  std::string_view name = s.take();
  if (base == IF_GOSUB_EQ && is_loop(name)) return s.fail(RixError::kFormat);
  if (!s.label(2, name, base == IF_GOTO_EQ, false)) return false;
  return s.done();
}

bool for_loop(Statement& s) {
  if (!s.more()) return s.fail(RixError::kFormat);
  RixOperand var;
  if (!s.loop_variable(0, var)) return false;
  rix_mark_assigned(s.cx, var);
  if (!s.more() || s.take() != "=") return s.fail(RixError::kFormat);
  if (!s.value(1, false, RixError::kDomain, true)) return false;
  if (!s.more() || !keyword_is(s.take(), "TO")) return s.fail(RixError::kFormat);
  if (!s.value(2, false, RixError::kDomain, true)) return false;
  s.set(3, LABEL, 0);
  s.set(4, CONSTANT, 1);
  if (s.more()) {
    if (!keyword_is(s.take(), "STEP")) return s.fail(RixError::kFormat);
    if (!s.value(4, false, RixError::kDomain, true)) return false;
  }
  return s.done();
}

bool compile(Statement& s, const Keyword& k, std::string_view statement) {
  s.r.command = k.code;
  switch (k.form) {
    case Form::kBare:
      return s.done();
    case Form::kPosition:
      return position(s, Values::kPrefixed, true);
    case Form::kRelPosition:
      return position(s, Values::kRelative, true);
    case Form::kVelocity:
      return position(s, Values::kAbsolute, false);
    case Form::kAngle:
      return angle(s, Values::kPrefixed, true);
    case Form::kRelAngle:
      return angle(s, Values::kRelative, true);
    case Form::kOmega:
      return angle(s, Values::kAbsolute, false);
    case Form::kHeight:
      return height(s);
    case Form::kDetectFloor:
      return s.target(is_leg, RixError::kTarget) && s.value(0, true, RixError::kFormat) && s.done();
    case Form::kValue:
      return s.value(0, true) && s.done();
    case Form::kWait:
      return s.target(is_leg_or_joint, RixError::kTarget) && s.done();
    case Form::kWaitNear:
      return s.target(is_leg_or_joint, RixError::kUndefinedTarget) && s.done();
    case Form::kTeachPosition:
      return teach_position(s);
    case Form::kTeachAngle:
      return teach_angle(s);
    case Form::kLegValue:
      return s.target(is_leg, RixError::kTarget) && s.value(0, true) && s.done();
    case Form::kJointValue:
      return s.target(is_joint, RixError::kTarget) && s.value(0, true) && s.done();
    case Form::kLeg:
      return s.target(is_leg, RixError::kTarget) && s.done();
    case Form::kJoint:
      return s.target(is_joint, RixError::kTarget) && s.done();
    case Form::kAngleTolerance:
      return angle_tolerance(s);
    case Form::kAdIn:
      return ad_in(s);
    case Form::kKeyIn:
      return key_in(s);
    case Form::kMessage:
      return message(s, statement);
    case Form::kLamp:
      return s.value(0, false) && s.done();
    case Form::kSpecial:
      return special(s);
    case Form::kRem:
      return true;
    case Form::kGoto:
      if (!s.label(0, s.more() ? s.take() : std::string_view("LOOP:"), true, false)) return false;
      return s.done();
    case Form::kGosub:
    case Form::kCall: {
      if (!s.more()) return s.fail(RixError::kFormat);
      std::string_view name = s.take();
      if (is_loop(name)) return s.fail(RixError::kFormat);
      return s.label(0, name, false, k.form == Form::kCall) && s.done();
    }
    case Form::kIf:
      return jump_if(s);
    case Form::kElseIf: {
      std::size_t then = s.find({"THEN"});
      if (then == s.t.size()) return s.fail(RixError::kFormat);
      if (!s.condition(then - s.next, ELSEIF_EQ)) return false;
      s.take();
      s.set(2, LABEL, 0);
      s.set(3, CONSTANT, 0);
      return s.done();
    }
    case Form::kElse:
      s.set(0, LABEL, 0);
      s.set(3, CONSTANT, 0);
      return s.done();
    case Form::kWhile:
      if (!s.condition(s.t.size() - s.next, WHILE_EQ)) return false;
      s.set(2, LABEL, 0);
      return true;
    case Form::kWend:
      s.set(0, LABEL, 0);
      return s.done();
    case Form::kUntil:
      if (!s.condition(s.t.size() - s.next, UNTIL_EQ)) return false;
      s.set(2, LABEL, 0);
      return true;
    case Form::kFor:
      return for_loop(s);
    case Form::kNext: {
      if (!s.more()) return s.fail(RixError::kFormat);  // NEXT names its loop variable
      RixOperand var;
      if (!s.loop_variable(0, var)) return false;
      rix_mark_referenced(s.cx, var);
      s.set(1, LABEL, 0);
      return s.done();
    }
    case Form::kSubroutine:
      if (!s.more() || !ends_with_colon(s.take())) return s.fail(RixError::kFormat);
      return s.done();
  }
  return s.fail(RixError::kSevere);
}

}  // namespace

int rix_lookup_label(const RixCompile& cx, std::string_view name, int32_t from) {
  auto it = cx.labels.find(fold_case(name));
  if (it == cx.labels.end() || it->second.empty()) return -1;
  if (!is_loop(name)) return it->second.front();
  // Every "LOOP:" reference means the nearest "LOOP:" above it.
  for (auto i = it->second.rbegin(); i != it->second.rend(); ++i) {
    if (cx.image.labels[static_cast<std::size_t>(*i)].index < from) return *i;
  }
  return -1;
}

bool rix_compile_statement(RixCompile& cx, std::string_view statement, RixInstruction& record) {
  record = RixInstruction{};
  Tokens tokens = split_tokens(statement);
  if (tokens.empty()) return rix_fail(cx, RixError::kFormat);
  Statement s{cx, tokens, record};
  if (const Keyword* k = find_keyword(tokens[0])) return compile(s, *k, statement);
  if (ends_with_colon(tokens[0])) {
    record.command = LABEL_CMD;
    return s.done();
  }
  // An assignment starts with a variable: a declared name (also one that reads as a number,
  // which the assignment then refuses as a destination), a component, or "-name".
  std::string_view first = tokens[0];
  auto declared = [&](std::string_view name) {
    return cx.variables.find(std::string(name)) != cx.variables.end();
  };
  RixOperand dest;
  if (declared(first) || (first.size() > 1 && first[0] == '-' && declared(first.substr(1))) ||
      (rix_parse_operand(cx, first, dest) && dest.is_variable())) {
    return rix_compile_assignment(cx, tokens, record);
  }
  return rix_fail(cx, RixError::kUnknownCommand, first);
}

std::vector<std::string_view> rix_statement_keywords() {
  std::vector<std::string_view> names;
  for (const Keyword& k : kKeywords) names.emplace_back(k.name);
  return names;
}

}  // namespace rokan
