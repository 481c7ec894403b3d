#include "core/sensors.h"

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
constexpr JointSensorModel kModel[4][3] = {
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

}  // namespace

double wrap_leg_theta1(int leg, double theta1) {
  return wrap_theta1(leg, theta1);
}

void read_sensors(Sensor& s) {
  for (int leg = 0; leg < 4; ++leg) {
    for (int j = 0; j < 3; ++j) {
      s.pt_volt[leg][j] = counts_to_volts(s.raw[leg][j]);
      s.ad[leg * 3 + j] = s.pt_volt[leg][j];
    }
  }
  for (int paw = 0; paw < 4; ++paw) s.paw[paw] = s.paw_volt[paw] > kSwitchThresholdVolts ? 1 : 0;
}

void update_state(const Sensor& s, RobotState& st, double dt) {
  double fresh[4][3];
  for (int leg = 0; leg < 4; ++leg) {
    for (int j = 0; j < 3; ++j) {
      const JointSensorModel& m = kModel[leg][j];
      double d = s.pt_volt[leg][j] - s.origin[leg][j];
      double deg = m.sign * d * m.scale * 0.05 + m.offset_deg;
      fresh[leg][j] = deg_to_rad_in_steps(deg);
    }
    fresh[leg][0] = wrap_theta1(leg, fresh[leg][0]);
  }
  for (int leg = 0; leg < 4; ++leg) {
    st.joint_angle[leg][0] = fresh[leg][0];
    st.joint_angle[leg][1] = fresh[leg][1];
    st.joint_angle[leg][2] = fresh[leg][2] - fresh[leg][1];
  }
  for (int leg = 0; leg < 4; ++leg) {
    for (int j = 0; j < 3; ++j) {
      double w = (fresh[leg][j] - st.angle[leg][j]) / dt;
      st.omega_dot[leg][j] = (w - st.omega[leg][j]) / dt;
      st.omega[leg][j] = w;
      st.angle[leg][j] = fresh[leg][j];
    }
  }
}

void update_legs(RobotState& st, double dt, AngleTrig (*trig)[3]) {
  for (int leg = 0; leg < 4; ++leg) {
    double old_foot[3];
    for (int k = 0; k < 3; ++k) {
      st.point[leg][kBase][k] = kLegBase[leg][k];
      old_foot[k] = st.point[leg][kFoot][k];
    }
    if (trig)
      forward_leg(st, leg, trig[leg]);
    else
      forward_leg(st, leg);
    for (int k = 0; k < 3; ++k) {
      double v = (st.point[leg][kFoot][k] - old_foot[k]) / dt;
      st.foot_acc[leg][k] = (v - st.foot_vel[leg][k]) / dt;
      st.foot_vel[leg][k] = v;
    }
  }
}

void prime_state(const Sensor& s, RobotState& st, double dt) {
  for (int leg = 0; leg < 4; ++leg) {
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
void update_state(Controller& c) {
  update_state(c.sensor, c.state, c.params.sampling_time);
}
void update_legs(Controller& c) {
  update_legs(c.state, c.params.sampling_time, c.kin_memo.joint);
}
void prime_state(Controller& c) {
  prime_state(c.sensor, c.state, c.params.sampling_time);
}

void origin_clear(Controller& c) {
  read_sensors(c);
  for (auto& leg : c.sensor.origin)
    for (double& o : leg) o = 0;
}

}  // namespace rokan
