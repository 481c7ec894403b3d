// Running a RIX program the operator's way: AUTO, 0, S. The sampling log's record of the pc and
// STAND_UP/SIT_DOWN, which look at the run cycle by cycle; the other RIX runs (errors, warnings,
// the mode line, pause, REL_PTP, DETECT_FLOOR) are scenario files: tests/scenarios/scripts/rix_*.
#include <gtest/gtest.h>

#include "core/logger.h"
#include "scenarios/rix_session.h"

namespace rokan::test {
namespace {

struct RixScenario : ::testing::Test {
  RixSession s;
  const double* foot(int leg) const { return s.c.state.point[leg][kFoot]; }
  const double* goal(int leg) const { return s.c.servo[leg].goal; }
};
using RixStart = RixScenario;
using RixMotion = RixScenario;

TEST_F(RixStart, SamplingLogRecordsThePcOfTheRunningProgram) {
  ASSERT_NO_FATAL_FAILURE(s.start_program("3.1\nh\nLOG_START\nSLEEP 0.003\nLOG_STOP\nEND\n"));
  s.run_program(100);
  const LoggerState& log = s.c.logger;
  ASSERT_GE(log.count, 4);
  // Recorded after each cycle's instruction: LOG_START moved pc to 1, the sleep kept it there
  // and ended in pc 2, and LOG_STOP stopped the recording after its own cycle.
  std::vector<int32_t> modes;
  for (int i = 0; i < log.count; ++i) modes.push_back(log.area[i].mode);
  EXPECT_EQ(modes, (std::vector<int32_t>{1, 1, 1, 2}));
}

// Motion commands moving the simulated robot over full sampling cycles, from the initial posture.
constexpr double kInitial[4][3] = {
    {-301, 201, -250}, {301, 201, -250}, {-301, -201, -250}, {301, -201, -250}};

TEST_F(RixMotion, StandUpThenSitDownReturnsThePaws) {
  ASSERT_NO_FATAL_FAILURE(s.start_program("3.1\nmotion\nSTAND_UP 20\nSIT_DOWN 20\nEND\n"));
  const double v_max = s.c.params.auto_ref.b1.v_max[0];
  s.tick();
  EXPECT_DOUBLE_EQ(s.c.params.active.b1.v_max[2], v_max / 2) << "standing up at half speed";
  for (int leg = 0; leg < 4; ++leg) EXPECT_DOUBLE_EQ(goal(leg)[2], kInitial[leg][2] - 20);
  while (s.c.rix.pc == 0 && s.c.mode.mode == kAuto) s.tick();
  for (int leg = 0; leg < 4; ++leg)
    EXPECT_NEAR(foot(leg)[2], kInitial[leg][2] - 20, 5.0) << "the body stands 20 mm higher";
  EXPECT_DOUBLE_EQ(s.c.params.active.b1.v_max[2], v_max) << "full speed again";
  s.run_program(5000);
  ASSERT_EQ(s.c.mode.auto_step, kRixFinished) << s.status_line();
  for (int leg = 0; leg < 4; ++leg)
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(goal(leg)[i], kInitial[leg][i]);
}

}  // namespace
}  // namespace rokan::test
