// The cycle reuses trigonometry and texts while their inputs stand still, works out rates only
// when they are read and solves the four legs side by side. These runs check, cycle by cycle,
// that what it reused is bit for bit what a fresh computation gives: the leg points against
// forward kinematics without a memo, the reference angles against Position2angle on a
// controller that has never solved anything, the rates against eager updates, a servo pass
// with an unreachable leg against the legs stepped one by one, and the AUTO mode line against
// its format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "core/kinematics.h"
#include "core/modes.h"
#include "core/param_file.h"
#include "core/sensors.h"
#include "core/servo.h"
#include "scenarios/gait_support.h"
#include "support/fake_host.h"

namespace rokan::test {
namespace {

bool same_bits(const double* a, const double* b, int n) {
  return std::memcmp(a, b, sizeof(double) * static_cast<std::size_t>(n)) == 0;
}

// Checks the state and the servo set-points of the cycle just run against fresh computations.
// Returns the number of legs whose reference angles were checked.
int expect_fresh(const Controller& c, const std::string& where) {
  RobotState fresh = c.state;
  for (int leg = 0; leg < 4; ++leg) {
    forward_leg(fresh, leg);
    EXPECT_TRUE(same_bits(&fresh.point[leg][0][0], &c.state.point[leg][0][0], 12))
        << "leg points of leg " << leg + 1 << " " << where;
  }
  if (c.mode.mode != kAuto) return 0;
  FakeHost host;
  Controller solver{host};
  solver.state = c.state;
  int checked = 0;
  for (int leg = 0; leg < 4; ++leg) {
    double out[3];
    if (!Position2angle(solver, leg, c.servo[leg].ik_input, out)) continue;
    EXPECT_TRUE(same_bits(out, c.servo[leg].reference, 3))
        << "reference angles of leg " << leg + 1 << " " << where;
    ++checked;
  }
  return checked;
}

TEST(ReusedResults, WalkingGaitMatchesFreshKinematicsEveryCycle) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(5));
  s.cycles(100);
  s.slider(1, 10.0);  // stride input after the gait captured the sliders
  int checked = 0;
  for (int i = 0; i < 6000 && !HasFailure(); ++i) {
    s.cycle();
    checked += expect_fresh(s.c, "in cycle " + std::to_string(i));
  }
  EXPECT_EQ(s.c.mode.mode, kAuto) << s.status_line();
  EXPECT_GT(s.steps.size(), 4u) << "the gait walked through its steps";
  EXPECT_EQ(checked, 4 * 6000);
}

TEST(ReusedResults, RixProgramMovingEveryLegMatchesFreshKinematicsEveryCycle) {
  RixSession s;
  // Up and down (theta1 kept), then along y and x (theta1 changes), and a stretch of waiting.
  ASSERT_NO_FATAL_FAILURE(
      s.start_program("3.1\nUp, along, down\nINITIAL_POSTURE\nWAIT_INPOS ALL\n"
                      "PTP F1 -301 201 -220 ; PTP F2 301 201 -220 ; PTP F3 -301 -201 -220 ; "
                      "PTP F4 301 -201 -220\nWAIT_INPOS ALL\n"
                      "PTP F1 -301 241 -220 ; PTP F2 321 201 -220\nWAIT_INPOS ALL\n"
                      "SLEEP 0.3\nPTP ALL -301 201 -250\nWAIT_INPOS F1\nEND\n"));
  int cycles = 0;
  for (; cycles < 20000 && s.c.mode.mode == kAuto && !::testing::Test::HasFailure(); ++cycles) {
    s.tick();
    expect_fresh(s.c, "in cycle " + std::to_string(cycles));
  }
  EXPECT_EQ(s.c.mode.mode, kManual) << "the program ended: " << s.status_line();
  EXPECT_GT(cycles, 1000);
}

