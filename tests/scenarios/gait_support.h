// A scripted session for the built-in AUTO programs: starts a program the operator's way, then
// runs cycle by cycle so that a test can stop at a given AUTO step and compare the feet with the
// gait tables.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "scenarios/rix_session.h"

namespace rokan::test {

using Xyz = std::array<double, 3>;
using Feet = std::array<Xyz, 4>;

// Foot positions are in position once within POSITION_ERR (5 mm in the bundled rokan.ini) on
// every axis; goals come straight from the tables and match exactly.
inline constexpr double kFootTolerance = 5.0;

class GaitSession : public RixSession {
 public:
  explicit GaitSession(const std::string& name = current_test_name()) : RixSession(name) {}

  // AUTO entered, program n chosen and S pressed. The program takes its first step in the next
  // cycle.
  void start_program(int n) {
    ASSERT_NO_FATAL_FAILURE(enter_auto());
    run(format("key %d\ntick 1\nkey S\ntick 1\n", n));
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
  bool settle_at(int step) {
    return run_until([this, step] {
      return c.mode.auto_step == step &&
             std::none_of(c.servo, c.servo + 4, [](const LegServo& s) { return s.pending; });
    });
  }

  // Runs until the run has ended in MANUAL; the last `n` AUTO steps seen.
  std::vector<int> last_steps_to_manual(std::size_t n) {
    if (!run_until([this] { return get_mode(c) == kManual; })) return {};
    return {steps.end() - static_cast<long>(std::min(n, steps.size())), steps.end()};
  }

  void slider(int vr, double volts) { run(format("vr%d %.1f\n", vr, volts)); }

  Feet goals() const {
    return collect([this](int leg) { return c.servo[leg].goal; });
  }
  Feet feet() const {
    return collect([this](int leg) { return c.state.point[leg][kFoot]; });
  }

  std::vector<int> steps;  // AUTO steps seen by cycle(), in order, without repeats

 private:
  template <class Row>
  static Feet collect(Row row) {
    Feet f;
    for (int leg = 0; leg < 4; ++leg)
      for (int k = 0; k < 3; ++k) f[leg][k] = row(leg)[k];
    return f;
  }
  std::vector<ScriptEvent> one_tick_ = parse_script("tick 1\n");
};

// Feet within `tolerance` of `expected`.
inline void expect_feet_near(const GaitSession& s, const Feet& expected, const std::string& where,
                             double tolerance = kFootTolerance) {
  const Feet feet = s.feet();
  for (int leg = 0; leg < 4; ++leg)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(feet[leg][k], expected[leg][k], tolerance)
          << where << ": foot of leg " << leg + 1 << " axis "
          << "xyz"[k];
}

// Goals equal `expected`; feet are in position on them.
inline void expect_feet_at(const GaitSession& s, const Feet& expected, const std::string& where) {
  const Feet goals = s.goals();
  for (int leg = 0; leg < 4; ++leg)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(goals[leg][k], expected[leg][k], 1e-9)
          << where << ": goal of leg " << leg + 1 << " axis "
          << "xyz"[k];
  expect_feet_near(s, expected, where);
}

// Settles at each step of `phases` in turn and compares the feet with its table; false when a step
// was not reached.
inline bool expect_phases(GaitSession& s, const std::vector<std::pair<int, Feet>>& phases) {
  for (const auto& [step, feet] : phases) {
    if (!s.settle_at(step)) return false;
    expect_feet_at(s, feet, "before step " + std::to_string(step));
  }
  return true;
}

}  // namespace rokan::test
