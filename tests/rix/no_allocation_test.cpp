// The RIX runtime promises not to allocate while a program runs: every table was sized by the
// compiler. An allocation guard holds rix_step to the promise over a program that uses loops,
// calls, conditions, vector arithmetic, motion, waits and inputs; and the live plot's sampling,
// which runs in every cycle, to the same.
//
// The console's lines keep room for a whole line from their first use (in the unguarded first
// cycles), so a MESSAGE allocates nothing. tests/core/tick_allocation_test.cpp holds whole
// sampling cycles to the same promise.
#include <gtest/gtest.h>

#include "core/sensors.h"
#include "core/servo.h"
#include "debug/debugger.h"
#include "plot/plot_sampler.h"
#include "rix/runtime_support.h"
#include "support/allocation_guard.h"
#include "support/fake_host.h"

namespace rokan::test {
namespace {

constexpr const char* kProgram = R"(
DEF_VAR I, N, V, X
DEF_POS P, Q
N = 0 ; X = 0
TEACH_POSITION F1 P
LOOP:
FOR I = 1 TO 3
  GOSUB WORK:
NEXT I
N += 1
IF N < 4 GOTO LOOP:
STAND_UP 5
EXIT
WORK:
  MESSAGE step %I% of 3
  X = X + I ; V = SQRT X ; V = ATAN2 V X
  Q = P ; Q.Z += 10 ; Q = ROT_Z Q 30 ; V = NORM Q
  IF I == 1 THEN
    PTP F1 Q
  ELSEIF I == 2 THEN
    REL_PTP F1 0 0 -10
  ELSE
    SLEEP 0.002
  ENDIF
  WAIT_INPOS F1
  AD_IN VR1 V
  WHILE V < 3
    V += 1
  WEND
  IF !HALT_REQUEST GOSUB DEEPER:
  RETURN
DEEPER:
  RETURN
END
)";

// Runs kProgram to its end with a servo pass between the steps, so that the motions complete;
// only rix_step runs under the guard. The allocations counted.
long run_guarded(RuntimeRig& r) {
  long allocations = 0;
  int cycles = 0;
  auto cycle = [&](bool guarded) {
    bool ok;
    if (guarded) {
      AllocationGuard guard;
      ok = rix_step(r.c);
      allocations += guard.count();
    } else {
      ok = rix_step(r.c);
    }
    read_sensors(r.c);
    update_state(r.c);
    update_legs(r.c);
    control(r.c);
    ++cycles;
    return ok;
  };
  // The first cycles unguarded: one-time set-up outside the runtime happens there.
  for (int i = 0; i < 50; ++i) {
    if (!cycle(false)) {
      ADD_FAILURE() << r.report();
      return -1;
    }
  }
  while (r.c.mode.auto_step != RuntimeRig::kFinished && cycles < 200000)
    if (!cycle(true)) break;
  EXPECT_EQ(r.c.rix.error_code, 0) << r.report();
  EXPECT_EQ(r.c.mode.auto_step, RuntimeRig::kFinished) << "the program ran to its end";
  EXPECT_GT(r.c.rix.executed, 500u);
  return allocations;
}

TEST(NoAllocation, RunningAProgramDoesNotAllocate) {
  RuntimeRig r("no_allocation");
  ASSERT_NO_FATAL_FAILURE(r.compile(kProgram));
  EXPECT_EQ(run_guarded(r), 0) << "at pc " << r.c.rix.pc;
}

// The debugger attached with no breakpoint: its checks around every instruction, the motion
// pointers it keeps, allocate nothing either.
TEST(NoAllocation, RunningAProgramWithTheDebuggerAttachedDoesNotAllocate) {
  RuntimeRig r("no_allocation_debugger");
  RixDebugger d;
  rix_debug_attach(d, r.c);
  ASSERT_NO_FATAL_FAILURE(r.compile(kProgram));
  EXPECT_EQ(run_guarded(r), 0) << "at pc " << r.c.rix.pc;
  EXPECT_EQ(d.stop_count, 0u);
}

TEST(NoAllocation, PlotSamplingDoesNotAllocate) {
  Rig rig("no_allocation_plot");
  rig.start();
  PlotSampler s;
  plot_configure(s, all_plot_channels(), 50);  // sixteen channels, wrapping many times
  long allocations = 0;
  for (int i = 0; i < 400; ++i) {
    sampling_tick(rig.c);
    AllocationGuard guard;
    plot_sample(s, rig.c);
    allocations += guard.count();
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(s.taken, 400u);
}

// RIX variables as plot channels: read by name from the running program, looked up again when
// another program's tables take the place of the first's.
TEST(NoAllocation, PlotSamplingOfRixVariablesDoesNotAllocate) {
  RuntimeRig r("no_allocation_plot_rix");
  ASSERT_NO_FATAL_FAILURE(r.compile(kProgram));
  PlotSampler s;
  plot_configure(s,
                 {{PlotQuantity::kRixVar, 0, 0, "N"},
                  {PlotQuantity::kRixVar, 0, 0, "V"},
                  {PlotQuantity::kRixPos, 0, 2, "Q"},
                  {PlotQuantity::kRixVar, 0, 0, "NOT_THERE"},
                  {PlotQuantity::kFootActual, 0, 2}},
                 50);
  long allocations = 0;
  auto sample = [&] {
    AllocationGuard guard;
    plot_sample(s, r.c);
    allocations += guard.count();
  };
  for (int i = 0; i < 300 && r.c.mode.auto_step != RuntimeRig::kFinished; ++i) {
    ASSERT_TRUE(r.step()) << r.report();
    sample();
  }
  ASSERT_NO_FATAL_FAILURE(r.compile("DEF_VAR X, V, N\nN = 1\nV = 2\nEND"));
  r.run();
  sample();
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(plot_value(s, s.size - 1, 0), 1);  // found again by name
  EXPECT_EQ(plot_value(s, s.size - 1, 1), 2);
}

}  // namespace
}  // namespace rokan::test