void expect_same_servo(const LegServo& a, const LegServo& b, int leg) {
  const std::string where = "servo data of leg " + std::to_string(leg + 1);
  EXPECT_EQ(std::memcmp(a.control_mode, b.control_mode, 3), 0) << where;
  EXPECT_EQ(a.inpos_count, b.inpos_count) << where;
  EXPECT_EQ(a.pending, b.pending) << where;
  for (const auto member : {&LegServo::ref_angle, &LegServo::angle_error, &LegServo::order,
                            &LegServo::goal, &LegServo::velocity_command, &LegServo::lead,
                            &LegServo::lead_velocity, &LegServo::ik_input, &LegServo::reference})
    EXPECT_TRUE(same_bits(a.*member, b.*member, 3)) << where;
}

// The rates of the live state, settled now and then (after 1, 2, 3 or 7 cycles, so one or two
// updates are pending), equal those of a copy updated eagerly in every cycle.
TEST(ReusedResults, RatesSettledWhenReadEqualEagerUpdates) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(5));
  s.cycles(100);
  s.slider(1, 10.0);
  settle_rates(s.c);
  RobotState eager = s.c.state;
  const int gaps[] = {1, 2, 3, 7};
  int since = 0, gap = 0, settled = 0;
  for (int i = 0; i < 3000 && !HasFailure(); ++i) {
    s.cycle();
    // The cycle's sensor reading is still in place: the voltages it converted.
    update_state(s.c.sensor, eager, s.c.params.sampling_time);
    update_legs(eager, s.c.params.sampling_time);
    if (++since < gaps[gap % 4]) continue;
    since = 0;
    ++gap;
    settle_rates(s.c);
    ++settled;
    EXPECT_TRUE(same_bits(&eager.omega[0][0], &s.c.state.omega[0][0], 12)) << "cycle " << i;
    EXPECT_TRUE(same_bits(&eager.omega_dot[0][0], &s.c.state.omega_dot[0][0], 12)) << i;
    EXPECT_TRUE(same_bits(&eager.foot_vel[0][0], &s.c.state.foot_vel[0][0], 12)) << i;
    EXPECT_TRUE(same_bits(&eager.foot_acc[0][0], &s.c.state.foot_acc[0][0], 12)) << i;
  }
  EXPECT_GT(settled, 500);
  double moving = 0;
  for (const auto& v : eager.foot_vel) moving += std::fabs(v[0]) + std::fabs(v[1]);
  EXPECT_GT(moving, 0) << "the feet moved, so the rates were not all zero";
}

