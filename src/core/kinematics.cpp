#include "core/kinematics.h"

#include <bit>
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

// The value, taken into a register by itself. Changes nothing but how it is loaded.
double scalar_read(double v) {
#if defined(__x86_64__) || defined(__i386__)
  asm("" : "+x"(v));
#endif
  return v;
}

void refresh(AngleTrig& t, double angle) {
  const uint64_t bits = std::bit_cast<uint64_t>(angle);
  if (t.valid && t.bits == bits) return;
  // One sincos call, the call the compiler makes of a cos and a sin of one angle, so a kept
  // value is the very one a fresh evaluation gives.
  ::sincos(angle, &t.sin, &t.cos);
  t.bits = bits;
  t.valid = true;
}

// Inverse kinematics in the leg plane, knee-up solution. out[0] holds the present theta1,
// kept when the target lies on the joint 1 axis.
bool solve_leg(const double target[3], double bx, double by, double out[3], IkMemo& memo) {
  double dx = target[0] - bx, dy = target[1] - by;
  if (!(dx == 0 && dy == 0)) {
    const uint64_t key[2] = {std::bit_cast<uint64_t>(dx), std::bit_cast<uint64_t>(dy)};
    if (!memo.theta1_valid || key[0] != memo.offset[0] || key[1] != memo.offset[1]) {
      memo.theta1 = std::atan2(dy, dx);
      memo.offset[0] = key[0];
      memo.offset[1] = key[1];
      memo.theta1_valid = true;
    }
    out[0] = memo.theta1;
  }
  refresh(memo.rotation, -out[0]);
  double u = memo.rotation.cos * dx - memo.rotation.sin * dy;
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
  if (valid_leg(leg)) return true;
  set_mode(c, kEmg);
  fatal_stop(c, "Abnormal Leg No.");
  return false;
}

void solve_reference(Controller& c, int leg) {
  LegServo& s = c.servo[leg];
  if (!Position2angle(c, leg, s.ik_input, s.reference)) {
    emergency_stop(c, "EMG:Position2angle()_domain_error");
  }
}

// The first half of a position-control lead step: settles the lead point on the goal (and
// says false) when the leg is in position or there already, else sets `wanted`, the velocity
// the lead point is to approach, and says true.
bool position_lead_wanted(Controller& c, int leg, double wanted[3]) {
  LegServo& s = c.servo[leg];
  if (leg_in_position(c, leg)) {
    for (int k = 0; k < 3; ++k) {
      s.lead[k] = s.goal[k];
      s.ik_input[k] = s.goal[k];
      s.lead_velocity[k] = 0;
    }
    return false;
  }
  const double e[3] = {s.goal[0] - s.lead[0], s.goal[1] - s.lead[1], s.goal[2] - s.lead[2]};
  // The length of e is zero exactly when the sum of its squares is (a square root is zero only
  // of zero), so the test needs no square root.
  if (e[0] * e[0] + e[1] * e[1] + e[2] * e[2] == 0) {
    for (int k = 0; k < 3; ++k) s.lead[k] = s.ik_input[k] = s.goal[k];
    return false;
  }
  const double gain = 2 * c.params.active.b1.a_max[leg] / c.params.active.b1.v_max[leg] * 0.99;
  for (int k = 0; k < 3; ++k) wanted[k] = e[k] * gain;
  return true;
}

// One acceleration- and speed-limited velocity update of the lead point towards wanted[leg],
// for each leg whose `moves` is set, and the inverse kinematics input from it. The legs are
// independent chains of divisions and square roots; taken step by step side by side (and kept
// in registers rather than handed to a function through memory) the processor overlaps them.
// Each leg's arithmetic is that of one leg alone, in the same order: the acceleration towards
// the wanted velocity, clamped to A_MAX, the velocity from it, clamped to V_MAX, the lead point
// moved by it.
void advance_leads(Controller& c, const bool moves[kLegCount], const double wanted[][3]) {
  const double dt = c.params.sampling_time;
  double a[kLegCount][3], n[kLegCount];
  for (int leg = 0; leg < kLegCount; ++leg) {
    if (!moves[leg]) continue;
    const double* lv = c.servo[leg].lead_velocity;
    for (int k = 0; k < 3; ++k) a[leg][k] = (wanted[leg][k] - lv[k]) / dt;
  }
  for (int leg = 0; leg < kLegCount; ++leg)
    if (moves[leg]) n[leg] = length(a[leg]);
  for (int leg = 0; leg < kLegCount; ++leg) {
    if (!moves[leg]) continue;
    const double limit = c.params.active.b1.a_max[leg];
    if (n[leg] > limit)
      for (int k = 0; k < 3; ++k) a[leg][k] = a[leg][k] / n[leg] * limit;
    const double* lv = c.servo[leg].lead_velocity;
    for (int k = 0; k < 3; ++k) a[leg][k] = a[leg][k] * dt + lv[k];  // now the velocity
  }
  for (int leg = 0; leg < kLegCount; ++leg)
    if (moves[leg]) n[leg] = length(a[leg]);
  for (int leg = 0; leg < kLegCount; ++leg) {
    if (!moves[leg]) continue;
    const double limit = c.params.active.b1.v_max[leg];
    double* v = a[leg];
    if (n[leg] > limit)
      for (int k = 0; k < 3; ++k) v[k] = v[k] / n[leg] * limit;
    LegServo& s = c.servo[leg];
    for (int k = 0; k < 3; ++k) {
      s.lead[k] += v[k] * dt;
      s.lead_velocity[k] = v[k];
      s.ik_input[k] = s.lead[k];
    }
  }
}

}  // namespace

