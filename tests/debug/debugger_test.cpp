// The debugger's API where the annotated sessions cannot reach: breakpoint resolution and its
// reports, hit conditions, log points, stop on entry, run to line, untestable conditions, a
// run without stop on error, and that an attached debugger changes nothing a program does.
// Programs run instruction by instruction on the runtime rig (no servo pass).
#include "debug/debugger.h"

#include <gtest/gtest.h>

#include "rix/runtime_support.h"

namespace rokan::test {
namespace {

RixBreakpointSpec spec(int32_t line, std::string condition = "", std::string hits = "",
                       std::string log = "") {
  RixBreakpointSpec s;
  s.line = line;
  s.condition = std::move(condition);
  s.hit_condition = std::move(hits);
  s.log_message = std::move(log);
  return s;
}

struct Debugged {
  RuntimeRig r;
  RixDebugger d;
  std::vector<std::string> log;

  explicit Debugged(const std::string& name) : r(name) {
    d.on_output = [this](RixDebugOutput kind, std::string_view text) {
      log.push_back((kind == RixDebugOutput::kLog ? "log " : "note ") + cp932_to_utf8(text));
    };
  }
  void load(std::string_view body) {
    rix_debug_attach(d, r.c);
    r.compile(body);
  }
  // Steps until the debugger holds the program, it ends, or `limit` steps ran.
  RixRunState run(int limit = 1000) {
    for (int i = 0; i < limit && r.c.mode.auto_step != RuntimeRig::kFinished; ++i) {
      if (!r.step()) break;
      if (rix_debug_state(d, r.c) == RixRunState::kPaused) break;
    }
    return rix_debug_state(d, r.c);
  }
  int32_t line() const { return rix_debug_line_of(r.c.rix, rix_debug_pc(d, r.c)); }
  double var(const char* name) {
    RixDebugVariable v;
    EXPECT_TRUE(rix_debug_find_variable(r.c.rix, name, v)) << name;
    return v.value[0];
  }
};

// Lines of the bodies below: line 3 is the first body line.
constexpr std::string_view kLoop =
    "DEF_VAR I, S\n"    // 3
    "S = 0\n"           // 4
    "\n"                // 5
    "FOR I = 1 TO 6\n"  // 6
    "  S = S + I\n"     // 7
    "NEXT I\n"          // 8
    "END\n"             // 9
    "// trailing\n";    // 10

TEST(DebuggerBreakpoints, ResolveToTheNextStatementOrReportWhyNot) {
  Debugged t("bp_resolve");
  // Set before any program is compiled: kept, unverified, resolved when the run starts.
  const int32_t pending = rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(5)).id;
  EXPECT_FALSE(t.d.breakpoints[0].verified);
  EXPECT_NE(t.d.breakpoints[0].message.find("no program is compiled"), std::string::npos);
  t.load(kLoop);
  ASSERT_EQ(t.run(), RixRunState::kPaused);
  EXPECT_EQ(t.d.stop.breakpoints, std::vector<int32_t>{pending});
  EXPECT_EQ(t.line(), 6);

  const RixBreakpoint moved = rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(1));
  EXPECT_TRUE(moved.verified);
  EXPECT_EQ(moved.line, 4);
  const RixBreakpoint past = rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(10));
  EXPECT_FALSE(past.verified);
  EXPECT_EQ(past.line, 0);
  EXPECT_EQ(past.message, "line 10 is after the last statement (line 9)");
  const RixBreakpoint zero = rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(0));
  EXPECT_FALSE(zero.verified);
  const RixBreakpoint hits = rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(7, "", "sometimes"));
  EXPECT_FALSE(hits.verified);
  EXPECT_NE(hits.message.find("hit count condition"), std::string::npos);
  const RixBreakpoint whole = rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(7, "I == "));
  EXPECT_FALSE(whole.verified);
  EXPECT_NE(whole.message.find("does not compile"), std::string::npos);
  // Replacing the set starts afresh: new ids, hit counts at 0.
  rix_debug_set_breakpoints(t.d, t.r.c.rix, {spec(8), spec(99)});
  ASSERT_EQ(t.d.breakpoints.size(), 2u);
  EXPECT_TRUE(t.d.breakpoints[0].verified);
  EXPECT_FALSE(t.d.breakpoints[1].verified);
  EXPECT_GT(t.d.breakpoints[0].id, whole.id);
}