// Leg 2 is sent out of reach; legs 3 and 4 are on their way when it gets there. In the cycle whose
// servo pass meets the unreachable lead point, the pass that solves the legs together must leave
// what the legs stepped one after the other leave: leg 1 stepped, leg 2 failed (legs held, EMG),
// legs 3 and 4 not stepped at all.
TEST(ReusedResults, UnreachableLegStopsThePassWhereSingleStepsWould) {
  const char* program =
      "3.1\nOut of reach\nINITIAL_POSTURE\nWAIT_INPOS ALL\n"
      "PTP F1 -301 201 -220 ; PTP F2 301 900 -220\nSLEEP 2.8\n"
      "PTP F3 -301 -201 -120 ; PTP F4 301 -321 -220\nWAIT_INPOS ALL\nEND\n";
  const std::string name = current_test_name();
  int emg_cycle = -1;
  {
    RixSession probe(name + "_probe");
    ASSERT_NO_FATAL_FAILURE(probe.start_program(program));
    for (int i = 0; i < 20000 && probe.c.mode.mode == kAuto; ++i) {
      probe.tick();
      if (probe.c.mode.mode == kEmg) emg_cycle = i;
    }
    ASSERT_GE(emg_cycle, 0) << "the program stopped in EMG: " << probe.status_line();
    ASSERT_EQ(probe.status_line(), "EMG:Position2angle()_domain_error");
  }
  RixSession together(name + "_together"), single(name + "_single");
  for (RixSession* s : {&together, &single}) {
    ASSERT_NO_FATAL_FAILURE(s->start_program(program));
    s->tick(emg_cycle);
    // The failing cycle up to its servo pass.
    read_sensors(s->c);
    update_state(s->c);
    update_legs(s->c);
    leg_control(s->c);
    ASSERT_EQ(s->c.mode.mode, kAuto);
  }
  LegServo before[4];
  std::copy(std::begin(single.c.servo), std::end(single.c.servo), before);
  control(together.c);
  // The servo pass as single steps: each leg stepped, stopped at the first EMG.
  for (int leg = 0; leg < 4 && single.c.mode.mode != kEmg; ++leg) {
    leg_position_step(single.c, leg);
    if (single.c.mode.mode == kEmg) break;
    LegServo& sv = single.c.servo[leg];
    for (int j = 0; j < 3; ++j) {
      sv.angle_error[j] = sv.reference[j] - single.c.state.angle[leg][j];
      sv.order[j] = single.c.params.km[leg][j] * sv.angle_error[j];
    }
  }
  EXPECT_EQ(together.c.mode.mode, kEmg);
  EXPECT_EQ(single.c.mode.mode, kEmg);
  EXPECT_EQ(together.status_line(), single.status_line());
  for (int leg = 0; leg < 4; ++leg)
    expect_same_servo(together.c.servo[leg], single.c.servo[leg], leg);
  for (int leg = 2; leg < 4; ++leg)
    EXPECT_TRUE(same_bits(together.c.servo[leg].lead, before[leg].lead, 3))
        << "leg " << leg + 1 << " was not stepped";
  for (int leg = 2; leg < 4; ++leg)
    EXPECT_FALSE(same_bits(before[leg].lead, before[leg].goal, 3))
        << "leg " << leg + 1 << " was on its way: a step would have moved it";
}

struct Memo : ::testing::Test {
  FakeHost host;
  Controller c{host};
  void SetUp() override {
    set_default_params(c.params, c.sensor);
    for (auto& leg : c.sensor.raw)
      for (double& r : leg) r = 2048;
    read_sensors(c);
    prime_state(c);
    hold_all(c);
  }
};

// One leg's lead step as a plain formula, one operation after the other: the rounding every
// output of a moving leg is made with.
void lead_formula(Controller& c, int leg, bool position) {
  LegServo& s = c.servo[leg];
  double wanted[3];
  if (position) {
    if (leg_in_position(c, leg)) {
      for (int k = 0; k < 3; ++k) {
        s.lead[k] = s.ik_input[k] = s.goal[k];
        s.lead_velocity[k] = 0;
      }
      return;
    }
    double e[3];
    for (int k = 0; k < 3; ++k) e[k] = s.goal[k] - s.lead[k];
    if (std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]) == 0) {
      for (int k = 0; k < 3; ++k) s.lead[k] = s.ik_input[k] = s.goal[k];
      return;
    }
    const double gain = 2 * c.params.active.b1.a_max[leg] / c.params.active.b1.v_max[leg] * 0.99;
    for (int k = 0; k < 3; ++k) wanted[k] = e[k] * gain;
  } else {
    for (int k = 0; k < 3; ++k) wanted[k] = s.velocity_command[k];
  }
  const double dt = c.params.sampling_time;
  double a[3], v[3];
  for (int k = 0; k < 3; ++k) a[k] = (wanted[k] - s.lead_velocity[k]) / dt;
  double n = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  if (n > c.params.active.b1.a_max[leg])
    for (int k = 0; k < 3; ++k) a[k] = a[k] / n * c.params.active.b1.a_max[leg];
  for (int k = 0; k < 3; ++k) v[k] = a[k] * dt + s.lead_velocity[k];
  n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (n > c.params.active.b1.v_max[leg])
    for (int k = 0; k < 3; ++k) v[k] = v[k] / n * c.params.active.b1.v_max[leg];
  for (int k = 0; k < 3; ++k) {
    s.lead[k] += v[k] * dt;
    s.lead_velocity[k] = v[k];
    s.ik_input[k] = s.lead[k];
  }
}

