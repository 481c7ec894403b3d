// Dispatch of the AUTO programs: wrong program numbers, corrupted steps, pause, and the values a
// run starts with.
#include "auto/auto_program.h"

#include <gtest/gtest.h>

#include "console/console.h"
#include "core/modes.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

struct AutoProgram : ::testing::Test {
  test::Rig rig{std::string("auto_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void SetUp() override { rig.start(); }

  void press(int ch) {
    key_char(c, ch);
    key_dispatch(c);
  }
  // AUTO with program n started; the robot stands in its start pose, the initial posture.
  void start(int n) {
    set_mode(c, kOrigin);
    c.mode.initial_reached = 1;
    press('A');
    press('0' + n);
    press('S');
    ASSERT_EQ(c.mode.auto_running, 1);
  }
  std::string status() const { return cp932_to_utf8(c.console.lines[1]); }
};

TEST_F(AutoProgram, NumbersWithoutAProgramAreReportedAndStopTheRun) {
  for (int n : {7, 8, 10, -1}) {
    c.mode.auto_step = 5;
    EXPECT_EQ(run_auto_program(c, n), 0) << n;
    EXPECT_EQ(status(), "Wrong program no. is selected !") << n;
  }
  ASSERT_NO_FATAL_FAILURE(start(1));
  c.mode.program_no = 12;
  rig.ticks(1);
  EXPECT_EQ(get_mode(c), kEmg);
  EXPECT_EQ(status(), "EMG:Strategy_routine_runtime_error");
}

// Each program refuses a step of its neighbours' ranges at once, even while its legs move.
TEST_F(AutoProgram, CorruptedStepStopsEveryProgramInEmg) {
  const struct {
    int program;
    int foreign_steps[3];
  } cases[] = {
      {1, {16, 151, 255}},  {2, {15, 57, 200}},   {3, {56, 80, 2}},   {4, {79, 103, 16}},
      {5, {102, 122, 140}}, {6, {121, 140, 103}}, {9, {139, 151, 2}},
  };
  for (const auto& k : cases) {
    for (int step : k.foreign_steps) {
      set_mode(c, kManual);
      ASSERT_NO_FATAL_FAILURE(start(k.program));
      rig.ticks(1);
      c.mode.auto_step = static_cast<uint8_t>(step);
      c.servo[0].pending = 1;
      leg_control(c);
      EXPECT_EQ(get_mode(c), kEmg) << "program " << k.program << " step " << step;
      EXPECT_EQ(status(), "EMG:Strategy_routine_runtime_error");
    }
  }
}

TEST_F(AutoProgram, PauseHoldsTheStepUntilSpaceIsPressedAgain) {
  ASSERT_NO_FATAL_FAILURE(start(1));
  rig.ticks(3);
  ASSERT_EQ(c.mode.auto_step, 3);  // waiting for the move to the home posture
  press(' ');
  rig.ticks(5000);
  EXPECT_EQ(c.mode.auto_step, 3);
  EXPECT_EQ(get_mode(c), kAuto);
  EXPECT_EQ(c.servo[0].pending, 0) << "the servo finished the move meanwhile";
  press(' ');
  rig.ticks(2);
  EXPECT_EQ(c.mode.auto_step, 5);
}

TEST_F(AutoProgram, EveryRunStartsWithThreshold5AndKeepsTheStopReservation) {
  ASSERT_NO_FATAL_FAILURE(start(1));
  rig.ticks(1);
  EXPECT_EQ(c.auto_state.threshold, 70.0);
  press('S');
  ASSERT_EQ(get_mode(c), kManual);

  ASSERT_NO_FATAL_FAILURE(start(4));
  rig.ticks(1);
  EXPECT_EQ(c.auto_state.threshold, 5.0);
  EXPECT_EQ(c.mode.auto_step, 80);
}

}  // namespace
}  // namespace rokan
