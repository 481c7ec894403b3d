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

// clang-format off
enum Command : uint8_t {
  NOP, PTP, PTP_HS, REL_PTP, REL_PTP_HS, PTP_ANGLE, PTP_ANGLE_HS, REL_PTP_ANGLE, REL_PTP_ANGLE_HS,
  ALL_STOP, ALL_STOP_RELEASE, INITIAL_POSTURE, STAND_UP, SIT_DOWN, VEL_CONTROL, OMEGA_CONTROL,
  SLEEP, WAIT_INPOS, WAIT_NEAR, COMPLIANCE_ANGLE, COMPLIANCE_ANGLE_HS, REL_COMPLIANCE_ANGLE,
  REL_COMPLIANCE_ANGLE_HS, FORCE, COMPLIANCE_POSITION, COMPLIANCE_POSITION_HS,
  REL_COMPLIANCE_POSITION, REL_COMPLIANCE_POSITION_HS, NO_COMPLIANCE, TORQUE, TEACH_POSITION,
  TEACH_ANGLE, TEACH_TORQUE, TEACH_FORCE, GOTO, IF_GOTO_EQ, IF_GOTO_NE, IF_GOTO_GT, IF_GOTO_LT,
  IF_GOTO_GE, IF_GOTO_LE, GOSUB, RETURN, IF_GOSUB_EQ, IF_GOSUB_NE, IF_GOSUB_GT, IF_GOSUB_LT,
  IF_GOSUB_GE, IF_GOSUB_LE, IF_GOTO_EVENT, IF_GOSUB_EVENT, LABEL_CMD, AD_IN, KEY_IN, MESSAGE,
  MESSAGE_CLEAR, SILENT_ON, SILENT_OFF, LAMP_ON, LAMP_OFF, OUTPUT_VARIABLES, FLUSH_BUF, REM, EXIT,
  END, LOG_START, LOG_STOP, LOG_ONE_SHOT, EMG_ON, EMG_OFF, SPECIAL, EQUAL, EQUAL_ADD, EQUAL_SUB,
  EQUAL_MULT, EQUAL_DIV, EQUAL_ABS, EQUAL_INT, EQUAL_SQRT, EQUAL_SIN, EQUAL_COS, EQUAL_TAN,
  EQUAL_ASIN, EQUAL_ACOS, EQUAL_ATAN, EQUAL_ATAN2, EQUAL_DEG2RAD, EQUAL_RAD2DEG, EQUAL_NORM,
  EQUAL_UNIT_VECT, EQUAL_ROT_X, EQUAL_ROT_Y, EQUAL_ROT_Z, SET_A_MAX, SET_V_MAX, SET_OMEGA_MAX,
  SET_OMEGA_DOT_MAX, SET_TORQUE_MAX, SET_A_MAX_RATE, SET_V_MAX_RATE, SET_OMEGA_MAX_RATE,
  SET_OMEGA_DOT_MAX_RATE, SET_TORQUE_MAX_RATE, SET_A_MAX_SLOW, SET_A_MAX_FAST, SET_A_MAX_NORMAL,
  SET_V_MAX_SLOW, SET_V_MAX_FAST, SET_V_MAX_NORMAL, SET_OMEGA_MAX_SLOW, SET_OMEGA_MAX_FAST,
  SET_OMEGA_MAX_NORMAL, SET_OMEGA_DOT_MAX_SLOW, SET_OMEGA_DOT_MAX_FAST, SET_OMEGA_DOT_MAX_NORMAL,
  SET_TORQUE_MAX_FIRMLY, SET_TORQUE_MAX_SOFT, SET_TORQUE_MAX_NORMAL, SET_JUST_POSITION,
  SET_NEAR_POSITION, SET_JUST_ANGLE, SET_NEAR_ANGLE, SET_SAMPLING_TIME, SET_SAMPLING_FREQ,
  DETECT_FLOOR, IF_THEN_EQ, IF_THEN_NE, IF_THEN_GT, IF_THEN_LT, IF_THEN_GE, IF_THEN_LE,
  IF_THEN_EVENT, ELSEIF_EQ, ELSEIF_NE, ELSEIF_GT, ELSEIF_LT, ELSEIF_GE, ELSEIF_LE, ELSEIF_EVENT,
  ELSE, ENDIF, WHILE_EQ, WHILE_NE, WHILE_GT, WHILE_LT, WHILE_GE, WHILE_LE, WHILE_EVENT, WEND,
  REPEAT, UNTIL_EQ, UNTIL_NE, UNTIL_GT, UNTIL_LT, UNTIL_GE, UNTIL_LE, UNTIL_EVENT, FOR, NEXT,
  SUBROUTINE, SUBEND, CALL,
  END_OF_CMD  // 162, sentinel
};
// clang-format on

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