// The four lead points stepped side by side against the formula leg by leg: each leg with its
// own A_MAX and V_MAX, one leg in velocity control, one whose lead point sits on its goal with
// the foot far away, one that creeps into position and stays there, one that accelerates, runs
// at V_MAX and brakes. The first leg is sent on again halfway, so it moves while the others
// rest.
TEST(ReusedResults, LeadPointsSteppedTogetherFollowTheOneLegFormula) {
  FakeHost host_a, host_b;
  Controller together{host_a}, formula{host_b};
  for (Controller* c : {&together, &formula}) {
    set_default_params(c->params, c->sensor);
    for (auto& leg : c->sensor.raw)
      for (double& r : leg) r = 2048;
    read_sensors(*c);
    prime_state(*c);
    hold_all(*c);
    auto& b1 = c->params.active.b1;
    const double a_max[4] = {480, 730, 510, 615}, v_max[4] = {95, 130, 70, 110};
    for (int leg = 0; leg < 4; ++leg) {
      b1.a_max[leg] = a_max[leg];
      b1.v_max[leg] = v_max[leg];
      LegServo& s = c->servo[leg];
      s.inpos_count = 10;
      for (int k = 0; k < 3; ++k) s.lead[k] = s.goal[k];
    }
    c->servo[0].goal[0] -= 100;
    c->servo[0].goal[2] += 37.5;
    c->servo[1].velocity_command[1] = 250;
    c->servo[1].velocity_command[2] = -40;
    for (int k = 0; k < 3; ++k) c->servo[2].lead[k] = c->servo[2].goal[k] += 20;
    c->servo[2].lead_velocity[0] = 3;
    c->servo[3].goal[1] += 0.25;  // within the position tolerance of the foot
  }
  const bool position[4] = {true, false, true, true};
  int in_position = 0;
  for (int i = 0; i < 4000 && !HasFailure(); ++i) {
    if (i == 2000)
      for (Controller* c : {&together, &formula}) c->servo[0].goal[1] += 60;
    step_leads(together, position);
    for (int leg = 0; leg < 4; ++leg) lead_formula(formula, leg, position[leg]);
    for (int leg = 0; leg < 4; ++leg) {
      const LegServo& a = together.servo[leg];
      const LegServo& b = formula.servo[leg];
      const std::string where = "leg " + std::to_string(leg + 1) + " cycle " + std::to_string(i);
      EXPECT_TRUE(same_bits(a.lead, b.lead, 3)) << where;
      EXPECT_TRUE(same_bits(a.lead_velocity, b.lead_velocity, 3)) << where;
      EXPECT_TRUE(same_bits(a.ik_input, b.ik_input, 3)) << where;
      EXPECT_EQ(a.inpos_count, b.inpos_count) << where;
    }
    in_position += together.servo[3].inpos_count <= 0;
  }
  EXPECT_GT(in_position, 3000) << "leg 4 came into position";
  const double* v = together.servo[1].lead_velocity;
  EXPECT_NEAR(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), 130, 1e-9)
      << "leg 2 follows its command at its own V_MAX";
  EXPECT_EQ(together.servo[2].lead_velocity[0], 3) << "leg 3 keeps its velocity on the goal";
  const double* lead = together.servo[0].lead;
  const double* goal = together.servo[0].goal;
  EXPECT_LT(std::fabs(lead[0] - goal[0]) + std::fabs(lead[1] - goal[1]), 1e-6)
      << "leg 1 reached its second goal";
}

