#include <cstring>

#include "core/param_file.h"
#include "core/params.h"
#include "core/robot_state.h"
#include "platform/text.h"

namespace rokan {

const char* const kJointLimitNames[kJointLimitCount] = {
    "LIMIT_Jn1_PLUS",     "LIMIT_Jn1_MINUS",     "LIMIT_Jn2_PLUS", "LIMIT_Jn2_MINUS",
    "LIMIT_Jn2_REL_PLUS", "LIMIT_Jn2_REL_MINUS", "LIMIT_J00_PLUS", "LIMIT_J00_MINUS",
    "LIMIT_J10_PLUS",     "LIMIT_J10_MINUS",     "LIMIT_J20_PLUS", "LIMIT_J20_MINUS",
    "LIMIT_J30_PLUS",     "LIMIT_J30_MINUS"};

namespace {

constexpr double kDefaultKm[kLegCount][kJointsPerLeg] = {
    {-30, -30, 30}, {-30, 30, -30}, {-30, 30, -30}, {-30, -30, 30}};
constexpr double kPlantGain[kLegCount][kJointsPerLeg] = {{-367.98, 154.49, 627.19},
                                                         {-362.79, 167.12, 638.15},
                                                         {-340.36, 173.72, 627.45},
                                                         {-367.31, 147.84, 589.4}};
constexpr double kDefaultJointLimitDeg[kJointLimitCount] = {60, -70, 0,   -120, 145, -145, 230,
                                                            65, 105, -50, 295,  130, 50,   -105};

}  // namespace

void set_default_params(Params& p, Sensor& sensor) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    Limits& f = p.file;
    f.b1.a_max[leg] = 500.0;
    f.b1.v_max[leg] = 100.0;
    f.b2.position_err[leg] = 5.0;
    f.b2.position_err_near[leg] = 5.0;
    p.kp[leg] = 1.0;
    for (int j = 0; j < 3; ++j) {
      p.max_volt[leg][j] = 2.0;
      p.km[leg][j] = kDefaultKm[leg][j];
      p.ks[leg][j] = 1.0;
      f.b1.omega_dot_max[leg][j] = deg_to_rad(10);
      f.b1.omega_max[leg][j] = deg_to_rad(10);
      f.b2.angle_err[leg][j] = deg_to_rad(3);
      f.b2.torque_err[leg][j] = 10.0;
      f.b2.angle_err_near[leg][j] = deg_to_rad(3);
      f.b2.torque_err_near[leg][j] = 10.0;
      sensor.plant_gain[leg][j] = kPlantGain[leg][j];
    }
  }
  p.active = p.file;
  p.auto_ref = p.file;
  p.pt_limit = 2000;
  p.sampling_time = 0.001;
  p.max_buf = 10;
  p.sampling_skip = 1;
  p.over_run_enable = true;
  for (int i = 0; i < kJointLimitCount; ++i)
    p.joint_limit[i] = deg_to_rad(kDefaultJointLimitDeg[i]);
  p.user_name = "DEFAULT";
  p.user_dir = "DEFAULT\\";
  p.rix_dir = "rixs\\";
  p.rix_path = p.rix_dir;
  p.log_dir = "log\\";
  p.emg_dir = "emg\\";
  p.ini_dir = "init\\";
}

void copy_file_to_active(Params& p) {
  p.active = p.file;
}
void copy_file_to_auto_ref(Params& p) {
  p.auto_ref = p.file;
}

std::string param_file_path(const Params& p) {
  return p.user_dir + p.ini_dir + "rokan.ini";
}

}  // namespace rokan
