#include "core/sensors.h"

#include <cstring>

#include "core/controller.h"
#include "core/kinematics.h"

namespace rokan {
namespace {

// Potentiometer to angle: degrees = sign * d * scale * 0.05 + offset, d in volts from origin.
struct JointSensorModel {
  double sign;
  double scale;
  double offset_deg;
};
constexpr double kJ2Scale = 351.35135135135135;
constexpr JointSensorModel kModel[kLegCount][kJointsPerLeg] = {
    {{+1, 360, +180}, {-1, kJ2Scale, 0}, {+1, 150, -90}},
    {{+1, 360, 0}, {+1, kJ2Scale, 0}, {-1, 150, -90}},
    {{+1, 180, +180}, {+1, kJ2Scale, 0}, {-1, 150, -90}},
    {{+1, 180, 0}, {-1, kJ2Scale, 0}, {+1, 150, -90}},
};

// Legs 0 and 2 point along -x and keep theta1 in [0, 2pi]; legs 1 and 3 in [-pi, pi].
double wrap_theta1(int leg, double t) {
  if (leg == 0 || leg == 2) {
    if (t < 0) t += kTwoPi;
    if (t > kTwoPi) t -= kTwoPi;
  } else {
    if (t < -kPi) t += kTwoPi;
    if (t > kPi) t -= kTwoPi;
  }
  return t;
}

// Chain-form angles from the converted potentiometer voltages, theta1 wrapped into its range.
void fresh_angles(const Sensor& s, double fresh[kLegCount][kJointsPerLeg]) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    for (int j = 0; j < kJointsPerLeg; ++j) {
      const JointSensorModel& m = kModel[leg][j];
      double d = s.pt_volt[leg][j] - s.origin[leg][j];
      double deg = m.sign * d * m.scale * 0.05 + m.offset_deg;
      fresh[leg][j] = deg_to_rad_in_steps(deg);
    }
    fresh[leg][0] = wrap_theta1(leg, fresh[leg][0]);
  }
}

void store_joint_angles(RobotState& st, const double fresh[kLegCount][kJointsPerLeg]) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    st.joint_angle[leg][0] = fresh[leg][0];
    st.joint_angle[leg][1] = fresh[leg][1];
    st.joint_angle[leg][2] = fresh[leg][2] - fresh[leg][1];
  }
}

// One backward-difference step: the rate and its own rate from the value's change over dt.
// Every eager update and every settled one goes through here, so both round alike.
void difference(const double before[kLegCount][kJointsPerLeg],
                const double after[kLegCount][kJointsPerLeg], double dt,
                double rate[kLegCount][kJointsPerLeg], double rate2[kLegCount][kJointsPerLeg]) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    for (int k = 0; k < 3; ++k) {
      double v = (after[leg][k] - before[leg][k]) / dt;
      rate2[leg][k] = (v - rate[leg][k]) / dt;
      rate[leg][k] = v;
    }
  }
}

// Notes an update whose rates are left for settle(): `before` is still in place, `after` is
// about to replace it.
void defer(DeferredRates& d, const double before[kLegCount][kJointsPerLeg],
           const double after[kLegCount][kJointsPerLeg], double dt) {
  d.newest ^= 1;
  DeferredRates::Update& u = d.update[d.newest];
  std::memcpy(u.before, before, sizeof u.before);
  std::memcpy(u.after, after, sizeof u.after);
  u.dt = dt;
  if (d.pending < 2) ++d.pending;
}

// Replays the last two pending updates (older first): the newest rate and its rate depend on
// nothing older.
void settle(DeferredRates& d, double rate[kLegCount][kJointsPerLeg],
            double rate2[kLegCount][kJointsPerLeg]) {
  for (int i = d.pending - 1; i >= 0; --i) {
    const DeferredRates::Update& u = d.update[d.newest ^ i];
    difference(u.before, u.after, u.dt, rate, rate2);
  }
  d.pending = 0;
}