// The sines of -0.0 and +0.0 differ in sign; a memo that compared angles with == would hand
// out the wrong one.
TEST_F(Memo, SignedZeroAnglesAreNotTakenForEachOther) {
  AngleTrig trig[3];
  c.state.angle[1][1] = 0.0;
  forward_leg(c.state, 1, trig);
  c.state.angle[1][1] = -0.0;
  forward_leg(c.state, 1, trig);
  EXPECT_TRUE(std::signbit(trig[1].sin));
  RobotState fresh = c.state;
  forward_leg(fresh, 1);
  EXPECT_TRUE(same_bits(&fresh.point[1][0][0], &c.state.point[1][0][0], 12));
}

// Straight above the base the solution keeps the leg's present theta1: the same target must
// give a different answer once the leg has turned.
TEST_F(Memo, TargetOnTheJointOneAxisFollowsThePresentTheta1) {
  const double above_base[3] = {101, 201, -300};
  double first[3], second[3];
  c.state.angle[1][0] = 0.5;
  ASSERT_TRUE(Position2angle(c, 1, above_base, first));
  c.state.angle[1][0] = -0.25;
  ASSERT_TRUE(Position2angle(c, 1, above_base, second));
  EXPECT_EQ(first[0], 0.5);
  EXPECT_EQ(second[0], -0.25);
}

// Every failing solution holds the legs again, also when the same target failed just before.
TEST_F(Memo, RepeatedUnreachableTargetHoldsTheLegsEachTime) {
  const double far[3] = {-1000, 201, -250};
  double out[3];
  EXPECT_FALSE(Position2angle(c, 0, far, out));
  c.servo[2].goal[2] = -200;
  c.servo[2].control_mode[0] = kVelocityControl;
  EXPECT_FALSE(Position2angle(c, 0, far, out));
  EXPECT_EQ(c.servo[2].goal[2], c.state.point[2][kFoot][2]) << "goal held at the foot again";
  EXPECT_EQ(c.servo[2].control_mode[0], kPositionControl);
}

// A foot moved straight down keeps theta1 and its rotation; the rest must still be solved anew.
TEST_F(Memo, VerticalMoveAfterAHorizontalOneSolvesLikeAFreshController) {
  const double targets[][3] = {{-301, 201, -250},
                               {-321, 221, -250},
                               {-321, 221, -200},
                               {-321, 221, -200},
                               {-301, 201, -200}};
  for (const auto& t : targets) {
    double kept[3], fresh[3];
    ASSERT_TRUE(Position2angle(c, 0, t, kept));
    FakeHost other_host;
    Controller other{other_host};
    other.state = c.state;
    ASSERT_TRUE(Position2angle(other, 0, t, fresh));
    EXPECT_TRUE(same_bits(kept, fresh, 3)) << "target " << t[0] << " " << t[1] << " " << t[2];
  }
}

// The running program's mode line follows its step and the reserved stop, although it is only
// formatted again when one of them changes.
TEST(ReusedResults, RunningModeLineFollowsStepAndReservedStop) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(5));
  // The line is set before the program's step in each cycle: it shows the step the cycle began
  // with.
  auto cycle_shows = [&](const std::string& suffix) {
    const int step = s.c.mode.auto_step;
    s.cycle();
    EXPECT_EQ(cp932_to_utf8(s.c.console.lines[0]),
              "AUTO:自動プログラム動作中 [5:" + std::to_string(step) + "]" + suffix);
  };
  s.cycles(3);
  cycle_shows("");
  s.c.mode.stop_reserved = 1;
  cycle_shows("  終了待ち");
  s.c.mode.stop_reserved = 0;
  cycle_shows("");
  s.slider(1, 10.0);
  const int first = s.c.mode.auto_step;
  std::set<int> shown;
  for (int i = 0; i < 20000 && shown.size() < 4 && !HasFailure(); ++i) {
    shown.insert(s.c.mode.auto_step);
    cycle_shows("");
  }
  EXPECT_GE(shown.size(), 4u) << "the gait went on from step " << first;
}

}  // namespace
}  // namespace rokan::test
