// Pass 4: matches the block statements (IF/ELSEIF/ELSE/ENDIF, WHILE/WEND, REPEAT/UNTIL,
// FOR/NEXT, SUBROUTINE/SUBEND), links them through their LABEL slots, checks where subroutines
// start, and refuses GOTO-type jumps into or out of a subroutine.
#include <new>

#include "rix/compiler/diagnostics.h"
#include "rix/compiler/passes.h"
#include "rix/compiler/tables.h"

namespace rokan {
namespace {

using namespace rix;

enum BlockKind : int {
  kIf = 0,
  kElseIf = 1,
  kElse = 2,
  kWhile = 4,
  kRepeat = 6,
  kFor = 8,
  kSubroutine = 10,
};

struct Block {
  int kind;
  int32_t index;
};

bool in(uint8_t code, uint8_t first, uint8_t last) {
  return code >= first && code <= last;
}

struct Pass4 {
  RixCompile& cx;
  std::vector<RixInstruction>& ins;
  std::vector<Block> stack;

  RixInstruction& at(int32_t i) { return ins[static_cast<std::size_t>(i)]; }

  // Writes a jump index into a slot that the statement compiler left as a LABEL.
  bool link(int32_t statement, int slot, int32_t destination) {
    RixInstruction& r = at(statement);
    if (r.arg_type[slot] != LABEL) return rix_fail(cx, RixError::kSevere);
    r.arg_value[slot] = destination;
    return true;
  }

  int top() const { return stack.empty() ? -1 : stack.back().kind; }

  // ENDIF: pops the IF group, giving each member the index of the member after it.
  bool close_if(int32_t endif) {
    int32_t following = endif;
    for (;;) {
      if (stack.empty()) return rix_fail(cx, RixError::kIfMismatch);
      Block b = stack.back();
      stack.pop_back();
      if (b.kind == kElse) {
        if (!link(b.index, 0, following)) return false;
      } else if (b.kind == kIf || b.kind == kElseIf) {
        if (!link(b.index, 2, following)) return false;
      } else {
        return rix_fail(cx, RixError::kIfMismatch);
      }
      following = b.index;
      if (b.kind == kIf) return true;
    }
  }

  bool step(int32_t pc) {
    const uint8_t code = at(pc).command;
    if (in(code, IF_THEN_EQ, IF_THEN_EVENT)) {
      stack.push_back({kIf, pc});
    } else if (in(code, ELSEIF_EQ, ELSEIF_EVENT)) {
      // An ELSEIF after the ELSE of its group could never be reached.
      if (top() == kElse) return rix_fail(cx, RixError::kIfMismatch);
      stack.push_back({kElseIf, pc});
    } else if (code == ELSE) {
      if (top() != kIf && top() != kElseIf) return rix_fail(cx, RixError::kIfMismatch);
      stack.push_back({kElse, pc});
    } else if (code == ENDIF) {
      return close_if(pc);
    } else if (in(code, WHILE_EQ, WHILE_EVENT)) {
      stack.push_back({kWhile, pc});
    } else if (code == WEND) {
      if (top() != kWhile) return rix_fail(cx, RixError::kWhileMismatch);
      int32_t head = stack.back().index;
      stack.pop_back();
      return link(pc, 0, head) && link(head, 2, pc + 1);
    } else if (code == REPEAT) {
      stack.push_back({kRepeat, pc});
    } else if (in(code, UNTIL_EQ, UNTIL_EVENT)) {
      if (top() != kRepeat) return rix_fail(cx, RixError::kRepeatMismatch);
      int32_t head = stack.back().index;
      stack.pop_back();
      return link(pc, 2, head);
    } else if (code == FOR) {
      stack.push_back({kFor, pc});
    } else if (code == NEXT) {
      if (top() != kFor) return rix_fail(cx, RixError::kForMismatch);
      int32_t head = stack.back().index;
      const RixInstruction& next = at(pc);
      if (next.arg_type[0] == VAR && next.arg_value[0] != at(head).arg_value[0]) {
        return rix_fail(cx, RixError::kForMismatch);
      }
      stack.pop_back();
      return link(head, 3, pc + 1) && link(pc, 1, head);
    } else if (code == SUBROUTINE) {
      if (!stack.empty()) return rix_fail(cx, RixError::kSubroutineStart);
      stack.push_back({kSubroutine, pc});
    } else if (code == SUBEND) {
      if (top() != kSubroutine) return rix_fail(cx, RixError::kSubendMismatch);
      stack.pop_back();
    }
    return true;
  }

