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
inline constexpr double kLegBase[kLegCount][3] = {
    {-101, 201, 0}, {101, 201, 0}, {-101, -201, 0}, {101, -201, 0}};
inline constexpr double kLink1 = 45.0;   // joint 1 axis to joint 2 axis, horizontal
inline constexpr double kLink2 = 155.0;  // joint 2 to joint 3
inline constexpr double kLink3 = 250.0;  // joint 3 to the foot

struct Sensor {
  double raw[kLegCount]
            [kJointsPerLeg];  // simulated converter counts, 0..4095, 2048 = 0 V (core/units.h)
  double origin[kLegCount][kJointsPerLeg];   // potentiometer voltage at each joint's origin
  double pt_volt[kLegCount][kJointsPerLeg];  // converted potentiometer voltage, -10..+10 V
  double vr[3];                              // VR1..VR3, V
  double vr_org[3];            // VR1..VR3 captured when a leg is taken into manual control
  double paw_volt[kLegCount];  // 0.0 open, 2.5 closed
  bool paw[kLegCount];         // closed: the paw voltage is above kSwitchThresholdVolts
  double antenna_volt;
  double ad[16];                                // channels 0..11 mirror pt_volt; 12..15 read 0
  double plant_gain[kLegCount][kJointsPerLeg];  // counts per volt-second
};

enum LegPoint { kBase = 0, kHip = 1, kKnee = 2, kFoot = 3 };

struct RobotState {
  double angle[kLegCount]
              [kJointsPerLeg];  // chain form: theta1, theta2, theta3 (absolute elevations)
  double joint_angle[kLegCount][kJointsPerLeg];  // theta1, theta2, theta3 - theta2
  double point[kLegCount][4][3];                 // base, hip, knee, foot per leg, mm
  double omega[kLegCount][kJointsPerLeg];        // rad/s
  double omega_dot[kLegCount][kJointsPerLeg];    // rad/s^2
  double foot_vel[kLegCount][3];                 // mm/s
  double foot_acc[kLegCount][3];                 // mm/s^2
};

}  // namespace rokan