TEST(DebuggerBreakpoints, HitConditionsCountArrivalsWithTheConditionTrue) {
  Debugged t("bp_hits");
  t.load(kLoop);
  rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(7, "I > 1", "% 2"));
  std::vector<double> stopped_at;
  for (int i = 0; i < 10 && t.run() == RixRunState::kPaused; ++i) {
    stopped_at.push_back(t.var("I"));
    ASSERT_EQ(rix_debug_continue(t.d, t.r.c), "");
  }
  // I = 2..6 make the condition true: hits 1..5; every second hit stops.
  EXPECT_EQ(stopped_at, (std::vector<double>{3, 5}));
  EXPECT_EQ(t.d.breakpoints[0].hits, 5u);
  EXPECT_EQ(t.var("S"), 21);
}

TEST(DebuggerBreakpoints, LogPointsPrintTheProgramsValuesInsteadOfStopping) {
  Debugged t("bp_log");
  t.load(kLoop);
  rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(8, "", ">= 5", "I=%I% S=%S.1%"));
  EXPECT_EQ(t.run(), RixRunState::kRunning);
  EXPECT_EQ(t.r.c.mode.auto_step, RuntimeRig::kFinished);
  EXPECT_EQ(t.log, (std::vector<std::string>{"log I=5 S=15.0", "log I=6 S=21.0"}));
}

TEST(DebuggerBreakpoints, AConditionThatCannotBeTestedStopsAndSaysWhy) {
  Debugged t("bp_unset");
  t.load("DEF_VAR A, B\nB = 1\nA = 2\nB = A\nEND\n");
  rix_debug_add_breakpoint(t.d, t.r.c.rix, spec(4, "A > 0"));
  ASSERT_EQ(t.run(), RixRunState::kPaused);
  EXPECT_EQ(t.line(), 4);
  EXPECT_EQ(t.d.stop.reason, RixStopReason::kBreakpoint);
  EXPECT_EQ(t.d.stop.text, "breakpoint at line 4: the condition reads A, which is not set");
}

TEST(DebuggerRunControl, StopOnEntryAndRunToLine) {
  Debugged t("entry");
  t.d.stop_on_entry = true;
  t.load(kLoop);
  EXPECT_EQ(rix_debug_state(t.d, t.r.c), RixRunState::kRunning);  // before its first cycle
  ASSERT_EQ(t.run(), RixRunState::kPaused);
  EXPECT_EQ(t.d.stop.reason, RixStopReason::kEntry);
  EXPECT_EQ(t.line(), 4);
  EXPECT_EQ(t.r.c.rix.executed, 0u);
  EXPECT_NE(rix_debug_run_to_line(t.d, t.r.c, 50), "");
  ASSERT_EQ(rix_debug_run_to_line(t.d, t.r.c, 8), "");
  ASSERT_EQ(t.run(), RixRunState::kPaused);
  EXPECT_EQ(t.d.stop.reason, RixStopReason::kStep);
  EXPECT_EQ(t.line(), 8);
  EXPECT_EQ(t.var("I"), 1);
  // A pause holds at once, and every request that needs a paused program says why it did nothing.
  ASSERT_EQ(rix_debug_continue(t.d, t.r.c), "");
  EXPECT_EQ(rix_debug_step(t.d, t.r.c, RixStep::kIn), "the program is running; pause it first");
  ASSERT_EQ(rix_debug_pause(t.d, t.r.c), "");
  EXPECT_EQ(rix_debug_state(t.d, t.r.c), RixRunState::kPaused);
  EXPECT_EQ(t.d.stop.reason, RixStopReason::kPause);
  const uint32_t executed = t.r.c.rix.executed;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(t.r.step());
  EXPECT_EQ(t.r.c.rix.executed, executed) << "a held program does not advance";
}

