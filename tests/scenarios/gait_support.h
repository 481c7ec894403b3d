// A scripted session for the built-in AUTO programs: brings the robot to its initial posture,
// enters AUTO and starts a program, then runs cycle by cycle so that a test can stop at a given
// AUTO step and compare the feet with the gait tables.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/modes.h"
#include "platform/text.h"
#include "support/scripted_session.h"

namespace rokan::test {

using Xyz = std::array<double, 3>;
using Feet = std::array<Xyz, 4>;

// Foot positions are in position once within POSITION_ERR (5 mm in the bundled rokan.ini) on
// every axis; goals come straight from the tables and match exactly.
inline constexpr double kFootTolerance = 5.0;

inline std::string current_test_name() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

class GaitSession : public ScriptedSession {
 public:
  explicit GaitSession(const std::string& name) : ScriptedSession("gait_" + name) {}

  // Start-up, ORIGIN, I until the initial posture is reached, AUTO, program n and S. The program
  // takes its first step in the next cycle.
  void start_program(int n) {
    start();
    run("key O\ntick 1\nkey I\ntick 1\n");
    ASSERT_TRUE(run_until([this] { return c.mode.initial_reached == 1; }, 10000));
    run(format("key A\ntick 1\nkey %d\ntick 1\nkey S\ntick 1\n", n));
    ASSERT_EQ(c.mode.auto_running, 1);
    steps.clear();
  }

  // One sampling cycle; records the AUTO step when it changed.
  void cycle() {
    host.append(one_tick_);
    host.run();
    if (c.mode.mode == kAuto && (steps.empty() || steps.back() != c.mode.auto_step))
      steps.push_back(c.mode.auto_step);
  }
  void cycles(int n) {
    for (int i = 0; i < n; ++i) cycle();
  }
  // Runs cycles until `done` holds; false after `limit` cycles or when the run stopped in EMG.
  bool run_until(const std::function<bool()>& done, int limit = 60000) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      if (get_mode(c) == kEmg) {
        ADD_FAILURE() << "EMG: " << status_line();
        return false;
      }
      cycle();
    }
    ADD_FAILURE() << "not reached within " << limit << " cycles (AUTO step "
                  << int(c.mode.auto_step) << ")";
    return false;
  }
  // Runs until the AUTO step is `step` and no leg is moving: every move issued by the steps
  // before it is done, and `step` itself has not run yet.
  bool settle_at(int step, int limit = 60000) {
    return run_until([this, step] { return c.mode.auto_step == step && !moving(); }, limit);
  }
  bool moving() const {
    for (const LegServo& s : c.servo)
      if (s.pending) return true;
    return false;
  }

  void slider(int vr, double volts) { run(format("vr%d %.1f\n", vr, volts)); }

  Feet goals() const {
    Feet f;
    for (int leg = 0; leg < 4; ++leg)
      for (int k = 0; k < 3; ++k) f[leg][k] = c.servo[leg].goal[k];
    return f;
  }
  Feet feet() const {
    Feet f;
    for (int leg = 0; leg < 4; ++leg)
      for (int k = 0; k < 3; ++k) f[leg][k] = c.state.point[leg][kFoot][k];
    return f;
  }

  std::vector<int> steps;  // AUTO steps seen by cycle(), in order, without repeats

 private:
  std::vector<ScriptEvent> one_tick_ = parse_script("tick 1\n");
};

// Goals equal `expected`; feet are in position on them.
inline void expect_feet_at(const GaitSession& s, const Feet& expected, const std::string& where) {
  const Feet goals = s.goals(), feet = s.feet();
  for (int leg = 0; leg < 4; ++leg) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(goals[leg][k], expected[leg][k], 1e-9)
          << where << ": goal of leg " << leg + 1 << " axis "
          << "xyz"[k];
      EXPECT_NEAR(feet[leg][k], expected[leg][k], kFootTolerance)
          << where << ": foot of leg " << leg + 1 << " axis "
          << "xyz"[k];
    }
  }
}

}  // namespace rokan::test
