// The value screens of the error, gain and limit groups: one parameter each, one value per leg
// (F1..F4) or three per leg. An entry of 0, an empty entry or text that is not a number leaves
// the parameter as it was; other entries are stored as their absolute value, except the motor
// gains, whose sign is fixed per joint by the direction the motor turns.
#include <cmath>
#include <string>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/param_screens.h"
#include "core/controller.h"
#include "platform/text.h"

namespace rokan {
namespace {

enum class Unit { kPlain, kDegrees, kMotorGain };

// Joints whose motor gain is positive: leg 1 joint 3, legs 2 and 3 joint 2, leg 4 joint 3.
constexpr bool kPositiveGain[kLegCount][kJointsPerLeg] = {
    {false, false, true}, {false, true, false}, {false, true, false}, {false, false, true}};

struct LegScreen {
  const char* heading;  // UTF-8
  const char* item;     // UTF-8 format of one leg: leg number twice, then the value
};

struct JointScreen {
  const char* heading;
  const char* item;        // leg number twice, then three values
  const char* extra_item;  // an additional item line without function, or nullptr
  Unit unit;
};

void leg_value_screen(Controller& c, const LegScreen& s, double (&values)[kLegCount]) {
  const std::string heading = utf8_to_cp932(s.heading);
  const std::string item = utf8_to_cp932(s.item);
  for (;;) {
    menu_heading(c, heading);
    menu_blank(c);
    for (int leg = 0; leg < kLegCount; ++leg)
      menu_line(c, format(item.c_str(), leg + 1, leg + 1, values[leg]));
    menu_footer(c);
    int key = menu_key(c);
    if (key == 'Q') return;
    if (key < '1' || key > '4') continue;
    double v;
    if (ask_value(c, v) && v != 0) values[key - '1'] = std::fabs(v);
  }
}

double shown(Unit unit, double stored) {
  return unit == Unit::kDegrees ? stored * kRadToDeg : stored;
}

double to_store(Unit unit, int leg, int joint, double entered) {
  switch (unit) {
    case Unit::kDegrees:
      return std::fabs(entered) * kDegToRad;
    case Unit::kMotorGain:
      return kPositiveGain[leg][joint] ? std::fabs(entered) : -std::fabs(entered);
    case Unit::kPlain:
      break;
  }
  return std::fabs(entered);
}

void joint_value_screen(Controller& c, const JointScreen& s,
                        double (&values)[kLegCount][kJointsPerLeg]) {
  const std::string heading = utf8_to_cp932(s.heading);
  const std::string item = utf8_to_cp932(s.item);
  for (;;) {
    menu_heading(c, heading);
    menu_blank(c);
    menu_line(c, "Now:");
    for (int leg = 0; leg < kLegCount; ++leg) {
      const double* v = values[leg];
      menu_line_at(c, 7,
                   format(item.c_str(), leg + 1, leg + 1, shown(s.unit, v[0]), shown(s.unit, v[1]),
                          shown(s.unit, v[2])));
    }
    if (s.extra_item) menu_line(c, s.extra_item);
    menu_footer(c);
    int key = menu_key(c);
    if (key == 'Q') return;
    if (key < '1' || key > '4') continue;  // includes the extra item's key
    const int leg = key - '1';
    int joint;
    if (!select_joint(c, joint)) continue;
    double v;
    if (ask_value(c, v) && v != 0) values[leg][joint] = to_store(s.unit, leg, joint, v);
  }
}

// One key of a group menu: 0 for Q, -1 for a key without an item, else the item number.
int group_menu(Controller& c, const char* heading, const char* const* items, int count) {
  menu_heading(c, utf8_to_cp932(heading));
  menu_blank(c);
  for (int i = 0; i < count; ++i) menu_line(c, utf8_to_cp932(items[i]));
  menu_footer(c);
  int key = menu_key(c);
  if (key == 'Q') return 0;
  if (key >= '1' && key < '1' + count) return key - '0';
  return -1;
}

}  // namespace

void param_error_group(Controller& c) {
  static const char* const kItems[] = {"1: 位置許容誤差",          "2: 角度許容誤差",
                                       "3: トルク許容誤差",        "4: 位置許容誤差   (近傍)",
                                       "5: 角度許容誤差   (近傍)", "6: トルク許容誤差 (近傍)"};
  static const LegScreen kPosition{"<Parameter : 位置許容誤差>", "%1d: F%1d = ± %.2lf [mm]"};
  static const LegScreen kPositionNear{"<Parameter : 位置許容誤差 (近傍)>",
                                       "%1d: F%1d = ± %.2lf [mm]"};
  static const JointScreen kAngle{"<Parameter : 角度許容誤差>",
                                  "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [deg]", nullptr,
                                  Unit::kDegrees};
  static const JointScreen kAngleNear{"<Parameter : 角度許容誤差 (近傍)>",
                                      "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [deg]", nullptr,
                                      Unit::kDegrees};
  static const JointScreen kTorque{"<Parameter : トルク許容誤差>",
                                   "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [%%]", nullptr, Unit::kPlain};
  static const JointScreen kTorqueNear{"<Parameter : トルク許容誤差> (近傍)",
                                       "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [%%]", nullptr,
                                       Unit::kPlain};
  LimitBlock2& b = c.params.file.b2;
  for (;;) {
    switch (group_menu(c, "<Parameter : Error>", kItems, 6)) {
      case 0:
        return;
      case 1:
        leg_value_screen(c, kPosition, b.position_err);
        break;
      case 2:
        joint_value_screen(c, kAngle, b.angle_err);
        break;
      case 3:
        joint_value_screen(c, kTorque, b.torque_err);
        break;
      case 4:
        leg_value_screen(c, kPositionNear, b.position_err_near);
        break;
      case 5:
        joint_value_screen(c, kAngleNear, b.angle_err_near);
        break;
      case 6:
        joint_value_screen(c, kTorqueNear, b.torque_err_near);
        break;
      default:
        break;
    }
  }
}

void param_gain_group(Controller& c) {
  static const char* const kItems[] = {"1: モータゲイン(km)", "2: 位置制御ゲイン(kp)",
                                       "3: 位置制御ゲイン(ks)"};
  static const JointScreen kKm{"<Parameter : モータゲイン>", "%1d: F%1d = %.2lf, %.2lf, %.2lf ",
                               "A: Motor Gain Auto-Tuning (No-Function)", Unit::kMotorGain};
  static const LegScreen kKp{"<Parameter : 脚先位置制御ゲイン>", "%1d: F%1d = %.2lf [mm/s / mm]"};
  static const JointScreen kKs{"<Parameter : 角度制御ゲイン>", "%1d: F%1d = %.2lf, %.2lf, %.2lf ",
                               nullptr, Unit::kPlain};
  Params& p = c.params;
  for (;;) {
    switch (group_menu(c, "<Parameter : Gain>", kItems, 3)) {
      case 0:
        return;
      case 1:
        joint_value_screen(c, kKm, p.km);
        break;
      case 2:
        leg_value_screen(c, kKp, p.kp);
        break;
      case 3:
        joint_value_screen(c, kKs, p.ks);
        break;
      default:
        break;
    }
  }
}

void param_limit_group(Controller& c) {
  static const char* const kItems[] = {"1: 電圧制限",     "2: 最大加速度", "3: 最大速度",
                                       "4: 最大角加速度", "5: 最大角速度", "6: 角度制限"};
  static const JointScreen kVolt{"<Parameter : 電圧制限>", "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [V]",
                                 nullptr, Unit::kPlain};
  static const LegScreen kAccel{"<Parameter : 最大加速度>", "%1d: F%1d = ± %.2lf [mm/s^2]"};
  static const LegScreen kSpeed{"<Parameter : 最大速度>", "%1d: F%1d = ± %.2lf [mm/s]"};
  // Held in radians like every angle; shown and entered in the degrees the headings name.
  static const JointScreen kOmegaDot{"<Parameter : 最大角加速度>",
                                     "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [deg/sec^2]", nullptr,
                                     Unit::kDegrees};
  static const JointScreen kOmega{"<Parameter : 最大角速度>",
                                  "%1d: F%1d = ± %.2lf, %.2lf, %.2lf [deg/sec]", nullptr,
                                  Unit::kDegrees};
  Params& p = c.params;
  for (;;) {
    switch (group_menu(c, "<Parameter : Limit>", kItems, 6)) {
      case 0:
        return;
      case 1:
        joint_value_screen(c, kVolt, p.max_volt);
        break;
      case 2:
        leg_value_screen(c, kAccel, p.file.b1.a_max);
        break;
      case 3:
        leg_value_screen(c, kSpeed, p.file.b1.v_max);
        break;
      case 4:
        joint_value_screen(c, kOmegaDot, p.file.b1.omega_dot_max);
        break;
      case 5:
        joint_value_screen(c, kOmega, p.file.b1.omega_max);
        break;
      case 6:
        param_angle_limit_screen(c);
        break;
      default:
        break;
    }
  }
}

}  // namespace rokan
