// The program image: the one compiled RIX program of the controller. The compiler fills it; the
// runtime executes it record by record and keeps its own bookkeeping (program counter, call
// stack, counters) in it too, so both halves share one plain record and nothing else.
//
// Tables are std::vectors that the compiler sizes once; the runtime never resizes them, so
// executing a program does not allocate. Texts (names, paths, messages) are CP932 byte strings.
// The image holds no open files: the compiler owns its files for the length of one compile.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rix/compiler/tables.h"

namespace rokan {

namespace rix {
enum Phase : uint8_t { RIX_NONE, RIX_INIT, PHASE1, PHASE2, PHASE3, PHASE4, RIX_RUN };
}  // namespace rix

inline constexpr double kRixUnset = 99999999.9;      // value of a variable never assigned
inline constexpr double kRixLanguageVersion = 3.1;   // the version the compiler accepts
inline constexpr std::size_t kRixNameMax = 32;       // bytes of a variable name
inline constexpr std::size_t kRixLabelMax = 31;      // bytes of a label name, colon included
inline constexpr std::size_t kRixMessageSlot = 70;   // bytes of one message slot
inline constexpr std::size_t kRixMessageMax = 68;    // bytes of a message text
inline constexpr std::size_t kRixErrorTextMax = 79;  // bytes of the formatted error text
inline constexpr std::size_t kRixDetailMax = 70;     // bytes of a detail handed to a report
inline constexpr int kRixGosubSlots = 10;
inline constexpr int kRixSpecialFlags = 10;
inline constexpr int kRixArgs = 5;
inline constexpr int kRixTraceEntries = 15;       // entries of the trace ring
inline constexpr std::size_t kRixTraceName = 32;  // bytes of a command name in the ring

// Usage flags of the variable tables.
inline constexpr uint8_t kRixVarReferenced = 0x01, kRixVarAssigned = 0x10;
inline constexpr uint8_t kRixPosReferenced = 0x02, kRixPosAssigned = 0x20;
inline constexpr uint8_t kRixJntReferenced = 0x04, kRixJntAssigned = 0x40;

struct RixInstruction {
  uint8_t command = rix::NOP;
  uint8_t target = rix::NO_TARGET;
  uint8_t arg_type[kRixArgs] = {};  // rix::ArgKind of each slot
  double arg_value[kRixArgs] = {};  // meaning set by the slot's kind; indexes are whole numbers
};

// A general variable (one number).
struct RixVar {
  std::string name;
  double value = kRixUnset;
  uint8_t usage = 0;
};

// A coordinate (x, y, z in mm) or joint (joints 1..3 in degrees) variable.
struct RixVectorVar {
  std::string name;
  double value[3] = {kRixUnset, kRixUnset, kRixUnset};
  uint8_t usage = 0;
};

struct RixLabel {
  std::string name;   // as written, with its colon
  int32_t index = 0;  // statement index of the label or SUBROUTINE line
  char kind = 'L';    // 'L' plain label, 'S' SUBROUTINE entry
};

using RixMessage = std::array<char, kRixMessageSlot>;  // text and terminator, zero filled

struct RixImage {
  std::string workspace;  // local directory a relative rix_path is in (see rooted_path)
  std::string rix_path;   // directory of source and work files, ends in '\'
  std::string source_name = "ROKAN.RIX";  // the program chosen in the AUTO menu
  std::string loaded_name;  // the program the tables below came from; empty when none is loaded

  int32_t pc = 0;          // compile: statement being processed; run: next instruction
  int32_t last_index = 0;  // index of the END statement
  std::vector<RixInstruction> instructions;  // last_index + 1 records
  std::vector<int32_t> source_lines;         // statement index -> source line (1-based)

  std::vector<RixVar> vars;       // general variables; VAR_KEY is entry 0
  std::vector<RixVectorVar> pos;  // coordinate variables
  std::vector<RixVectorVar> jnt;  // joint variables
  std::vector<RixLabel> labels;   // source order
  int32_t message_count = 0;
  int32_t next_message = 0;
  std::vector<RixMessage> messages;  // one slot per MESSAGE statement, statement order

  int32_t gosub_stack[kRixGosubSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t gosub_depth = 0;
  bool special_flags[kRixSpecialFlags] = {};
  int32_t prev_pc = -1;  // instruction executed last (REM excepted), -1 before the first
  int32_t steps_this_cycle = 0;
  int32_t steps_per_cycle = 1;

  // Run-time state of the interpreter (src/rix/runtime), kept here so that the information
  // pages and tests read it where the program is.
  bool first_entry = true;    // the instruction at pc runs for the first time since pc got there
  int32_t sleep_counter = 0;  // cycles spent in the running SLEEP
  int32_t sleep_ticks = 0;    // cycles the running SLEEP lasts
  bool trace_on = false;      // the trace ring records program counter changes
  int32_t trace_index = 0;    // newest entry of the ring, 0..14
  int32_t trace_pc[kRixTraceEntries] = {-1, -1, -1, -1, -1, -1, -1, -1,
                                        -1, -1, -1, -1, -1, -1, -1};  // -1 = empty
  char trace_name[kRixTraceEntries][kRixTraceName] = {};  // command names, zero terminated
  uint32_t executed = 0;        // instructions executed since the run started (wraps)
  int32_t executed_pc = -1;     // index of the instruction executed last, REM included
  bool executed_again = false;  // that execution repeated a waiting instruction
  uint32_t run_count = 0;       // runs started so far; tools that follow runs tell them apart by it

  uint8_t error_code = 0;
  std::string error_text;    // report line, or before a report the detail (a name) it shows
  double error_index = 0;    // variable index handed to errors 19..21 and to warnings
  int32_t error_line = 0;    // source line of the failing statement, 0 when unknown
  uint8_t warning_code = 0;  // last warning written, 0 when none
  double version = kRixLanguageVersion;
  uint8_t phase = rix::RIX_NONE;
};

// Frees every table and sets the phase to RIX_NONE. Error code, text and line survive, so that
// the caller of a failed compile can show them.
void rix_reset_image(RixImage& image);

// Copies `record` into the instruction slot at image.pc; false when pc is outside the array.
bool rix_store(RixImage& image, const RixInstruction& record);

// Index of the variable with exactly this name (case matters), or -1.
int rix_find_var(const std::vector<RixVar>& table, std::string_view name);
int rix_find_var(const std::vector<RixVectorVar>& table, std::string_view name);

// Index into image.labels of the label that a reference written as `name` at statement `from`
// means: the entry of that name (letter case ignored); for "LOOP:" the last one above `from`.
// -1 when there is none.
int rix_find_label(const RixImage& image, std::string_view name, int32_t from);

}  // namespace rokan
