#include "core/kinematics.h"

#include <cmath>

#include "console/console.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "core/modes.h"
#include "core/sensors.h"
#include "core/servo.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr double kReachConstant = kLink3 * kLink3 - kLink2 * kLink2;  // 38475

double length(const double v[3]) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Scales v to length `limit` when it is strictly longer; keeps the direction.
void clamp_length(double v[3], double limit) {
  double n = length(v);
  if (n > limit) {
    for (int k = 0; k < 3; ++k) v[k] = v[k] / n * limit;
  }
}

// Inverse kinematics in the leg plane, knee-up solution. out[0] holds the present theta1,
// kept when the target lies on the joint 1 axis.
bool solve_leg(const double target[3], double bx, double by, double out[3]) {
  double dx = target[0] - bx, dy = target[1] - by;
  if (!(dx == 0 && dy == 0)) out[0] = std::atan2(dy, dx);
  double u = std::cos(-out[0]) * dx - std::sin(-out[0]) * dy;
  double r = u - kLink1, h = target[2];
  if (r == 0 && h == 0) return false;
  double alpha = std::atan2(h, r);
  double len = std::sqrt(r * r + h * h);
  double cos_beta = (len * len - kReachConstant) / (2 * len * kLink2);
  if (cos_beta < -1 || cos_beta > 1) return false;
  double t2 = alpha + std::acos(cos_beta);
  double kr = kLink2 * std::cos(t2), kh = kLink2 * std::sin(t2);
  if (kh - h == 0 && kr - r == 0) return false;
  out[1] = t2;
  out[2] = std::atan2(h - kh, r - kr);
  return true;
}

bool check_leg(Controller& c, int leg) {
  if (leg >= 0 && leg <= 3) return true;
  set_mode(c, kEmg);
  fatal_stop(c, "Abnormal Leg No.");
  return false;
}

void solve_reference(Controller& c, int leg) {
  LegServo& s = c.servo[leg];
  if (!Position2angle(c, leg, s.ik_input, s.reference)) {
    set_mode(c, kEmg);
    report_message(c, "EMG:Position2angle()_domain_error");
  }
}

// One acceleration- and speed-limited velocity update of the lead point towards `wanted`.
void advance_lead(Controller& c, int leg, const double wanted[3]) {
  LegServo& s = c.servo[leg];
  const double dt = c.params.sampling_time;
  double a[3];
  for (int k = 0; k < 3; ++k) a[k] = (wanted[k] - s.lead_velocity[k]) / dt;
  clamp_length(a, c.params.active.b1.a_max[leg]);
  double v[3];
  for (int k = 0; k < 3; ++k) v[k] = a[k] * dt + s.lead_velocity[k];
  clamp_length(v, c.params.active.b1.v_max[leg]);
  for (int k = 0; k < 3; ++k) {
    s.lead[k] += v[k] * dt;
    s.lead_velocity[k] = v[k];
  }
}

}  // namespace

void forward_leg(RobotState& st, int leg) {
  const double t1 = st.angle[leg][0], t2 = st.angle[leg][1], t3 = st.angle[leg][2];
  const double c1 = std::cos(t1), s1 = std::sin(t1);
  const double* b = st.point[leg][kBase];
  double* hip = st.point[leg][kHip];
  double* knee = st.point[leg][kKnee];
  double* foot = st.point[leg][kFoot];
  hip[0] = b[0] + kLink1 * c1;
  hip[1] = b[1] + kLink1 * s1;
  hip[2] = b[2];
  knee[0] = hip[0] + kLink2 * c1 * std::cos(t2);
  knee[1] = hip[1] + kLink2 * s1 * std::cos(t2);
  knee[2] = hip[2] + kLink2 * std::sin(t2);
  foot[0] = knee[0] + kLink3 * c1 * std::cos(t3);
  foot[1] = knee[1] + kLink3 * s1 * std::cos(t3);
  foot[2] = knee[2] + kLink3 * std::sin(t3);
}

int Position2angle(Controller& c, int leg, const double target[3], double out[3]) {
  out[0] = c.state.angle[leg][0];
  bool ok = solve_leg(target, kLegBase[leg][0], kLegBase[leg][1], out);
  if (!ok) hold_all(c);
  out[0] = wrap_leg_theta1(leg, out[0]);
  return ok ? 1 : 0;
}

void leg_position_step(Controller& c, int leg) {
  if (!check_leg(c, leg)) return;
  LegServo& s = c.servo[leg];
  if (leg_in_position(c, leg)) {
    for (int k = 0; k < 3; ++k) {
      s.lead[k] = s.goal[k];
      s.ik_input[k] = s.goal[k];
      s.lead_velocity[k] = 0;
    }
  } else {
    double e[3] = {s.goal[0] - s.lead[0], s.goal[1] - s.lead[1], s.goal[2] - s.lead[2]};
    if (length(e) == 0) {
      for (int k = 0; k < 3; ++k) s.lead[k] = s.goal[k];
    } else {
      const double gain = 2 * c.params.active.b1.a_max[leg] / c.params.active.b1.v_max[leg] * 0.99;
      double wanted[3] = {e[0] * gain, e[1] * gain, e[2] * gain};
      advance_lead(c, leg, wanted);
    }
    for (int k = 0; k < 3; ++k) s.ik_input[k] = s.lead[k];
  }
  solve_reference(c, leg);
}

void leg_velocity_step(Controller& c, int leg) {
  if (!check_leg(c, leg)) return;
  LegServo& s = c.servo[leg];
  advance_lead(c, leg, s.velocity_command);
  for (int k = 0; k < 3; ++k) s.ik_input[k] = s.lead[k];
  solve_reference(c, leg);
}

}  // namespace rokan