  // A subroutine must not be entered by falling into it: the statement above (REM aside) must
  // leave the flow.
  bool placements() {
    for (int32_t pc = 0; pc < static_cast<int32_t>(ins.size()); ++pc) {
      if (at(pc).command != SUBROUTINE) continue;
      int32_t above = pc - 1;
      while (above >= 0 && at(above).command == REM) --above;
      uint8_t code = above >= 0 ? at(above).command : static_cast<uint8_t>(NOP);
      if (above < 0 || (code != GOTO && code != RETURN && code != EXIT && code != SUBEND)) {
        cx.image.pc = pc;
        return rix_fail(cx, RixError::kSubroutineStart);
      }
    }
    return true;
  }

  // A GOTO-type jump must stay where it is: in the main program, or in its own subroutine.
  bool jumps() {
    std::vector<int32_t> owner;  // statement -> its SUBROUTINE line, -1 in the main program
    try {
      owner.resize(ins.size());
    } catch (const std::bad_alloc&) {
      return rix_fail(cx, RixError::kControlMemory);
    }
    int32_t current = -1;
    for (std::size_t i = 0; i < ins.size(); ++i) {
      if (ins[i].command == SUBROUTINE) {
        owner[i] = -1;
        current = static_cast<int32_t>(i);
      } else {
        owner[i] = current;
        if (ins[i].command == SUBEND) current = -1;
      }
    }
    for (int32_t pc = 0; pc < static_cast<int32_t>(ins.size()); ++pc) {
      const RixInstruction& r = at(pc);
      int slot;
      if (r.command == GOTO) {
        slot = 0;
      } else if (in(r.command, IF_GOTO_EQ, IF_GOTO_LE) || r.command == IF_GOTO_EVENT) {
        slot = 2;
      } else {
        continue;
      }
      double dest = r.arg_value[slot];
      if (r.arg_type[slot] != LABEL || !(dest >= 0) || dest >= static_cast<double>(ins.size())) {
        return rix_fail(cx, RixError::kSevere);
      }
      cx.image.pc = pc;
      int32_t from = owner[static_cast<std::size_t>(pc)];
      int32_t to = owner[static_cast<std::size_t>(dest)];
      if (from < 0 && to >= 0) return rix_fail(cx, RixError::kGotoIntoSubroutine);
      if (from >= 0 && to != from) return rix_fail(cx, RixError::kGotoOutOfSubroutine);
    }
    return true;
  }
};

}  // namespace

bool rix_pass4(RixCompile& cx) {
  RixImage& image = cx.image;
  std::size_t blocks = 0;
  for (const RixInstruction& r : image.instructions) {
    if (in(r.command, IF_THEN_EQ, CALL - 1)) ++blocks;  // codes 125..160
  }
  if (blocks == 0) return true;

  Pass4 p{cx, image.instructions, {}};
  try {
    p.stack.reserve(blocks + 1);
  } catch (const std::bad_alloc&) {
    return rix_fail(cx, RixError::kControlMemory);
  }
  for (int32_t pc = 0; pc < static_cast<int32_t>(image.instructions.size()); ++pc) {
    image.pc = pc;
    if (!p.step(pc)) return false;
  }
  if (!p.stack.empty()) {
    // The report stands at the end of the walk; the source line shown is the open block's.
    std::size_t open = static_cast<std::size_t>(p.stack.back().index);
    if (open < image.source_lines.size()) cx.error_line = image.source_lines[open];
    return rix_fail(cx, RixError::kUnclosedBlock);
  }
  return p.placements() && p.jumps();
}

}  // namespace rokan
