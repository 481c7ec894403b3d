// The parameter set: defaults, the three copies of the limits, and the working directories.
// Angles are radians in memory and degrees in the parameter file.
#pragma once

#include <cstdint>
#include <string>

#include "core/robot_state.h"

namespace rokan {

inline constexpr float kArdoVersion = 4.2f;  // controller software version, written as 4.20
inline constexpr double kRixVersion = 3.1;   // RIX language version

// Speed/acceleration limits and tolerances. Held three times (file, active, AUTO reference),
// always copied as whole blocks.
struct LimitBlock1 {
  double a_max[kLegCount];                         // mm/s^2
  double v_max[kLegCount];                         // mm/s
  double omega_dot_max[kLegCount][kJointsPerLeg];  // rad/s^2
  double omega_max[kLegCount][kJointsPerLeg];      // rad/s
};
struct LimitBlock2 {
  double position_err[kLegCount];              // mm
  double angle_err[kLegCount][kJointsPerLeg];  // rad
  double torque_err[kLegCount][kJointsPerLeg];
  double position_err_near[kLegCount];              // mm
  double angle_err_near[kLegCount][kJointsPerLeg];  // rad
  double torque_err_near[kLegCount][kJointsPerLeg];
};
struct Limits {
  LimitBlock1 b1;
  LimitBlock2 b2;
};

// Index of each LIMIT_* key in Params::joint_limit, in file order.
enum JointLimitKey {
  kLimitJn1Plus,
  kLimitJn1Minus,
  kLimitJn2Plus,
  kLimitJn2Minus,
  kLimitJn2RelPlus,
  kLimitJn2RelMinus,
  kLimitJ00Plus,
  kLimitJ00Minus,
  kLimitJ10Plus,
  kLimitJ10Minus,
  kLimitJ20Plus,
  kLimitJ20Minus,
  kLimitJ30Plus,
  kLimitJ30Minus,
  kJointLimitCount
};
extern const char* const kJointLimitNames[kJointLimitCount];

struct Params {
  double max_volt[kLegCount][kJointsPerLeg];  // V
  double km[kLegCount][kJointsPerLeg];        // V/rad
  double kp[kLegCount];
  double ks[kLegCount][kJointsPerLeg];
  Limits file;      // read from and written to rokan.ini, edited by the parameter menus
  Limits active;    // used by control, motion commands and the safety monitor
  Limits auto_ref;  // copied on AUTO entry; base of the percentage limit commands

  int16_t pt_limit;
  double sampling_time;  // s
  int32_t max_buf;
  int32_t sampling_skip;
  bool over_run_enable;
  double joint_limit[kJointLimitCount];  // rad

  // CP932; every directory ends in a backslash.
  std::string user_name;
  std::string user_dir;
  std::string rix_dir;   // DEFAULT_PATH_RIX
  std::string rix_path;  // user directory + RIX directory (once rokan.ini has been read)
  std::string log_dir;   // DEFAULT_PATH_LOG
  std::string emg_dir;
  std::string ini_dir;  // DEFAULT_PATH_INI
};

}  // namespace rokan
