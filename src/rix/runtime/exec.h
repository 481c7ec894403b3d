// Internals shared by the handler files of the RIX runtime: the execution context of one
// instruction, argument and variable access, targets, conditions, and the handler table.
//
// Every helper that can fail reports the error into the image and returns false; the handler
// then returns at once and leaves the program counter where it is, so the report names the
// failing instruction. Variable indexes and labels are checked before any table is read, so a
// damaged image stops with its numbered error instead of reading outside a table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rix/compiler/errors.h"
#include "rix/compiler/image.h"
#include "rix/compiler/tables.h"

namespace rokan {

struct Controller;

namespace rixrt {

// One execution of the instruction at image.pc.
struct Exec {
  Controller& c;
  RixImage& image;
  RixInstruction& ins;
  bool first;  // first entry: the program counter has just arrived here
};

using Handler = void (*)(Exec&);

// Reports error `code` for the instruction at pc; always false.
bool fail(Exec& x, RixError error);

// --- arguments -----------------------------------------------------------------------------

// Slot `slot` is ARG_NONE with the value 0.0.
bool is_none(const RixInstruction& ins, int slot);
// Slots from..to (inclusive) are all none; error 30 otherwise.
bool require_none(Exec& x, int from, int to);
// The target is NO_TARGET; error 30 otherwise.
bool require_no_target(Exec& x);
// Slot `slot` is a LABEL (error 30) naming an instruction 0..last_index (error 28).
bool read_label(Exec& x, int slot, int32_t& out);
// Slot `slot` is a CONSTANT or a VAR (error 30 otherwise); its number.
bool read_constant_or_var(Exec& x, int slot, double& out);

// --- variables ------------------------------------------------------------------------------

// A variable argument kind split into its plain kind (VAR .. JNT_9) and its prefixes.
struct KindParts {
  uint8_t plain = 0;  // 0 when the kind is no variable kind
  bool rel = false;
  bool minus = false;
};
KindParts split_kind(uint8_t kind);

// CONSTANT, VAR, POS_X..Z, JNT_1..3 and their M_ forms (negated); error 31 for any other kind,
// 19..21 for an unset value.
bool read_scalar(Exec& x, uint8_t kind, double value, double& out);
// VAR, POS_X..Z, JNT_1..3; error 31 for any other kind.
bool write_scalar(Exec& x, uint8_t kind, double index, double v);
// VAR and REL_VAR, M_VAR and M_REL_VAR (negated); error 31 otherwise.
bool read_general(Exec& x, uint8_t kind, double index, double& out);
// A whole position (joint = false) or joint vector; error 31 for a bad index, 20 or 21 when a
// component is unset.
bool read_vector(Exec& x, bool joint, double index, double out[3]);
bool write_vector(Exec& x, bool joint, double index, const double v[3]);

// --- targets --------------------------------------------------------------------------------

// ALL gives leg -1, F1..F4 legs 0..3; any other target is error 33.
bool resolve_legs(Exec& x, int& leg);
// As resolve_legs, and J11..J43 give a leg and joint 0..2 (joint -1 for the leg targets).
bool resolve_leg_or_joint(Exec& x, int& leg, int& joint);
// The joint target J11..J43 in `target`: leg and joint 0-based; false for any other code.
bool joint_of_target(uint8_t target, int& leg, int& joint);

// --- conditions -----------------------------------------------------------------------------

// The condition of a condition statement (slots 0 and 1, the comparison in the command code,
// or an event flag in slot 0).
bool evaluate_condition(Exec& x, bool& out);
// The event flag in slot 0 (kinds 3..48, negated when its value is below 0); error 32 for any
// other kind.
bool evaluate_event(Exec& x, bool& out);

// --- handlers -------------------------------------------------------------------------------

// Control statements.
void h_goto(Exec& x);
void h_if_goto(Exec& x);
void h_gosub(Exec& x);
void h_return(Exec& x);
void h_if_gosub(Exec& x);
void h_if_then(Exec& x);
void h_else(Exec& x);
void h_while(Exec& x);
void h_wend(Exec& x);
void h_until(Exec& x);
void h_for(Exec& x);
void h_next(Exec& x);
void h_subroutine(Exec& x);
void h_end(Exec& x);

// Assignments.
void h_assign(Exec& x);

// Motion commands.
void h_ptp(Exec& x);
void h_initial_posture(Exec& x);
void h_stand_sit(Exec& x);
void h_wait(Exec& x);
void h_teach(Exec& x);
void h_detect_floor(Exec& x);
void h_set_a_max(Exec& x);
void h_set_v_max(Exec& x);
void h_set_tolerance_position(Exec& x);
void h_set_tolerance_angle(Exec& x);
void h_set_sampling(Exec& x);

// Input, output and housekeeping.
void h_ad_in(Exec& x);
void h_key_in(Exec& x);
void h_sleep(Exec& x);
void h_message(Exec& x);
void h_message_clear(Exec& x);
void h_silent(Exec& x);
void h_lamp(Exec& x);
void h_log(Exec& x);
void h_emg_switch(Exec& x);
void h_special(Exec& x);
void h_nothing(Exec& x);

}  // namespace rixrt
}  // namespace rokan