void forward_leg(RobotState& st, int leg) {
  AngleTrig trig[3];
  forward_leg(st, leg, trig);
}

void forward_leg(RobotState& st, int leg, AngleTrig trig[3]) {
  for (int j = 0; j < kJointsPerLeg; ++j) refresh(trig[j], st.angle[leg][j]);
  const double c1 = trig[0].cos, s1 = trig[0].sin;
  const double* b = st.point[leg][kBase];
  double* hip = st.point[leg][kHip];
  double* knee = st.point[leg][kKnee];
  double* foot = st.point[leg][kFoot];
  hip[0] = b[0] + kLink1 * c1;
  hip[1] = b[1] + kLink1 * s1;
  hip[2] = b[2];
  knee[0] = hip[0] + kLink2 * c1 * trig[1].cos;
  knee[1] = hip[1] + kLink2 * s1 * trig[1].cos;
  knee[2] = hip[2] + kLink2 * trig[1].sin;
  foot[0] = knee[0] + kLink3 * c1 * trig[2].cos;
  foot[1] = knee[1] + kLink3 * s1 * trig[2].cos;
  foot[2] = knee[2] + kLink3 * trig[2].sin;
}

bool Position2angle(Controller& c, int leg, const double target[3], double out[3]) {
  IkMemo& memo = c.kin_memo.ik[leg];
  const uint64_t key[3] = {std::bit_cast<uint64_t>(target[0]), std::bit_cast<uint64_t>(target[1]),
                           std::bit_cast<uint64_t>(target[2])};
  if (memo.valid && key[0] == memo.target[0] && key[1] == memo.target[1] &&
      key[2] == memo.target[2]) {
    for (int k = 0; k < 3; ++k) out[k] = memo.out[k];
    return true;
  }
  const double bx = kLegBase[leg][0], by = kLegBase[leg][1];
  out[0] = c.state.angle[leg][0];
  bool ok = solve_leg(target, bx, by, out, memo);
  if (!ok) hold_all(c);
  out[0] = wrap_leg_theta1(leg, out[0]);
  // On the joint 1 axis the result keeps the present theta1, so it depends on more than the
  // target; failures are not kept either (each one holds the legs again).
  memo.valid = ok && !(target[0] - bx == 0 && target[1] - by == 0);
  if (memo.valid) {
    for (int k = 0; k < 3; ++k) {
      memo.target[k] = key[k];
      memo.out[k] = out[k];
    }
  }
  return ok;
}

