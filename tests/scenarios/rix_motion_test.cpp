// RIX motion commands moving the simulated robot over full sampling cycles.
#include <gtest/gtest.h>

#include <cmath>

#include "scenarios/rix_session.h"

namespace rokan::test {
namespace {

constexpr double kInitial[4][3] = {
    {-301, 201, -250}, {301, 201, -250}, {-301, -201, -250}, {301, -201, -250}};

struct RixMotion : ::testing::Test {
  RixSession s{std::string("rix_motion_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  const double* foot(int leg) const { return s.c.state.point[leg][kFoot]; }
  const double* goal(int leg) const { return s.c.servo[leg].goal; }
  void start(const std::string& body) {
    s.write_program("3.1\nmotion\n" + body + "\n");
    ASSERT_NO_FATAL_FAILURE(s.enter_auto());
    s.press_start();
    ASSERT_EQ(s.c.mode.auto_running, 1) << s.status_line();
  }
};

TEST_F(RixMotion, RelativePtpMovesThePawAndWaitInposWaitsForIt) {
  ASSERT_NO_FATAL_FAILURE(start("REL_PTP F2 0 0 10\nWAIT_INPOS F2\nEND"));
  s.run_program(5000);
  ASSERT_EQ(s.c.mode.auto_step, RixSession::kFinishedStep) << s.status_line();
  EXPECT_DOUBLE_EQ(goal(1)[2], kInitial[1][2] + 10);
  EXPECT_NEAR(foot(1)[2], kInitial[1][2] + 10, s.c.params.active.b2.position_err[1]);
  EXPECT_NEAR(foot(0)[2], kInitial[0][2], 1.0) << "the other legs stay";
}

TEST_F(RixMotion, StandUpThenSitDownReturnsThePaws) {
  ASSERT_NO_FATAL_FAILURE(start("STAND_UP 20\nSIT_DOWN 20\nEND"));
  const double v_max = s.c.params.auto_ref.b1.v_max[0];
  s.tick();
  EXPECT_DOUBLE_EQ(s.c.params.active.b1.v_max[2], v_max / 2) << "standing up at half speed";
  for (int leg = 0; leg < 4; ++leg) EXPECT_DOUBLE_EQ(goal(leg)[2], kInitial[leg][2] - 20);
  while (s.c.rix.pc == 0 && s.c.mode.mode == kAuto) s.tick();
  for (int leg = 0; leg < 4; ++leg)
    EXPECT_NEAR(foot(leg)[2], kInitial[leg][2] - 20, 5.0) << "the body stands 20 mm higher";
  EXPECT_DOUBLE_EQ(s.c.params.active.b1.v_max[2], v_max) << "full speed again";
  s.run_program(5000);
  ASSERT_EQ(s.c.mode.auto_step, RixSession::kFinishedStep) << s.status_line();
  for (int leg = 0; leg < 4; ++leg)
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(goal(leg)[i], kInitial[leg][i]);
}

TEST_F(RixMotion, DetectFloorLowersTheLegsUntilTheirPawsClose) {
  ASSERT_NO_FATAL_FAILURE(start("DETECT_FLOOR ALL 1\nEND"));
  s.tick(200);
  EXPECT_EQ(s.c.rix.pc, 0);
  for (int leg = 0; leg < 4; ++leg) EXPECT_LT(foot(leg)[2], kInitial[leg][2] - 1) << leg;
  s.run("paw1 on\npaw2 on\npaw3 on\ntick 20\n");
  EXPECT_EQ(s.c.rix.pc, 0) << "one paw is still open";
  s.run("paw4 on\n");
  s.run_program(10);
  ASSERT_EQ(s.c.mode.auto_step, RixSession::kFinishedStep) << s.status_line();
  for (const LegServo& leg : s.c.servo) EXPECT_EQ(leg.control_mode[0], kPositionControl);
}

}  // namespace
}  // namespace rokan::test
