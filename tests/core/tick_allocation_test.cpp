// The sampling cycle promises not to allocate once the controller is running: every text it shows
// each cycle is formatted into a fixed buffer or kept in a line that holds its capacity, and every
// table it uses was sized at start-up. These tests hold whole sampling_tick calls to that promise
// in each steady state of the controller, after a few unguarded warm-up cycles in which the first
// showing of each text may size its line.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "console/console.h"
#include "core/cycle.h"
#include "core/modes.h"
#include "platform/text.h"
#include "support/allocation_guard.h"
#include "support/fake_host.h"

namespace rokan::test {
namespace {

struct TickAllocation : ::testing::Test {
  Rig rig{std::string("tick_alloc_") +
          ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void SetUp() override { rig.start(); }

  // A key typed at the window, taken by the next cycle (unguarded).
  void press(int ch) {
    key_char(c, ch);
    sampling_tick(c);
  }
  // `n` cycles, each under its own guard; the allocations of all of them.
  long guarded_ticks(int n) {
    long allocations = 0;
    for (int i = 0; i < n; ++i) {
      AllocationGuard guard;
      sampling_tick(c);
      allocations += guard.count();
    }
    return allocations;
  }
  // ORIGIN, I, and cycles until the initial posture is reached.
  void reach_initial_posture() {
    press('O');
    press('I');
    for (int i = 0; i < 20000 && !c.mode.initial_reached; ++i) sampling_tick(c);
    ASSERT_TRUE(c.mode.initial_reached);
  }
};

TEST(AllocationGuard, CountsAnAllocationMadeInItsLifetime) {
  long counted = 0;
  {
    AllocationGuard guard;
    auto* p = new int(3);
    counted = guard.count();
    delete p;
  }
  EXPECT_EQ(counted, 1);
}

TEST_F(TickAllocation, ManualCyclesDoNotAllocate) {
  rig.ticks(20);
  EXPECT_EQ(guarded_ticks(500), 0) << "no leg taken";
  press('2');
  ASSERT_EQ(c.mode.selected_leg, 1);
  rig.ticks(20);
  EXPECT_EQ(guarded_ticks(500), 0) << "leg 2 under the sliders";
  EXPECT_EQ(get_mode(c), kManual);
}

TEST_F(TickAllocation, OriginCyclesDoNotAllocate) {
  // Leg 1 raised first (VR3), so that the move to the initial posture takes a while.
  press('1');
  c.sensor.vr[2] = 4.0;
  rig.ticks(1500);
  press('0');
  c.sensor.vr[2] = 0;
  press('O');
  rig.ticks(20);
  EXPECT_EQ(guarded_ticks(200), 0) << "ORIGIN standing";
  press('I');
  rig.ticks(20);
  ASSERT_TRUE(c.mode.moving_to_initial);
  EXPECT_EQ(guarded_ticks(200), 0) << "moving to the initial posture";
  EXPECT_EQ(get_mode(c), kOrigin);
}

TEST_F(TickAllocation, IdleAutoCyclesDoNotAllocate) {
  ASSERT_NO_FATAL_FAILURE(reach_initial_posture());
  press('A');
  ASSERT_EQ(get_mode(c), kAuto);
  rig.ticks(20);
  EXPECT_EQ(guarded_ticks(200), 0) << "no program chosen";
  press('5');
  rig.ticks(20);
  EXPECT_EQ(guarded_ticks(200), 0) << "program 5 chosen";
  press('0');
  rig.ticks(20);
  EXPECT_EQ(guarded_ticks(200), 0) << "the RIX program chosen";
  EXPECT_EQ(get_mode(c), kAuto);
  EXPECT_FALSE(c.mode.auto_running);
}

// The information display redraws its page in every drawing cycle; each page in turn (Tab).
TEST_F(TickAllocation, InformationPagesDoNotAllocate) {
  press('T');
  ASSERT_EQ(c.console.info_display, 1);
  for (int page = 0; page < 8; ++page) {
    key_release(c, 9);
    sampling_tick(c);
    rig.ticks(5);
    EXPECT_EQ(guarded_ticks(50), 0) << "page " << int(c.console.info_page);
  }
}

// Gait 1 walks: VR1 moved well past its captured value asks for strides.
TEST_F(TickAllocation, WalkingGaitCyclesDoNotAllocate) {
  ASSERT_NO_FATAL_FAILURE(reach_initial_posture());
  press('A');
  press('1');
  press('S');
  ASSERT_TRUE(c.mode.auto_running);
  for (int i = 0; i < 20000 && c.mode.auto_step < 5; ++i) sampling_tick(c);
  ASSERT_EQ(c.mode.auto_step, 5) << "the gait waits for its stride input";
  c.sensor.vr[0] = 8.0;  // the slider: 80 mm of stride input, past the threshold of 70
  rig.ticks(20);
  long allocations = 0;
  int steps_seen = 0;
  for (int i = 0; i < 20000; ++i) {
    const int step = c.mode.auto_step;
    allocations += guarded_ticks(1);
    steps_seen += c.mode.auto_step != step;
  }
  EXPECT_GT(steps_seen, 20) << "the gait walked";
  EXPECT_TRUE(c.mode.auto_running) << cp932_to_utf8(c.console.lines[1]);
  EXPECT_EQ(get_mode(c), kAuto);
  EXPECT_EQ(allocations, 0) << "at AUTO step " << int(c.mode.auto_step);
}

// A RIX program that loops, calls, moves, waits and shows messages; it is compiled in the cycle
// that takes S, outside the guard.
TEST_F(TickAllocation, RixProgramCyclesDoNotAllocate) {
  std::ofstream(rig.dir / "DEFAULT" / "rixs" / "ROKAN.RIX", std::ios::binary)
      << utf8_to_cp932(R"(3.1
allocation check
DEF_VAR I, N, V
DEF_POS P, Q
N = 0
TEACH_POSITION F1 P
LOOP:
FOR I = 1 TO 3
  GOSUB WORK:
NEXT I
N += 1
IF N < 20 GOTO LOOP:
EXIT
WORK:
  MESSAGE step %I% of 3
  Q = P ; Q.Z += 10 ; V = NORM Q
  IF I == 1 THEN
    PTP F1 Q
  ELSE
    REL_PTP F1 0 0 -5
  ENDIF
  WAIT_INPOS F1
  SLEEP 0.01
  RETURN
END
)");
  ASSERT_NO_FATAL_FAILURE(reach_initial_posture());
  press('T');  // the information display on: its RIX pages list the program's variables
  press('A');
  press('0');
  press('S');
  // Compiler warnings (an unused variable) are answered with a second S.
  if (!c.mode.auto_running && c.mode.auto_step == kRixWarningsAcknowledged) press('S');
  ASSERT_TRUE(c.mode.auto_running) << cp932_to_utf8(c.console.lines[1]);
  rig.ticks(50);
  long allocations = 0;
  int cycles = 0;
  while (c.mode.auto_running && cycles < 100000) {
    if (++cycles % 100 == 0) {
      // The next page, taken and first drawn by unguarded cycles (a page's first drawing
      // converts its headings once for the run).
      key_release(c, 9);
      rig.ticks(2);
      continue;
    }
    allocations += guarded_ticks(1);
  }
  EXPECT_GT(cycles, 500);
  EXPECT_EQ(get_mode(c), kManual) << "the program ran to its end: "
                                  << cp932_to_utf8(c.console.lines[1]);
  EXPECT_EQ(allocations, 0) << "at pc " << c.rix.pc;
}

}  // namespace
}  // namespace rokan::test