void solve_references(Controller& c, bool ok[kLegCount]) {
  // The steps of solve_leg, each taken for every leg before the next: a leg's solution is one
  // chain of dependent library calls, the legs' chains are independent, and calls side by side
  // let the processor overlap them. The expressions are solve_leg's, in its order.
  struct Leg {
    bool solving;      // not answered by the whole-target memo, not failed yet
    bool on_axis;      // the target lies on the joint 1 axis: theta1 stays as it is
    uint64_t key[3];   // bit patterns of the target
    double dx, dy, h;  // target from the base; h is its height
    double r, alpha, len, cos_beta, t2, kr, kh;
    double out[3];
  } w[kLegCount];
  for (int leg = 0; leg < kLegCount; ++leg) {
    Leg& l = w[leg];
    IkMemo& memo = c.kin_memo.ik[leg];
    const double* target = c.servo[leg].ik_input;
    for (int k = 0; k < 3; ++k) l.key[k] = std::bit_cast<uint64_t>(target[k]);
    if (memo.valid && l.key[0] == memo.target[0] && l.key[1] == memo.target[1] &&
        l.key[2] == memo.target[2]) {
      for (int k = 0; k < 3; ++k) c.servo[leg].reference[k] = memo.out[k];
      ok[leg] = true;
      l.solving = false;
      continue;
    }
    ok[leg] = false;
    l.solving = true;
    l.out[0] = c.state.angle[leg][0];
    l.dx = target[0] - kLegBase[leg][0];
    l.dy = target[1] - kLegBase[leg][1];
    l.h = target[2];
    l.on_axis = l.dx == 0 && l.dy == 0;
    if (!l.on_axis) {
      const uint64_t key[2] = {std::bit_cast<uint64_t>(l.dx), std::bit_cast<uint64_t>(l.dy)};
      if (!memo.theta1_valid || key[0] != memo.offset[0] || key[1] != memo.offset[1]) {
        memo.theta1 = std::atan2(l.dy, l.dx);
        memo.offset[0] = key[0];
        memo.offset[1] = key[1];
        memo.theta1_valid = true;
      }
      l.out[0] = memo.theta1;
    }
  }
  for (int leg = 0; leg < kLegCount; ++leg)
    if (w[leg].solving) refresh(c.kin_memo.ik[leg].rotation, -w[leg].out[0]);
  for (int leg = 0; leg < kLegCount; ++leg) {
    Leg& l = w[leg];
    if (!l.solving) continue;
    const AngleTrig& rot = c.kin_memo.ik[leg].rotation;
    double u = rot.cos * l.dx - rot.sin * l.dy;
    l.r = u - kLink1;
    if (l.r == 0 && l.h == 0) {
      l.solving = false;
      continue;
    }
    l.alpha = std::atan2(l.h, l.r);
  }
  for (int leg = 0; leg < kLegCount; ++leg) {
    Leg& l = w[leg];
    if (!l.solving) continue;
    l.len = std::sqrt(l.r * l.r + l.h * l.h);
    l.cos_beta = (l.len * l.len - kReachConstant) / (2 * l.len * kLink2);
    if (l.cos_beta < -1 || l.cos_beta > 1) {
      l.solving = false;
      continue;
    }
    l.t2 = l.alpha + std::acos(l.cos_beta);
  }
  for (int leg = 0; leg < kLegCount; ++leg) {
    Leg& l = w[leg];
    if (!l.solving) continue;
    double cos_t2, sin_t2;
    ::sincos(l.t2, &sin_t2, &cos_t2);  // the call solve_leg's cos and sin of t2 compile to
    // Each read on its own: the library stores the two results one by one, and a load of both
    // at once (for a packed multiplication) would wait for the stores to reach the cache.
    l.kr = kLink2 * scalar_read(cos_t2);
    l.kh = kLink2 * scalar_read(sin_t2);
    if (l.kh - l.h == 0 && l.kr - l.r == 0) l.solving = false;
  }
  for (int leg = 0; leg < kLegCount; ++leg) {
    Leg& l = w[leg];
    if (!l.solving) continue;
    l.out[1] = l.t2;
    l.out[2] = std::atan2(l.h - l.kh, l.r - l.kr);
    // Success: what Position2angle hands out and keeps.
    double* ref = c.servo[leg].reference;
    ref[0] = wrap_leg_theta1(leg, l.out[0]);
    ref[1] = l.out[1];
    ref[2] = l.out[2];
    ok[leg] = true;
    IkMemo& memo = c.kin_memo.ik[leg];
    memo.valid = !l.on_axis;
    if (memo.valid) {
      for (int k = 0; k < 3; ++k) {
        memo.target[k] = l.key[k];
        memo.out[k] = ref[k];
      }
    }
  }
}

void leg_position_lead(Controller& c, int leg) {
  bool moves[kLegCount] = {};
  double wanted[kLegCount][3];
  moves[leg] = position_lead_wanted(c, leg, wanted[leg]);
  if (moves[leg]) advance_leads(c, moves, wanted);
}

void leg_velocity_lead(Controller& c, int leg) {
  bool moves[kLegCount] = {};
  moves[leg] = true;
  double wanted[kLegCount][3];
  for (int k = 0; k < 3; ++k) wanted[leg][k] = c.servo[leg].velocity_command[k];
  advance_leads(c, moves, wanted);
}

void step_leads(Controller& c, const bool position[kLegCount]) {
  bool moves[kLegCount];
  double wanted[kLegCount][3];
  for (int leg = 0; leg < kLegCount; ++leg) {
    if (position[leg]) {
      moves[leg] = position_lead_wanted(c, leg, wanted[leg]);
    } else {
      moves[leg] = true;
      for (int k = 0; k < 3; ++k) wanted[leg][k] = c.servo[leg].velocity_command[k];
    }
  }
  advance_leads(c, moves, wanted);
}

void leg_position_step(Controller& c, int leg) {
  if (!check_leg(c, leg)) return;
  leg_position_lead(c, leg);
  solve_reference(c, leg);
}

void leg_velocity_step(Controller& c, int leg) {
  if (!check_leg(c, leg)) return;
  leg_velocity_lead(c, leg);
  solve_reference(c, leg);
}

void solve_leg_reference(Controller& c, int leg) {
  solve_reference(c, leg);
}

}  // namespace rokan
