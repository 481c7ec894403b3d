// Motion commands. They hand goals and limits to the motion layer, which the servo carries out
// over the following cycles; only the waiting commands (STAND_UP, SIT_DOWN, WAIT_INPOS,
// WAIT_NEAR, DETECT_FLOOR) keep the program counter until their completion test holds.
//
// Values are checked here before the motion layer sees them, so a bad value in a program stops
// it with its RIX error instead of the motion layer's emergency stop.
#include <climits>
#include <cmath>

#include "console/console.h"
#include "core/controller.h"
#include "core/modes.h"
#include "core/servo.h"
#include "motion/motion.h"
#include "rix/runtime/exec.h"

namespace rokan::rixrt {
namespace {

constexpr double kStandSitRate = 50;  // percent of the velocity limit while standing or sitting

// Legs selected by a leg number (-1 = all): first and one past the last.
void leg_span(int leg, int& from, int& to) {
  from = leg < 0 ? 0 : leg;
  to = leg < 0 ? 4 : leg + 1;
}

bool is_general_kind(uint8_t kind) {
  return split_kind(kind).plain == rix::VAR;
}

// Slot 0 as a general variable of any kind or a CONSTANT (error 30 otherwise).
bool read_general_or_constant(Exec& x, double& out) {
  const uint8_t kind = x.ins.arg_type[0];
  if (kind == rix::CONSTANT) {
    out = x.ins.arg_value[0];
    return true;
  }
  if (!is_general_kind(kind)) return fail(x, RixError::kArgument);
  return read_general(x, kind, x.ins.arg_value[0], out);
}

// One coordinate of a PTP goal from slot `slot`; `base` is the present foot coordinate.
bool ptp_coordinate(Exec& x, int slot, double base, double& out) {
  const uint8_t kind = x.ins.arg_type[slot];
  const double value = x.ins.arg_value[slot];
  if (kind == rix::CONSTANT) {
    out = value;
    return true;
  }
  if (kind == rix::REL_CONSTANT) {
    out = value + base;
    return true;
  }
  const KindParts p = split_kind(kind);
  double v = 0;
  if (p.plain == rix::VAR) {
    if (!read_general(x, kind, value, v)) return false;
  } else if (p.plain >= rix::POS_X && p.plain <= rix::POS_Z) {
    const uint8_t plain_kind = p.plain;
    if (!read_scalar(x, plain_kind, value, v)) return false;
    if (p.minus) v = -v;
  } else {
    return fail(x, RixError::kArgument);
  }
  out = p.rel ? v + base : v;
  return true;
}

// The goal of a PTP for `leg`.
bool ptp_goal(Exec& x, int leg, double goal[3]) {
  const double* base = x.c.state.point[leg][kFoot];
  const KindParts whole = split_kind(x.ins.arg_type[0]);
  if (whole.plain == rix::POS) {
    if (!read_vector(x, false, x.ins.arg_value[0], goal)) return false;
    for (int i = 0; i < 3; ++i) {
      if (whole.minus) goal[i] = -goal[i];
      if (whole.rel) goal[i] += base[i];
    }
    return true;
  }
  for (int i = 0; i < 3; ++i)
    if (!ptp_coordinate(x, i, base[i], goal[i])) return false;
  return true;
}

bool all_finite(const double v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The limit family: slot 0 and the present reference value give the new limit of one leg.
bool new_limit(Exec& x, uint8_t set, uint8_t rate, uint8_t slow, double ref, double& out) {
  const uint8_t cmd = x.ins.command;
  if (cmd == set) {
    if (!read_constant_or_var(x, 0, out)) return false;
  } else if (cmd == rate) {
    double r = 0;
    if (!read_constant_or_var(x, 0, r)) return false;
    if (!(r > 0 && r <= 100)) return fail(x, RixError::kDomain);
    out = ref * r * 0.01;
  } else if (cmd >= slow && cmd <= slow + 2) {
    if (!require_none(x, 0, 0)) return false;
    static constexpr double kFactor[] = {0.5, 1.5, 1.0};  // SLOW, FAST, NORMAL
    out = kFactor[cmd - slow] * ref;
  } else {
    return fail(x, RixError::kSevere);
  }
  return (out > 0 && std::isfinite(out)) || fail(x, RixError::kDomain);
}

// SET_A_MAX and SET_V_MAX families: the new limit becomes both the limit in force and the
// leg's reference value, so RATE, SLOW and FAST start from the value set last.
void set_limit(Exec& x, bool velocity) {
  int leg = 0;
  if (!require_none(x, 1, 2) || !resolve_legs(x, leg)) return;
  int from = 0, to = 0;
  leg_span(leg, from, to);
  double limit[4] = {};
  Limits& ref = x.c.params.auto_ref;
  for (int k = from; k < to; ++k) {
    const bool ok = velocity ? new_limit(x, rix::SET_V_MAX, rix::SET_V_MAX_RATE,
                                         rix::SET_V_MAX_SLOW, ref.b1.v_max[k], limit[k])
                             : new_limit(x, rix::SET_A_MAX, rix::SET_A_MAX_RATE,
                                         rix::SET_A_MAX_SLOW, ref.b1.a_max[k], limit[k]);
    if (!ok) return;
  }
  for (int k = from; k < to; ++k) {
    if (velocity)
      set_v_max(x.c, k, limit[k]);
    else
      set_a_max(x.c, k, limit[k]);
  }
}

}  // namespace

void h_ptp(Exec& x) {
  int leg = 0;
  if (!resolve_legs(x, leg)) return;
  int from = 0, to = 0;
  leg_span(leg, from, to);
  for (int k = from; k < to; ++k) {
    double goal[3];
    if (!ptp_goal(x, k, goal)) return;
    if (!all_finite(goal)) {
      fail(x, RixError::kDomain);
      return;
    }
    if (!move_leg_to(x.c, k, goal[0], goal[1], goal[2])) return;
  }
}

void h_initial_posture(Exec& x) {
  initial_posture_moves_or_stop(x.c);
}

void h_stand_sit(Exec& x) {
  Controller& c = x.c;
  if (x.first) {
    double h = 0;
    if (!require_none(x, 1, 2) || !read_general_or_constant(x, h)) return;
    const double dz = x.ins.command == rix::STAND_UP ? -h : h;
    for (int k = 0; k < 4; ++k) set_v_max_percent(c, k, kStandSitRate);
    for (int k = 0; k < 4; ++k) move_leg_by(c, k, 0, 0, dz);
    return;
  }
  if (!all_legs_in_position(c)) return;
  for (int k = 0; k < 4; ++k) set_v_max_percent(c, k, 100);
  ++x.image.pc;
}

void h_wait(Exec& x) {
  Controller& c = x.c;
  if (!require_none(x, 0, 2)) return;
  const bool near = x.ins.command == rix::WAIT_NEAR;
  const uint8_t t = x.ins.target;
  int leg = 0, joint = 0;
  bool done = false;
  if (t == rix::TARGET_ALL) {
    done = near ? (all_legs_near(c) && all_joints_near(c))
                : (all_legs_in_position(c) && all_joints_in_position(c));
  } else if (t >= rix::TARGET_F1 && t < rix::TARGET_F1 + 4) {
    leg = t - rix::TARGET_F1;
    done = near ? leg_near(c, leg) : leg_in_position(c, leg);
  } else if (joint_of_target(t, leg, joint)) {
    done = near ? joint_near(c, leg, joint) : joint_in_position(c, leg, joint);
  } else {
    fail(x, RixError::kArgument);
    return;
  }
  if (done) ++x.image.pc;
}

void h_teach(Exec& x) {
  const Controller& c = x.c;
  const RixInstruction& ins = x.ins;
  int leg = 0, joint = 0;
  if (!require_none(x, 1, 2) || !resolve_leg_or_joint(x, leg, joint)) return;
  if (leg < 0) {
    fail(x, RixError::kUndefinedTarget);  // ALL names neither one leg nor one joint
    return;
  }
  const uint8_t kind = ins.arg_type[0];
  if (ins.command == rix::TEACH_POSITION) {
    if (kind != rix::POS) {
      fail(x, RixError::kArgument);
      return;
    }
    // A joint target teaches the point where that joint sits: base, hip or knee.
    write_vector(x, false, ins.arg_value[0], c.state.point[leg][joint < 0 ? kFoot : joint]);
    return;
  }
  // TEACH_ANGLE stores the chain-form angles as the robot state holds them (radians).
  const KindParts p = split_kind(kind);
  const bool joint_kind =
      p.plain == rix::JNT || (p.plain >= rix::JNT_1 && p.plain <= rix::JNT_1 + 2);
  if (kind != rix::VAR && !joint_kind) {
    fail(x, RixError::kArgument);
    return;
  }
  if (joint < 0) {
    // A leg: its three angles into the joint variable, whatever component the kind names.
    if (kind == rix::VAR) {
      fail(x, RixError::kSevere);
      return;
    }
    write_vector(x, true, ins.arg_value[0], c.state.angle[leg]);
    return;
  }
  // One joint: its angle into a general variable or a joint variable component.
  if (kind == rix::VAR || (joint_kind && p.plain != rix::JNT && !p.rel && !p.minus)) {
    write_scalar(x, kind, ins.arg_value[0], c.state.angle[leg][joint]);
    return;
  }
  fail(x, RixError::kSevere);
}

void h_detect_floor(Exec& x) {
  int leg = 0, joint = 0;
  if (!resolve_leg_or_joint(x, leg, joint)) return;
  if (joint >= 0) {
    fail(x, RixError::kUndefinedTarget);
    return;
  }
  double mode = 0;
  if (!require_none(x, 1, 2) || !read_general_or_constant(x, mode)) return;
  if (!(mode >= 1 && mode < 4)) {
    fail(x, RixError::kArgument);
    return;
  }
  if (!detect_floor(x.c, x.first, static_cast<int>(mode), leg)) return;
  int from = 0, to = 0;
  leg_span(leg, from, to);
  for (int k = from; k < to; ++k) move_leg_by(x.c, k, 0, 0, 0);  // hold where the paw is
  ++x.image.pc;
}

void h_set_a_max(Exec& x) {
  set_limit(x, false);
}

void h_set_v_max(Exec& x) {
  set_limit(x, true);
}

void h_set_tolerance_position(Exec& x) {
  int leg = 0;
  double value = 0;
  if (!require_none(x, 1, 2) || !resolve_legs(x, leg) || !read_constant_or_var(x, 0, value)) return;
  if (!(value > 0) || !std::isfinite(value)) {
    fail(x, RixError::kDomain);
    return;
  }
  const bool just = x.ins.command == rix::SET_JUST_POSITION;
  int from = 0, to = 0;
  leg_span(leg, from, to);
  LimitBlock2& b = x.c.params.active.b2;
  for (int k = from; k < to; ++k) (just ? b.position_err : b.position_err_near)[k] = value;
}

// Angle tolerances are written in degrees in programs and held in radians.
void h_set_tolerance_angle(Exec& x) {
  const RixInstruction& ins = x.ins;
  int leg = 0, joint = 0;
  if (!resolve_leg_or_joint(x, leg, joint)) return;
  // A leg (or all legs) takes one value for its three joints, a joint variable, or three values
  // in slots 0..2, one per joint; a single joint takes one value.
  const bool three_values = !is_none(ins, 1) || !is_none(ins, 2);
  double deg[3];
  if (three_values) {
    if (joint >= 0) {
      fail(x, RixError::kArgument);
      return;
    }
    for (int j = 0; j < 3; ++j)
      if (!read_constant_or_var(x, j, deg[j])) return;
  } else if (ins.arg_type[0] == rix::JNT) {
    if (!read_vector(x, true, ins.arg_value[0], deg)) return;
  } else {
    if (!read_constant_or_var(x, 0, deg[0])) return;
    deg[1] = deg[2] = deg[0];
  }
  for (double d : deg) {
    if (!(d > 0) || !std::isfinite(d)) {
      fail(x, RixError::kDomain);
      return;
    }
  }
  const bool just = ins.command == rix::SET_JUST_ANGLE;
  LimitBlock2& b = x.c.params.active.b2;
  int from = 0, to = 0;
  leg_span(leg, from, to);
  for (int k = from; k < to; ++k) {
    for (int j = 0; j < 3; ++j) {
      if (joint >= 0 && j != joint) continue;
      (just ? b.angle_err : b.angle_err_near)[k][j] = deg_to_rad(deg[j]);
    }
  }
}

void h_set_sampling(Exec& x) {
  double v = 0;
  if (!require_none(x, 1, 2) || !read_constant_or_var(x, 0, v)) return;
  if (!(v > 0)) {
    fail(x, RixError::kDomain);
    return;
  }
  const double period_us =
      x.ins.command == rix::SET_SAMPLING_TIME ? 1000.0 * v : (1.0 / v) * 1000.0 * 1000.0;
  const double seconds = period_us * 0.000001;
  // The timer takes whole milliseconds in an int; a period it cannot hold is refused.
  if (!(seconds > 0) || !(seconds * 1000.0 < static_cast<double>(INT_MAX))) {
    fail(x, RixError::kDomain);
    return;
  }
  // The sampling timer hooks (stop, set the period, start) have nothing to do here: the cycle
  // re-arms the timer from the sampling time at its end.
  x.c.params.sampling_time = seconds;
}

}  // namespace rokan::rixrt