void copy_feet(const RobotState& st, double feet[kLegCount][3]) {
  for (int leg = 0; leg < kLegCount; ++leg)
    for (int k = 0; k < 3; ++k) feet[leg][k] = st.point[leg][kFoot][k];
}

void place_bases(RobotState& st) {
  for (int leg = 0; leg < kLegCount; ++leg)
    for (int k = 0; k < 3; ++k) st.point[leg][kBase][k] = kLegBase[leg][k];
}

}  // namespace

double wrap_leg_theta1(int leg, double theta1) {
  return wrap_theta1(leg, theta1);
}

void read_sensors(Sensor& s) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    for (int j = 0; j < kJointsPerLeg; ++j) {
      s.pt_volt[leg][j] = counts_to_volts(s.raw[leg][j]);
      s.ad[leg * 3 + j] = s.pt_volt[leg][j];
    }
  }
  for (int paw = 0; paw < kLegCount; ++paw) s.paw[paw] = s.paw_volt[paw] > kSwitchThresholdVolts;
}

void update_state(const Sensor& s, RobotState& st, double dt) {
  double fresh[kLegCount][kJointsPerLeg];
  fresh_angles(s, fresh);
  store_joint_angles(st, fresh);
  difference(st.angle, fresh, dt, st.omega, st.omega_dot);
  std::memcpy(st.angle, fresh, sizeof st.angle);
}

void update_legs(RobotState& st, double dt, AngleTrig (*trig)[3]) {
  double old_foot[kLegCount][3], new_foot[kLegCount][3];
  copy_feet(st, old_foot);
  place_bases(st);
  for (int leg = 0; leg < kLegCount; ++leg) {
    if (trig)
      forward_leg(st, leg, trig[leg]);
    else
      forward_leg(st, leg);
  }
  copy_feet(st, new_foot);
  difference(old_foot, new_foot, dt, st.foot_vel, st.foot_acc);
}

void prime_state(const Sensor& s, RobotState& st, double dt) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    for (int k = 0; k < 3; ++k) {
      st.omega[leg][k] = st.omega_dot[leg][k] = 0;
      st.foot_vel[leg][k] = st.foot_acc[leg][k] = 0;
    }
  }
  for (int i = 0; i < 3; ++i) {
    update_state(s, st, dt);
    update_legs(st, dt);
  }
}

void read_sensors(Controller& c) {
  if (c.plant_faults) c.plant_faults->before_read(c.sensor);
  read_sensors(c.sensor);
  if (c.plant_faults) c.plant_faults->after_read(c.sensor);
}
// The cycle's updates: the same angles and points as the eager forms, the rates deferred.
void update_state(Controller& c) {
  RobotState& st = c.state;
  double fresh[kLegCount][kJointsPerLeg];
  fresh_angles(c.sensor, fresh);
  store_joint_angles(st, fresh);
  defer(c.angle_rates, st.angle, fresh, c.params.sampling_time);
  std::memcpy(st.angle, fresh, sizeof st.angle);
}
void update_legs(Controller& c) {
  RobotState& st = c.state;
  double old_foot[kLegCount][3], new_foot[kLegCount][3];
  copy_feet(st, old_foot);
  place_bases(st);
  for (int leg = 0; leg < kLegCount; ++leg) forward_leg(st, leg, c.kin_memo.joint[leg]);
  copy_feet(st, new_foot);
  defer(c.foot_rates, old_foot, new_foot, c.params.sampling_time);
}
void settle_rates(Controller& c) {
  settle(c.angle_rates, c.state.omega, c.state.omega_dot);
  settle(c.foot_rates, c.state.foot_vel, c.state.foot_acc);
}
void prime_state(Controller& c) {
  // Priming starts the rates afresh: nothing pending may be replayed over them.
  c.angle_rates.pending = 0;
  c.foot_rates.pending = 0;
  prime_state(c.sensor, c.state, c.params.sampling_time);
}

void origin_clear(Controller& c) {
  read_sensors(c);
  for (auto& leg : c.sensor.origin)
    for (double& o : leg) o = 0;
}

}  // namespace rokan