// A front end that attaches after S compiled and started the program, before its first
// cycle, still gets the stop on entry.
TEST(DebuggerRunControl, AttachingBeforeTheFirstInstructionMeetsTheRunAsNew) {
  Debugged t("late_attach");
  t.r.compile(kLoop);
  t.d.stop_on_entry = true;
  rix_debug_attach(t.d, t.r.c);
  ASSERT_EQ(t.run(), RixRunState::kPaused);
  EXPECT_EQ(t.d.stop.reason, RixStopReason::kEntry);
  EXPECT_EQ(t.r.c.rix.executed, 0u);
}

TEST(DebuggerRunControl, WithoutStopOnErrorTheRunEndsAtOnceAndTheErrorIsKept) {
  Debugged t("no_stop_on_error");
  t.d.stop_on_error = false;
  t.load("DEF_VAR A\nA = -1\nA = SQRT A\nEND\n");
  int steps = 0;
  while (t.r.step()) ASSERT_LT(++steps, 10);
  EXPECT_EQ(t.d.error.reason, RixStopReason::kError);
  EXPECT_EQ(t.d.error.line, 5);
  EXPECT_EQ(cp932_to_utf8(t.d.error.text), "[RIX_RUN]0001: Domain Error.");
  EXPECT_EQ(t.d.stop_count, 0u);
}

// The same program with and without a debugger (attached, no breakpoint): the same steps, the
// same values, the same end.
TEST(DebuggerRunControl, AnAttachedDebuggerChangesNothingTheProgramDoes) {
  constexpr std::string_view kProgram =
      "DEF_VAR I, S\nDEF_POS P\nS = 0\nTEACH_POSITION F1 P\nFOR I = 1 TO 20\nGOSUB ADD:\n"
      "NEXT I\nP.Z += S\nEXIT\nADD:\nS = S + I\nRETURN\nEND\n";
  RuntimeRig plain("plain");
  plain.compile(kProgram);
  const int plain_steps = plain.run();
  Debugged t("watched");
  t.load(kProgram);
  const int watched_steps = t.r.run();
  EXPECT_EQ(watched_steps, plain_steps);
  EXPECT_EQ(t.r.c.rix.executed, plain.c.rix.executed);
  EXPECT_EQ(t.r.value(1), plain.value(1));
  EXPECT_EQ(t.r.value(2), plain.value(2));
  EXPECT_EQ(t.r.c.rix.pos[0].value[2], plain.c.rix.pos[0].value[2]);
  EXPECT_EQ(t.d.stop_count, 0u);
  rix_debug_detach(t.d, t.r.c);
  EXPECT_EQ(t.r.c.rix_watch, nullptr);
}

TEST(DebuggerInspect, VariablesAndComponentsByName) {
  RuntimeRig r("inspect");
  r.compile("DEF_VAR N\nDEF_POS P\nDEF_JNT J\nN = 1\nP.Y = 2\nJ.J3 = 3\nEND\n");
  r.run();
  const std::vector<RixDebugVariable> vars = rix_debug_variables(r.c.rix);
  ASSERT_EQ(vars.size(), 4u);  // VAR_KEY, N, P, J
  EXPECT_EQ(vars[0].name, "VAR_KEY");
  EXPECT_FALSE(vars[0].is_set(0));
  EXPECT_EQ(vars[2].kind, RixVarKind::kPos);
  EXPECT_EQ(vars[2].count, 3);
  EXPECT_TRUE(vars[2].is_set(1));
  EXPECT_FALSE(vars[2].is_set(0));
  RixDebugVariable v;
  ASSERT_TRUE(rix_debug_find_variable(r.c.rix, "J.j3", v));
  EXPECT_EQ(v.kind, RixVarKind::kJnt);
  EXPECT_EQ(v.component, 2);
  EXPECT_EQ(v.value[0], 3);
  EXPECT_FALSE(rix_debug_find_variable(r.c.rix, "P.J1", v));
  EXPECT_FALSE(rix_debug_find_variable(r.c.rix, "N.X", v));
  EXPECT_FALSE(rix_debug_find_variable(r.c.rix, "n", v)) << "names are case-sensitive";
}

}  // namespace
}  // namespace rokan::test
