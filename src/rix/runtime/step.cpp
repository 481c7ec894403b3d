// The interpreter core: one instruction per call of rix_step, dispatched on the command code
// through a fixed table. Handlers marked "own pc" move the program counter themselves (a jump,
// a call, or staying put to wait); for every other handler the dispatcher advances it by one,
// and a handler that moves it without the mark is an internal error (39).
#include <cstring>

#include "auto/auto_program.h"
#include "core/controller.h"
#include "motion/motion.h"
#include "rix/compiler/diagnostics.h"
#include "rix/runtime/exec.h"
#include "rix/runtime/runtime.h"
#include "rix/runtime/watch.h"

namespace rokan {
namespace {

using namespace rixrt;

struct Entry {
  Handler handler = nullptr;  // nullptr: the command is not implemented (error 29)
  bool own_pc = false;
};

constexpr void set(Entry* table, int first, int last, Handler h, bool own_pc) {
  for (int code = first; code <= last; ++code) table[code] = Entry{h, own_pc};
}

struct Table {
  Entry entries[rix::END_OF_CMD] = {};
};

constexpr Table make_table() {
  Table t;
  Entry* e = t.entries;
  using namespace rix;
  for (int code : {NOP, LABEL_CMD, REM, ENDIF, REPEAT, FLUSH_BUF})
    set(e, code, code, h_nothing, false);
  set(e, PTP, REL_PTP_HS, h_ptp, false);
  set(e, INITIAL_POSTURE, INITIAL_POSTURE, h_initial_posture, false);
  set(e, STAND_UP, SIT_DOWN, h_stand_sit, true);
  set(e, SLEEP, SLEEP, h_sleep, true);
  set(e, WAIT_INPOS, WAIT_NEAR, h_wait, true);
  set(e, TEACH_POSITION, TEACH_ANGLE, h_teach, false);
  set(e, GOTO, GOTO, h_goto, true);
  set(e, IF_GOTO_EQ, IF_GOTO_LE, h_if_goto, true);
  set(e, IF_GOTO_EVENT, IF_GOTO_EVENT, h_if_goto, true);
  set(e, GOSUB, GOSUB, h_gosub, true);
  set(e, CALL, CALL, h_gosub, true);
  set(e, RETURN, RETURN, h_return, true);
  set(e, SUBEND, SUBEND, h_return, true);
  set(e, IF_GOSUB_EQ, IF_GOSUB_LE, h_if_gosub, true);
  set(e, IF_GOSUB_EVENT, IF_GOSUB_EVENT, h_if_gosub, true);
  set(e, AD_IN, AD_IN, h_ad_in, false);
  set(e, KEY_IN, KEY_IN, h_key_in, true);
  set(e, MESSAGE, MESSAGE, h_message, false);
  set(e, MESSAGE_CLEAR, MESSAGE_CLEAR, h_message_clear, false);
  set(e, SILENT_ON, SILENT_OFF, h_silent, false);
  set(e, LAMP_ON, LAMP_OFF, h_lamp, false);
  set(e, EXIT, END, h_end, true);
  set(e, LOG_START, LOG_ONE_SHOT, h_log, false);
  set(e, EMG_ON, EMG_OFF, h_emg_switch, false);
  set(e, SPECIAL, SPECIAL, h_special, true);
  set(e, EQUAL, EQUAL_ROT_Z, h_assign, false);
  for (int code : {SET_A_MAX, SET_A_MAX_RATE, SET_A_MAX_SLOW, SET_A_MAX_FAST, SET_A_MAX_NORMAL})
    set(e, code, code, h_set_a_max, false);
  for (int code : {SET_V_MAX, SET_V_MAX_RATE, SET_V_MAX_SLOW, SET_V_MAX_FAST, SET_V_MAX_NORMAL})
    set(e, code, code, h_set_v_max, false);
  set(e, SET_JUST_POSITION, SET_NEAR_POSITION, h_set_tolerance_position, false);
  set(e, SET_JUST_ANGLE, SET_NEAR_ANGLE, h_set_tolerance_angle, false);
  set(e, SET_SAMPLING_TIME, SET_SAMPLING_FREQ, h_set_sampling, false);
  set(e, DETECT_FLOOR, DETECT_FLOOR, h_detect_floor, true);
  set(e, IF_THEN_EQ, ELSEIF_EVENT, h_if_then, true);
  set(e, ELSE, ELSE, h_else, true);
  set(e, WHILE_EQ, WHILE_EVENT, h_while, true);
  set(e, WEND, WEND, h_wend, true);
  set(e, UNTIL_EQ, UNTIL_EVENT, h_until, true);
  set(e, FOR, FOR, h_for, true);
  set(e, NEXT, NEXT, h_next, true);
  set(e, SUBROUTINE, SUBROUTINE, h_subroutine, false);
  return t;
}

constexpr Table kTable = make_table();

// Writes instruction `index` and its command name into entry `slot` of the trace ring.
void put_trace(RixImage& im, int slot, int32_t index) {
  im.trace_pc[slot] = index;
  const char* name = nullptr;
  if (index >= 0 && static_cast<std::size_t>(index) < im.instructions.size())
    name = rix_command_name(im.instructions[static_cast<std::size_t>(index)].command);
  std::strncpy(im.trace_name[slot], name ? name : "", kRixTraceName - 1);
  im.trace_name[slot][kRixTraceName - 1] = '\0';
}

// Adds the instruction at pc to the ring as its newest entry.
void trace(RixImage& im) {
  im.trace_index = (im.trace_index + 1) % kRixTraceEntries;
  if (im.trace_index < 0) im.trace_index = 0;
  put_trace(im, im.trace_index, im.pc);
}

bool pc_in_program(const RixImage& im) {
  return im.pc >= 0 && im.pc <= im.last_index &&
         static_cast<std::size_t>(im.pc) < im.instructions.size();
}

}  // namespace

void rix_reset(RixImage& image) {
  image.pc = 0;
  image.sleep_counter = 0;
  image.first_entry = true;
  image.prev_pc = -1;
}

void rix_start(RixImage& image) {
  image.error_code = 0;
  image.error_text.clear();
  image.trace_on = true;
  for (int i = 0; i < kRixTraceEntries; ++i) {
    image.trace_pc[i] = -1;
    image.trace_name[i][0] = '\0';
  }
  // Instruction 0 goes into entry 0, but the newest index is 1 (an empty entry): the first
  // change of the program counter then lands in entry 2.
  put_trace(image, 0, 0);
  image.trace_index = 1;
  image.first_entry = true;
  image.executed = 0;
  image.executed_pc = -1;
  image.executed_again = false;
  ++image.run_count;
}

void rix_stop(Controller& c) {
  rix_reset(c.rix);
  key_wait_end(c);
}

namespace {

// The instructions of one call of rix_step; false on an error, with `failed_at` the instruction
// that failed. A watch (the debugger) is consulted before and after each instruction.
bool run_instructions(Controller& c, RixWatch* watch, int32_t& failed_at) {
  RixImage& im = c.rix;
  im.phase = rix::RIX_RUN;
  im.steps_this_cycle = 0;
  const uint8_t mode = c.mode.mode;
  for (;;) {
    failed_at = im.pc;
    if (watch) {
      if (watch->before(watch->context, c)) return true;
      // A failure the watch held is let go: the run ends as it would have without the watch.
      if (im.error_code) return false;
    }
    if (!pc_in_program(im)) {
      // Only a damaged image gets here (every jump is checked): never read past the table.
      if (!im.error_code) rix_report_error(im, RixError::kStepNumber);
      return false;
    }
    const int32_t start_pc = im.pc;
    RixInstruction& ins = im.instructions[static_cast<std::size_t>(start_pc)];
    const uint8_t code = ins.command;
    if (code >= rix::END_OF_CMD || !kTable.entries[code].handler) {
      rix_report_error(im, RixError::kNotImplemented);  // names the command at pc
      return false;
    }
    const Entry& entry = kTable.entries[code];
    im.executed_pc = start_pc;
    im.executed_again = !im.first_entry;
    ++im.executed;
    Exec x{c, im, ins, im.first_entry};
    entry.handler(x);
    if (watch) watch->after(watch->context, c, start_pc);

    // The instruction switched the operating mode (an emergency stop by the motion layer, a
    // refused initial posture): that switch stopped the run and reported why.
    if (c.mode.mode != mode) return true;

    const bool own = entry.own_pc;
    if (code != rix::REM) {
      if (im.pc != start_pc && !own) {
        if (!im.error_code) rix_report_error(im, RixError::kSevere);
        return false;
      }
      im.prev_pc = start_pc;
    }
    if (!own) {
      ++im.pc;
      if (im.pc > im.last_index) {
        // A handler's error came first and names the failing instruction; keep it.
        if (!im.error_code) rix_report_error(im, RixError::kStepNumber);
        return false;
      }
      im.first_entry = true;
    } else {
      im.first_entry = im.pc != start_pc;
    }
    if (im.trace_on && im.pc != start_pc) trace(im);
    if (im.error_code) return false;
    if (++im.steps_this_cycle >= im.steps_per_cycle) return true;
  }
}

}  // namespace

bool rix_step(Controller& c) {
  RixWatch* const watch = c.rix_watch;
  int32_t failed_at = c.rix.pc;
  if (run_instructions(c, watch, failed_at)) return true;
  return watch && watch->failed(watch->context, c, failed_at);
}

}  // namespace rokan
