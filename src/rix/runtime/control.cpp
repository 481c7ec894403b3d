// Control statements: jumps, calls and returns, the IF chain, WHILE, REPEAT and FOR loops and
// subroutine entries. The compiler links the members of each structure through LABEL
// arguments; the handlers follow the links and check them, so a damaged structure stops with
// error 39 instead of running somewhere unintended.
//
// An IF chain remembers whether one of its branches was taken in slot 3 of its ELSEIF and ELSE
// instructions (the branch-taken mark: -1.0 not yet, 1.0 taken), written by the member before
// on every pass; the instruction array is therefore changed while the program runs.
#include <cmath>

#include "auto/auto_program.h"
#include "core/controller.h"
#include "rix/runtime/exec.h"

namespace rokan::rixrt {
namespace {

constexpr double kNotTaken = -1.0;
constexpr double kTaken = 1.0;

bool in_range(uint8_t code, uint8_t first, uint8_t last) {
  return code >= first && code <= last;
}

bool is_elseif(uint8_t code) {
  return in_range(code, rix::ELSEIF_EQ, rix::ELSEIF_EVENT);
}

bool is_call(uint8_t code) {
  return code == rix::GOSUB || code == rix::CALL ||
         in_range(code, rix::IF_GOSUB_EQ, rix::IF_GOSUB_LE) || code == rix::IF_GOSUB_EVENT;
}

RixInstruction& at(Exec& x, int32_t index) {
  return x.image.instructions[static_cast<std::size_t>(index)];
}

// The branch-taken mark of an ELSEIF or ELSE: a CONSTANT of -1.0 or 1.0 (error 39 otherwise).
bool read_mark(Exec& x, bool& taken) {
  const double v = x.ins.arg_value[3];
  if (x.ins.arg_type[3] != rix::CONSTANT || (v != kNotTaken && v != kTaken))
    return fail(x, RixError::kSevere);
  taken = v == kTaken;
  return true;
}

bool push_return(Exec& x, int32_t index) {
  RixImage& im = x.image;
  if (im.gosub_depth >= kRixGosubSlots - 1) return fail(x, RixError::kGosubDepth);
  if (im.gosub_depth < 0) return fail(x, RixError::kGosubStack);
  im.gosub_stack[im.gosub_depth] = index;
  ++im.gosub_depth;
  // The slot above the top must be empty; the tenth slot stays -1 as a guard.
  if (im.gosub_stack[im.gosub_depth] != -1) return fail(x, RixError::kGosubStack);
  return true;
}

// Calls the subroutine at `label`: the return address is the next instruction.
void call(Exec& x, int32_t label) {
  if (!push_return(x, x.image.pc + 1)) return;
  x.image.pc = label;
}

}  // namespace

void h_goto(Exec& x) {
  int32_t label = 0;
  if (!require_no_target(x) || !read_label(x, 0, label)) return;
  x.image.pc = label;
}

void h_if_goto(Exec& x) {
  int32_t label = 0;
  bool cond = false;
  if (!require_no_target(x) || !read_label(x, 2, label) || !evaluate_condition(x, cond)) return;
  x.image.pc = cond ? label : x.image.pc + 1;
}

void h_gosub(Exec& x) {
  int32_t label = 0;
  if (!require_no_target(x) || !require_none(x, 1, 2) || !read_label(x, 0, label)) return;
  call(x, label);
}

void h_if_gosub(Exec& x) {
  int32_t label = 0;
  bool cond = false;
  if (!read_label(x, 2, label) || !evaluate_condition(x, cond)) return;
  if (cond)
    call(x, label);
  else
    ++x.image.pc;
}

void h_return(Exec& x) {
  RixImage& im = x.image;
  if (!require_no_target(x) || !require_none(x, 0, 2)) return;
  if (im.gosub_depth == 0) {
    fail(x, RixError::kReturnMismatch);
    return;
  }
  if (im.gosub_depth < 0 || im.gosub_depth >= kRixGosubSlots) {
    fail(x, RixError::kGosubStack);
    return;
  }
  const int32_t back = im.gosub_stack[im.gosub_depth - 1];
  if (back < 0 || back > im.last_index) {
    fail(x, RixError::kGosubStack);
    return;
  }
  --im.gosub_depth;
  im.gosub_stack[im.gosub_depth] = -1;
  im.pc = back;
}

void h_subroutine(Exec& x) {
  RixImage& im = x.image;
  if (!require_no_target(x) || !require_none(x, 0, 2)) return;
  // Only a call that jumped here may enter: not falling in from the line above, not a GOTO,
  // and not a conditional call whose condition was false and fell through to this line.
  bool called = false;
  if (im.prev_pc >= 0 && im.prev_pc <= im.last_index) {
    const RixInstruction& from = at(x, im.prev_pc);
    const int slot = (from.command == rix::GOSUB || from.command == rix::CALL) ? 0 : 2;
    called =
        is_call(from.command) && from.arg_type[slot] == rix::LABEL && from.arg_value[slot] == im.pc;
  }
  if (!called) fail(x, RixError::kSubroutineNotCalled);
}

void h_if_then(Exec& x) {
  RixImage& im = x.image;
  const bool elseif = is_elseif(x.ins.command);
  int32_t next = 0;
  bool taken = false, cond = false;
  if (!require_no_target(x) || !read_label(x, 2, next)) return;
  if (elseif && !read_mark(x, taken)) return;
  if (!evaluate_condition(x, cond)) return;

  RixInstruction& link = at(x, next);
  if (is_elseif(link.command) || link.command == rix::ELSE) {
    link.arg_value[3] = (taken || cond) ? kTaken : kNotTaken;
  } else if (link.command != rix::ENDIF) {
    fail(x, RixError::kSevere);
    return;
  }
  if (!taken && cond)
    ++im.pc;  // enter this branch
  else
    im.pc = next;
}

void h_else(Exec& x) {
  int32_t endif = 0;
  bool taken = false;
  if (!require_no_target(x) || !read_label(x, 0, endif) || !require_none(x, 1, 2) ||
      !read_mark(x, taken))
    return;
  if (at(x, endif).command != rix::ENDIF) {
    fail(x, RixError::kSevere);
    return;
  }
  if (taken)
    x.image.pc = endif;
  else
    ++x.image.pc;
}

void h_while(Exec& x) {
  int32_t after = 0;
  bool cond = false;
  if (!require_no_target(x) || !read_label(x, 2, after) || !evaluate_condition(x, cond)) return;
  x.image.pc = cond ? x.image.pc + 1 : after;
}

void h_wend(Exec& x) {
  int32_t head = 0;
  if (!require_no_target(x) || !read_label(x, 0, head) || !require_none(x, 1, 2)) return;
  if (!in_range(at(x, head).command, rix::WHILE_EQ, rix::WHILE_EVENT)) {
    fail(x, RixError::kSevere);
    return;
  }
  x.image.pc = head;
}

void h_until(Exec& x) {
  int32_t head = 0;
  bool cond = false;
  if (!require_no_target(x) || !read_label(x, 2, head) || !evaluate_condition(x, cond)) return;
  if (cond) {
    ++x.image.pc;
    return;
  }
  if (at(x, head).command != rix::REPEAT) {
    fail(x, RixError::kSevere);
    return;
  }
  x.image.pc = head;
}

void h_for(Exec& x) {
  RixImage& im = x.image;
  const RixInstruction& ins = x.ins;
  auto bound_kind = [](uint8_t k) {
    return k == rix::VAR || k == rix::M_VAR || k == rix::CONSTANT;
  };
  if (!require_no_target(x)) return;
  if (ins.arg_type[0] != rix::VAR || !bound_kind(ins.arg_type[1]) || !bound_kind(ins.arg_type[2]) ||
      !bound_kind(ins.arg_type[4])) {
    fail(x, RixError::kArgument);
    return;
  }
  int32_t after = 0;
  if (!read_label(x, 3, after)) return;

  // The loop goes on only when its own NEXT sent the program here; reached in any other way
  // (from above, or by a RETURN or SUBEND of a call made just before the FOR) it starts afresh.
  // The loop variable must hold a value when its NEXT is reached by a jump into the body.
  bool from_next = false;
  if (im.prev_pc >= 0 && im.prev_pc <= im.last_index && im.prev_pc != im.pc) {
    const RixInstruction& prev = at(x, im.prev_pc);
    from_next = prev.command == rix::NEXT && prev.arg_type[1] == rix::LABEL &&
                prev.arg_value[1] == static_cast<double>(im.pc);
  }
  double value = 0;
  if (from_next) {
    if (!read_scalar(x, rix::VAR, ins.arg_value[0], value)) {
      if (im.error_code == rix_error_code(RixError::kVarUnassigned))
        fail(x, RixError::kJumpIntoFor);
      return;
    }
  }

  // The compiler writes STEP -D as M_VAR: the negated variable is the step.
  double step = 0;
  if (!read_scalar(x, ins.arg_type[4], ins.arg_value[4], step)) return;
  if (step == 0) {
    fail(x, RixError::kSevere);
    return;
  }

  if (from_next) {
    value += step;
  } else if (!read_scalar(x, ins.arg_type[1], ins.arg_value[1], value)) {
    return;
  }
  if (!std::isfinite(value)) {
    fail(x, RixError::kDomain);
    return;
  }
  if (!write_scalar(x, rix::VAR, ins.arg_value[0], value)) return;

  double end = 0;
  if (!read_scalar(x, ins.arg_type[2], ins.arg_value[2], end)) return;
  const bool go_on = step > 0 ? value <= end : value >= end;
  im.pc = go_on ? im.pc + 1 : after;
}

void h_next(Exec& x) {
  const RixInstruction& ins = x.ins;
  if (!require_no_target(x)) return;
  if (ins.arg_type[0] != rix::VAR && !is_none(ins, 0)) {
    fail(x, RixError::kArgument);
    return;
  }
  int32_t head = 0;
  if (!read_label(x, 1, head) || !require_none(x, 2, 2)) return;
  const RixInstruction& loop = at(x, head);
  if (loop.command != rix::FOR) {
    fail(x, RixError::kSevere);
    return;
  }
  if (ins.arg_type[0] == rix::VAR && ins.arg_value[0] != loop.arg_value[0]) {
    fail(x, RixError::kSevere);
    return;
  }
  x.image.pc = head;
}

void h_end(Exec& x) {
  // END and EXIT keep the program counter; the AUTO driver returns to MANUAL on the next
  // cycle.
  x.c.mode.auto_step = kRixFinished;
}

}  // namespace rokan::rixrt
