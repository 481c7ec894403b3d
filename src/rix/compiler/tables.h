// The code tables of compiled RIX programs: command codes, target codes and argument kinds, each
// with its name table. The codes are fixed (compiled programs, dumps and the runtime's dispatch
// depend on them); every name table ends in a sentinel name at the index just past the last code,
// so a reader can find the end of a table without knowing its size.
//
// The constants keep the upper-case names that RIX programmers and the rix.obj dump use. They live
// in namespace rokan::rix so that short names such as END, LABEL or VAR stay out of rokan.
#pragma once

#include <cstdint>
#include <string_view>

namespace rokan {
namespace rix {

// The commands in code order, one per line: K(code, keyword, form) for the command that a
// statement beginning with `keyword` compiles to first, `form` naming the compiler's parser of
// that statement; C(code) for every other command (forms the compiler picks from the operands,
// such as the _HS and the comparison variants and the assignments, and codes without a source
// form). The enum, the name table and the
// compiler's keyword table are all made from this list, so a new command is one line before
// END_OF_CMD.
#define ROKAN_RIX_COMMANDS(C, K)                                 \
  C(NOP)                                                         \
  K(PTP, PTP, kPosition)                                         \
  C(PTP_HS)                                                      \
  K(REL_PTP, REL_PTP, kRelPosition)                              \
  C(REL_PTP_HS)                                                  \
  K(PTP_ANGLE, PTP_ANGLE, kAngle)                                \
  C(PTP_ANGLE_HS)                                                \
  K(REL_PTP_ANGLE, REL_PTP_ANGLE, kRelAngle)                     \
  C(REL_PTP_ANGLE_HS)                                            \
  K(ALL_STOP, ALL_STOP, kBare)                                   \
  K(ALL_STOP_RELEASE, ALL_STOP_RELEASE, kBare)                   \
  K(INITIAL_POSTURE, INITIAL_POSTURE, kBare)                     \
  K(STAND_UP, STAND_UP, kHeight)                                 \
  K(SIT_DOWN, SIT_DOWN, kHeight)                                 \
  K(VEL_CONTROL, VEL_CONTROL, kVelocity)                         \
  K(OMEGA_CONTROL, OMEGA_CONTROL, kOmega)                        \
  K(SLEEP, SLEEP, kValue)                                        \
  K(WAIT_INPOS, WAIT_INPOS, kWait)                               \
  K(WAIT_NEAR, WAIT_NEAR, kWaitNear)                             \
  C(COMPLIANCE_ANGLE)                                            \
  C(COMPLIANCE_ANGLE_HS)                                         \
  C(REL_COMPLIANCE_ANGLE)                                        \
  C(REL_COMPLIANCE_ANGLE_HS)                                     \
  C(FORCE)                                                       \
  C(COMPLIANCE_POSITION)                                         \
  C(COMPLIANCE_POSITION_HS)                                      \
  C(REL_COMPLIANCE_POSITION)                                     \
  C(REL_COMPLIANCE_POSITION_HS)                                  \
  C(NO_COMPLIANCE)                                               \
  C(TORQUE)                                                      \
  K(TEACH_POSITION, TEACH_POSITION, kTeachPosition)              \
  K(TEACH_ANGLE, TEACH_ANGLE, kTeachAngle)                       \
  C(TEACH_TORQUE)                                                \
  C(TEACH_FORCE)                                                 \
  K(GOTO, GOTO, kGoto)                                           \
  C(IF_GOTO_EQ)                                                  \
  C(IF_GOTO_NE)                                                  \
  C(IF_GOTO_GT)                                                  \
  C(IF_GOTO_LT)                                                  \
  C(IF_GOTO_GE)                                                  \
  C(IF_GOTO_LE)                                                  \
  K(GOSUB, GOSUB, kGosub)                                        \
  K(RETURN, RETURN, kBare)                                       \
  C(IF_GOSUB_EQ)                                                 \
  C(IF_GOSUB_NE)                                                 \
  C(IF_GOSUB_GT)                                                 \
  C(IF_GOSUB_LT)                                                 \
  C(IF_GOSUB_GE)                                                 \
  C(IF_GOSUB_LE)                                                 \
  C(IF_GOTO_EVENT)                                               \
  C(IF_GOSUB_EVENT)                                              \
  C(LABEL_CMD)                                                   \
  K(AD_IN, AD_IN, kAdIn)                                         \
  K(KEY_IN, KEY_IN, kKeyIn)                                      \
  K(MESSAGE, MESSAGE, kMessage)                                  \
  K(MESSAGE_CLEAR, MESSAGE_CLEAR, kBare)                         \
  K(SILENT_ON, SILENT_ON, kBare)                                 \
  K(SILENT_OFF, SILENT_OFF, kBare)                               \
  K(LAMP_ON, LAMP_ON, kLamp)                                     \
  K(LAMP_OFF, LAMP_OFF, kLamp)                                   \
  K(OUTPUT_VARIABLES, OUTPUT_VARIABLES, kBare)                   \
  K(FLUSH_BUF, FLUSH_BUF, kBare)                                 \
  K(REM, REM, kRem)                                              \
  K(EXIT, EXIT, kBare)                                           \
  K(END, END, kBare)                                             \
  K(LOG_START, LOG_START, kBare)                                 \
  K(LOG_STOP, LOG_STOP, kBare)                                   \
  K(LOG_ONE_SHOT, LOG_ONE_SHOT, kBare)                           \
  K(EMG_ON, EMG_ON, kBare)                                       \
  K(EMG_OFF, EMG_OFF, kBare)                                     \
  K(SPECIAL, SPECIAL, kSpecial)                                  \
  C(EQUAL)                                                       \
  C(EQUAL_ADD)                                                   \
  C(EQUAL_SUB)                                                   \
  C(EQUAL_MULT)                                                  \
  C(EQUAL_DIV)                                                   \
  C(EQUAL_ABS)                                                   \
  C(EQUAL_INT)                                                   \
  C(EQUAL_SQRT)                                                  \
  C(EQUAL_SIN)                                                   \
  C(EQUAL_COS)                                                   \
  C(EQUAL_TAN)                                                   \
  C(EQUAL_ASIN)                                                  \
  C(EQUAL_ACOS)                                                  \
  C(EQUAL_ATAN)                                                  \
  C(EQUAL_ATAN2)                                                 \
  C(EQUAL_DEG2RAD)                                               \
  C(EQUAL_RAD2DEG)                                               \
  C(EQUAL_NORM)                                                  \
  C(EQUAL_UNIT_VECT)                                             \
  C(EQUAL_ROT_X)                                                 \
  C(EQUAL_ROT_Y)                                                 \
  C(EQUAL_ROT_Z)                                                 \
  K(SET_A_MAX, SET_A_MAX, kLegValue)                             \
  K(SET_V_MAX, SET_V_MAX, kLegValue)                             \
  K(SET_OMEGA_MAX, SET_OMEGA_MAX, kJointValue)                   \
  K(SET_OMEGA_DOT_MAX, SET_OMEGA_DOT_MAX, kJointValue)           \
  K(SET_TORQUE_MAX, SET_TORQUE_MAX, kJointValue)                 \
  K(SET_A_MAX_RATE, SET_A_MAX_RATE, kLegValue)                   \
  K(SET_V_MAX_RATE, SET_V_MAX_RATE, kLegValue)                   \
  K(SET_OMEGA_MAX_RATE, SET_OMEGA_MAX_RATE, kJointValue)         \
  K(SET_OMEGA_DOT_MAX_RATE, SET_OMEGA_DOT_MAX_RATE, kJointValue) \
  C(SET_TORQUE_MAX_RATE)                                         \
  K(SET_A_MAX_SLOW, SET_A_MAX_SLOW, kLeg)                        \
  K(SET_A_MAX_FAST, SET_A_MAX_FAST, kLeg)                        \
  K(SET_A_MAX_NORMAL, SET_A_MAX_NORMAL, kLeg)                    \
  K(SET_V_MAX_SLOW, SET_V_MAX_SLOW, kLeg)                        \
  K(SET_V_MAX_FAST, SET_V_MAX_FAST, kLeg)                        \
  K(SET_V_MAX_NORMAL, SET_V_MAX_NORMAL, kLeg)                    \
  K(SET_OMEGA_MAX_SLOW, SET_OMEGA_MAX_SLOW, kJoint)              \
  K(SET_OMEGA_MAX_FAST, SET_OMEGA_MAX_FAST, kJoint)              \
  K(SET_OMEGA_MAX_NORMAL, SET_OMEGA_MAX_NORMAL, kJoint)          \
  K(SET_OMEGA_DOT_MAX_SLOW, SET_OMEGA_DOT_MAX_SLOW, kJoint)      \
  K(SET_OMEGA_DOT_MAX_FAST, SET_OMEGA_DOT_MAX_FAST, kJoint)      \
  K(SET_OMEGA_DOT_MAX_NORMAL, SET_OMEGA_DOT_MAX_NORMAL, kJoint)  \
  C(SET_TORQUE_MAX_FIRMLY)                                       \
  C(SET_TORQUE_MAX_SOFT)                                         \
  C(SET_TORQUE_MAX_NORMAL)                                       \
  K(SET_JUST_POSITION, SET_JUST_POSITION, kLegValue)             \
  K(SET_NEAR_POSITION, SET_NEAR_POSITION, kLegValue)             \
  K(SET_JUST_ANGLE, SET_JUST_ANGLE, kAngleTolerance)             \
  K(SET_NEAR_ANGLE, SET_NEAR_ANGLE, kAngleTolerance)             \
  K(SET_SAMPLING_TIME, SET_SAMPLING_TIME, kValue)                \
  K(SET_SAMPLING_FREQ, SET_SAMPLING_FREQ, kValue)                \
  K(DETECT_FLOOR, DETECT_FLOOR, kDetectFloor)                    \
  K(IF_THEN_EQ, IF, kIf)                                         \
  C(IF_THEN_NE)                                                  \
  C(IF_THEN_GT)                                                  \
  C(IF_THEN_LT)                                                  \
  C(IF_THEN_GE)                                                  \
  C(IF_THEN_LE)                                                  \
  C(IF_THEN_EVENT)                                               \
  K(ELSEIF_EQ, ELSEIF, kElseIf)                                  \
  C(ELSEIF_NE)                                                   \
  C(ELSEIF_GT)                                                   \
  C(ELSEIF_LT)                                                   \
  C(ELSEIF_GE)                                                   \
  C(ELSEIF_LE)                                                   \
  C(ELSEIF_EVENT)                                                \
  K(ELSE, ELSE, kElse)                                           \
  K(ENDIF, ENDIF, kBare)                                         \
  K(WHILE_EQ, WHILE, kWhile)                                     \
  C(WHILE_NE)                                                    \
  C(WHILE_GT)                                                    \
  C(WHILE_LT)                                                    \
  C(WHILE_GE)                                                    \
  C(WHILE_LE)                                                    \
  C(WHILE_EVENT)                                                 \
  K(WEND, WEND, kWend)                                           \
  K(REPEAT, REPEAT, kBare)                                       \
  K(UNTIL_EQ, UNTIL, kUntil)                                     \
  C(UNTIL_NE)                                                    \
  C(UNTIL_GT)                                                    \
  C(UNTIL_LT)                                                    \
  C(UNTIL_GE)                                                    \
  C(UNTIL_LE)                                                    \
  C(UNTIL_EVENT)                                                 \
  K(FOR, FOR, kFor)                                              \
  K(NEXT, NEXT, kNext)                                           \
  K(SUBROUTINE, SUBROUTINE, kSubroutine)                         \
  K(SUBEND, SUBEND, kBare)                                       \
  K(CALL, CALL, kCall)

#define ROKAN_RIX_COMMAND_CODE(code, ...) code,
enum Command : uint8_t {
  ROKAN_RIX_COMMANDS(ROKAN_RIX_COMMAND_CODE, ROKAN_RIX_COMMAND_CODE) END_OF_CMD  // sentinel
};
#undef ROKAN_RIX_COMMAND_CODE

// Comparison index inside each condition family: family base + index gives the code. The EVENT
// code of a family (IF_GOTO_EVENT etc.) is not at base + 6 for IF_GOTO/IF_GOSUB, so use
// rix_condition_code() rather than arithmetic on the base.
enum Comparison : uint8_t { CMP_EQ, CMP_NE, CMP_GT, CMP_LT, CMP_GE, CMP_LE, CMP_EVENT };

enum Target : uint8_t {
  NO_TARGET = 0,
  TARGET_ALL = 1,
  TARGET_F1 = 2,    // TARGET_F1..TARGET_F9 = 2..10
  TARGET_J11 = 11,  // TARGET_Jnm = 11 + 9 (n - 1) + (m - 1), n, m = 1..9
  TARGET_VR1 = 92,
  TARGET_PAW1 = 95,
  TARGET_ANTENNA = 99,
  CAL_LEFT_ADD = 100,
  CAL_LEFT_SUB = 101,
  CAL_LEFT_MULT = 102,
  CAL_LEFT_DIV = 103,
  END_OF_TARGET = 104  // sentinel
};

constexpr uint8_t target_leg(int leg1) {
  return static_cast<uint8_t>(TARGET_F1 + leg1 - 1);
}
constexpr uint8_t target_joint(int leg1, int joint1) {
  return static_cast<uint8_t>(TARGET_J11 + 9 * (leg1 - 1) + (joint1 - 1));
}

enum ArgKind : uint8_t {
  ARG_NONE = 0,
  LABEL = 1,
  NO_EVENT = 2,
  HALT_REQUEST = 3,
  KB_HIT = 4,
  INPOS_F1 = 5,  // ..INPOS_F4 = 8
  INPOS_ALL = 9,
  INPOS_J11 = 10,  // J11, J12, J13, J21 .. J43 = 10..21
  NEAR_F1 = 22,    // ..NEAR_F4 = 25
  NEAR_ALL = 26,
  NEAR_J11 = 27,       // ..NEAR_J43 = 38
  SPECIAL_FLAG0 = 39,  // ..SPECIAL_FLAG9 = 48
  STRING = 49,
  CONSTANT = 50,
  REL_CONSTANT = 51,
  VAR = 52,
  POS = 53,
  JNT = 54,
  POS_X = 55,
  POS_Y = 56,
  POS_Z = 57,
  JNT_1 = 58,  // ..JNT_9 = 66
  REL_VAR = 67,
  REL_POS = 68,
  REL_JNT = 69,
  REL_POS_X = 70,
  REL_POS_Y = 71,
  REL_POS_Z = 72,
  REL_JNT_1 = 73,  // ..REL_JNT_9 = 81
  M_VAR = 82,
  M_POS = 83,
  M_JNT = 84,
  M_POS_X = 85,
  M_POS_Y = 86,
  M_POS_Z = 87,
  M_JNT_1 = 88,  // ..M_JNT_9 = 96
  M_REL_VAR = 97,
  M_REL_POS = 98,
  M_REL_JNT = 99,
  M_REL_POS_X = 100,
  M_REL_POS_Y = 101,
  M_REL_POS_Z = 102,
  M_REL_JNT_1 = 103,  // ..M_REL_JNT_9 = 111
  END_OF_ARG = 112    // sentinel
};

// Offsets from a plain variable kind (VAR..JNT_9) to its relative, negated and negated-relative
// forms: REL_VAR = VAR + kRelOffset, M_VAR = VAR + kMinusOffset, M_REL_VAR = VAR + both.
inline constexpr int kRelOffset = REL_VAR - VAR;
inline constexpr int kMinusOffset = M_VAR - VAR;

constexpr bool is_event_flag(int kind) {
  return kind >= HALT_REQUEST && kind <= SPECIAL_FLAG0 + 9;
}

}  // namespace rix

// Number of entries of each name table including its sentinel.
inline constexpr int kRixCommandNames = rix::END_OF_CMD + 1;
inline constexpr int kRixTargetNames = rix::END_OF_TARGET + 1;
inline constexpr int kRixArgNames = rix::END_OF_ARG + 1;

// Name of a code, or nullptr for a code past the sentinel (the sentinel itself has its name).
const char* rix_command_name(int code);
const char* rix_target_name(int code);
const char* rix_arg_name(int code);

// True when the three name tables end in their sentinels exactly at their last places.
bool rix_tables_intact();

// The code of the condition family of `base` (IF_GOTO_EQ, IF_GOSUB_EQ, IF_THEN_EQ, ELSEIF_EQ,
// WHILE_EQ or UNTIL_EQ) for comparison `cmp`.
uint8_t rix_condition_code(uint8_t base, rix::Comparison cmp);

// Code of a command, target or argument-kind name (exact, upper case), or -1.
int rix_command_code(std::string_view name);
int rix_arg_code(std::string_view name);

}  // namespace rokan
