// The simulated sensors and the measured robot state that every part of the controller reads.
#pragma once

#include <cstdint>

#include "core/units.h"

namespace rokan {

// Legs are 0..3 inside the controller (the operator and RIX programs count them 1..4), with three
// joints each.
inline constexpr int kLegCount = 4;
inline constexpr int kJointsPerLeg = 3;

// The one leg-number check: true for a leg the controller has.
constexpr bool valid_leg(int leg) {
  return leg >= 0 && leg < kLegCount;
}

// Leg base points in the body frame, mm (legs 0..3).
inline constexpr double kLegBase[4][3] = {
    {-101, 201, 0}, {101, 201, 0}, {-101, -201, 0}, {101, -201, 0}};
inline constexpr double kLink1 = 45.0;   // joint 1 axis to joint 2 axis, horizontal
inline constexpr double kLink2 = 155.0;  // joint 2 to joint 3
inline constexpr double kLink3 = 250.0;  // joint 3 to the foot

struct Sensor {
  double raw[4][3];      // simulated converter counts, 0..4095, 2048 = 0 V (core/units.h)
  double origin[4][3];   // potentiometer voltage at each joint's origin
  double pt_volt[4][3];  // converted potentiometer voltage, -10..+10 V
  double vr[3];          // VR1..VR3, V
  double vr_org[3];      // VR1..VR3 captured when a leg is taken into manual control
  double paw_volt[4];    // 0.0 open, 2.5 closed
  bool paw[4];           // closed: the paw voltage is above kSwitchThresholdVolts
  double antenna_volt;
  double ad[16];            // channels 0..11 mirror pt_volt; 12..15 read 0
  double plant_gain[4][3];  // counts per volt-second
};

enum LegPoint { kBase = 0, kHip = 1, kKnee = 2, kFoot = 3 };

struct RobotState {
  double angle[4][3];        // chain form: theta1, theta2, theta3 (absolute elevations)
  double joint_angle[4][3];  // theta1, theta2, theta3 - theta2
  double point[4][4][3];     // base, hip, knee, foot per leg, mm
  double omega[4][3];        // rad/s
  double omega_dot[4][3];    // rad/s^2
  double foot_vel[4][3];     // mm/s
  double foot_acc[4][3];     // mm/s^2
};

}  // namespace rokan
