// The interpreter core on hand-built programs: the program counter, prev_pc, first_entry, the
// trace ring, the end of a run, commands without a handler, and damaged images, which must stop
// with their numbered error without reading outside a table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rix/runtime_support.h"

namespace rokan::test {
namespace {

using namespace rix;

struct Interpreter : ::testing::Test {
  RuntimeRig r{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(Interpreter, EndKeepsThePcAndMarksTheRunFinished) {
  r.load({ins(END)});
  EXPECT_TRUE(r.step());
  EXPECT_EQ(r.c.rix.pc, 0);
  EXPECT_EQ(r.c.mode.auto_step, RuntimeRig::kFinished);
  EXPECT_EQ(r.c.rix.error_code, 0);
}

TEST_F(Interpreter, RunningPastTheLastInstructionIsError28) {
  r.load({ins(EQUAL, {var(1), constant(1)}), ins(EQUAL, {var(2), constant(2)})});
  EXPECT_TRUE(r.step());
  EXPECT_FALSE(r.step());
  EXPECT_EQ(r.report(), "[RIX_RUN]0002: ステップ番号が異常です(max = 1)");
  EXPECT_EQ(r.value(2), 2) << "the last instruction itself ran";
}

TEST_F(Interpreter, WaitsRepeatWithFirstEntryClearedAndRemLeavesPrevPc) {
  r.load({ins(EQUAL, {var(1), constant(1)}),  // 0
          ins(REM),                           // 1
          ins(SLEEP, {constant(0.003)}),      // 2: three cycles at 1 ms
          ins(GOTO, {label(3)})});            // 3: jumps to itself
  struct After {
    int pc, prev_pc, first_entry;
  };
  const After expected[] = {{1, 0, 1}, {2, 0, 1}, {2, 2, 0}, {2, 2, 0},
                            {3, 2, 1}, {3, 3, 0}, {3, 3, 0}};
  for (const After& e : expected) {
    ASSERT_TRUE(r.step()) << r.report();
    EXPECT_EQ(r.c.rix.pc, e.pc);
    EXPECT_EQ(r.c.rix.prev_pc, e.prev_pc) << "at pc " << e.pc;
    EXPECT_EQ(r.c.rix.first_entry, e.first_entry) << "at pc " << e.pc;
  }
}

TEST_F(Interpreter, TraceRingHoldsTheLatestFifteenPcChangesOnly) {
  r.load({ins(EQUAL, {var(1), constant(0)}),                 // 0
          ins(EQUAL, CAL_LEFT_ADD, {var(1), constant(1)}),   // 1
          ins(SLEEP, {constant(0.002)}),                     // 2: waits, no entry
          ins(IF_GOTO_LT, {var(1), constant(8), label(1)}),  // 3
          ins(END)});                                        // 4
  const RixImage& im = r.c.rix;
  EXPECT_TRUE(im.trace_on);
  EXPECT_EQ(im.trace_index, 1);
  EXPECT_EQ(im.trace_pc[0], 0);
  EXPECT_STREQ(im.trace_name[0], "EQUAL");
  for (int i = 1; i < kRixTraceEntries; ++i) EXPECT_EQ(im.trace_pc[i], -1);

  std::vector<int> arrivals;
  while (r.c.mode.auto_step != RuntimeRig::kFinished) {
    int before = im.pc;
    ASSERT_TRUE(r.step()) << r.report();
    if (im.pc != before) arrivals.push_back(im.pc);
  }
  ASSERT_GT(arrivals.size(), 15u);
  // Newest first from trace_index backwards.
  for (int k = 0; k < kRixTraceEntries; ++k) {
    int slot = (im.trace_index - k + kRixTraceEntries) % kRixTraceEntries;
    int pc = arrivals[arrivals.size() - 1 - static_cast<std::size_t>(k)];
    EXPECT_EQ(im.trace_pc[slot], pc) << "entry " << k << " back";
    EXPECT_STREQ(im.trace_name[slot], rix_command_name(im.instructions[pc].command));
  }
}

// Commands with a code but no meaning in this controller name themselves in error 29.
TEST_F(Interpreter, EveryCommandWithoutAHandlerStopsWithError29NamingIt) {
  const std::vector<std::string> unimplemented = words_of(
      "PTP_ANGLE PTP_ANGLE_HS REL_PTP_ANGLE REL_PTP_ANGLE_HS ALL_STOP ALL_STOP_RELEASE VEL_CONTROL "
      "OMEGA_CONTROL COMPLIANCE_ANGLE COMPLIANCE_ANGLE_HS REL_COMPLIANCE_ANGLE "
      "REL_COMPLIANCE_ANGLE_HS FORCE COMPLIANCE_POSITION COMPLIANCE_POSITION_HS "
      "REL_COMPLIANCE_POSITION REL_COMPLIANCE_POSITION_HS NO_COMPLIANCE TORQUE TEACH_TORQUE "
      "TEACH_FORCE OUTPUT_VARIABLES SET_OMEGA_MAX SET_OMEGA_DOT_MAX SET_TORQUE_MAX "
      "SET_OMEGA_MAX_RATE SET_OMEGA_DOT_MAX_RATE SET_TORQUE_MAX_RATE SET_OMEGA_MAX_SLOW "
      "SET_OMEGA_MAX_FAST SET_OMEGA_MAX_NORMAL SET_OMEGA_DOT_MAX_SLOW SET_OMEGA_DOT_MAX_FAST "
      "SET_OMEGA_DOT_MAX_NORMAL SET_TORQUE_MAX_FIRMLY SET_TORQUE_MAX_SOFT SET_TORQUE_MAX_NORMAL");
  for (int code = 0; code < END_OF_CMD; ++code) {
    const std::string name = rix_command_name(code);
    r.load({ins(static_cast<uint8_t>(code)), ins(END)});
    r.step();
    bool listed =
        std::find(unimplemented.begin(), unimplemented.end(), name) != unimplemented.end();
    // SPECIAL, SILENT_ON and SILENT_OFF have handlers that check their arguments first.
    bool checked_first = code == SPECIAL || code == SILENT_ON || code == SILENT_OFF;
    if (listed) {
      EXPECT_EQ(r.report(), "[RIX_RUN]0000: 未実装(" + name + ")");
    } else if (!checked_first) {
      EXPECT_NE(r.c.rix.error_code, 29) << name << " has a handler";
    }
  }
  r.load({ins(static_cast<uint8_t>(END_OF_CMD)), ins(END)});
  EXPECT_FALSE(r.step());
  EXPECT_EQ(r.report(), "[RIX_RUN]0000: 未実装(END_OF_CMD)");
  r.load({ins(200), ins(END)});
  EXPECT_FALSE(r.step());
  EXPECT_EQ(r.report(), "[RIX_RUN]0000: 未実装()");
}

struct Damage {
  const char* what;
  std::vector<RixInstruction> program;
  int code;
};

// A damaged image (labels, kinds, indexes, links, targets out of their ranges) stops with its
// numbered error. Each program ends in END so that a wrong "success" shows as a finished run.
TEST_F(Interpreter, DamagedImagesStopWithTheirNumberedError) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Damage> damaged = {
      {"label past the end", {ins(GOTO, {label(9)}), ins(END)}, 28},
      {"fractional label", {ins(GOTO, {label(0.5)}), ins(END)}, 28},
      {"NaN label", {ins(GOTO, {label(nan)}), ins(END)}, 28},
      {"label of a wrong kind", {ins(GOTO, {constant(1)}), ins(END)}, 30},
      {"GOSUB past the end", {ins(GOSUB, {label(7)}), ins(END)}, 28},
      {"variable index past the table", {ins(EQUAL, {var(99), constant(1)}), ins(END)}, 31},
      {"NaN variable index", {ins(EQUAL, {var(1), {VAR, nan}}), ins(END)}, 31},
      {"joint component 4", {ins(EQUAL, {var(1), {JNT_1 + 3, 0}}), ins(END)}, 31},
      {"relative constant as an operand", {ins(EQUAL, {var(1), {REL_CONSTANT, 1}}), ins(END)}, 31},
      {"unknown assignment target", {ins(EQUAL, 50, {var(1), constant(1)}), ins(END)}, 33},
      {"event condition without a flag",
       {ins(IF_GOTO_EVENT, {var(1), none(), label(1)}), ins(END)},
       32},
      {"RETURN over an emptied stack slot", {ins(RETURN), ins(END)}, 38},
      {"WEND to something else", {ins(WEND, {label(1)}), ins(END)}, 39},
      {"UNTIL back to something else",
       {ins(UNTIL_EQ, {constant(0), constant(1), label(1)}), ins(END)},
       39},
      {"ELSE without its mark",
       {ins(ELSE, {label(1), none(), none(), constant(0)}), ins(ENDIF)},
       39},
      {"IF chain linked to something else",
       {ins(IF_THEN_EQ, {constant(1), constant(1), label(1)}), ins(END)},
       39},
      {"ELSEIF without its mark",
       {ins(ELSEIF_EQ, {constant(1), constant(1), label(1), constant(0)}), ins(ENDIF)},
       39},
      {"NEXT to something else", {ins(NEXT, {var(1), label(1)}), ins(END)}, 39},
      {"NEXT of another variable",
       {ins(FOR, {var(1), constant(1), constant(2), label(2), constant(1)}),
        ins(NEXT, {var(2), label(0)}), ins(END)},
       39},
      {"SUBROUTINE reached by GOTO", {ins(GOTO, {label(1)}), ins(SUBROUTINE), ins(END)}, 51},
      {"SUBROUTINE fallen into",
       {ins(EQUAL, {var(1), constant(1)}), ins(SUBROUTINE), ins(END)},
       51},
      {"SUBROUTINE after a false conditional call",
       {ins(IF_GOSUB_EQ, {constant(0), constant(1), label(2)}), ins(SUBROUTINE), ins(END)},
       51},
      {"message slot past the table", {ins(MESSAGE, {{STRING, 3}}), ins(END)}, 30},
      {"PTP of a joint",
       {ins(PTP, target_joint(1, 1), {constant(0), constant(0), constant(0)}), ins(END)},
       33},
      {"PTP with a joint component",
       {ins(PTP, TARGET_ALL, {{JNT_1, 0}, constant(0), constant(0)}), ins(END)},
       30},
      {"TEACH into a position index past the table",
       {ins(TEACH_POSITION, target_leg(1), {{POS, 7}}), ins(END)},
       31},
      {"WAIT for an input", {ins(WAIT_INPOS, TARGET_VR1), ins(END)}, 30},
      {"AD_IN of board 1", {ins(AD_IN, {constant(1), constant(0), var(1)}), ins(END)}, 30},
      {"STAND_UP with a second value", {ins(STAND_UP, {constant(10), constant(1)}), ins(END)}, 30},
      {"DETECT_FLOOR mode 4", {ins(DETECT_FLOOR, TARGET_ALL, {constant(4)}), ins(END)}, 30},
      {"sampling time beyond the timer", {ins(SET_SAMPLING_TIME, {constant(1e12)}), ins(END)}, 23},
      {"rate above 100", {ins(SET_A_MAX_RATE, TARGET_ALL, {constant(150)}), ins(END)}, 23},
  };
  for (const Damage& d : damaged) {
    SCOPED_TRACE(d.what);
    r.load(d.program);
    if (std::string(d.what) == "RETURN over an emptied stack slot") r.c.rix.gosub_depth = 3;
    int steps = r.run(20);
    EXPECT_LT(steps, 20);
    EXPECT_NE(r.c.mode.auto_step, RuntimeRig::kFinished);
    EXPECT_EQ(r.c.rix.error_code, d.code) << r.report();
  }
}

// Only the loop's own NEXT continues a FOR. A jump that lands on the FOR from below without
// passing its NEXT (here a GOTO; in programs the RETURN of a call made just before the FOR)
// starts the loop again from its start value.
TEST_F(Interpreter, ForReachedFromBelowOtherThanByItsNextStartsAfresh) {
  r.load({ins(EQUAL, {var(2), constant(0)}),                                    // 0
          ins(FOR, {var(1), constant(1), constant(2), label(4), constant(1)}),  // 1
          ins(EQUAL, CAL_LEFT_ADD, {var(2), constant(1)}),                      // 2
          ins(NEXT, {var(1), label(1)}),                                        // 3
          ins(IF_GOTO_LT, {var(2), constant(4), label(1)}),                     // 4
          ins(END)});                                                           // 5
  r.run(100);
  EXPECT_EQ(r.c.rix.error_code, 0) << r.report();
  EXPECT_EQ(r.c.mode.auto_step, RuntimeRig::kFinished);
  EXPECT_EQ(r.value(2), 4) << "two passes, then two more after the jump back";
  EXPECT_EQ(r.value(1), 3);
}

TEST_F(Interpreter, APcOutsideTheProgramIsNeverRead) {
  r.load({ins(END)});
  r.c.rix.pc = 5;
  EXPECT_FALSE(r.step());
  EXPECT_EQ(r.c.rix.error_code, 28);
  r.load({});
  EXPECT_FALSE(r.step());
  EXPECT_EQ(r.c.rix.error_code, 28);
}

TEST_F(Interpreter, TeachAngleStoresTheChainAnglesOfALegOrAJoint) {
  r.load({ins(TEACH_ANGLE, target_leg(2), {{JNT_1 + 1, 0}}),  // the whole vector, any component
          ins(TEACH_ANGLE, target_joint(3, 2), {var(1)}),
          ins(TEACH_ANGLE, target_joint(4, 3), {{JNT_1 + 2, 0}}),  // a component of J
          ins(TEACH_ANGLE, target_leg(1), {var(2)}),               // a leg into one number
          ins(END)});
  r.run();
  const RobotState& s = r.c.state;
  const RixImage& im = r.c.rix;
  EXPECT_EQ(im.jnt[0].value[0], s.angle[1][0]);
  EXPECT_EQ(im.jnt[0].value[1], s.angle[1][1]);
  EXPECT_EQ(im.jnt[0].value[2], s.angle[3][2]) << "then overwritten by joint 3 of leg 4";
  EXPECT_EQ(r.value(1), s.angle[2][1]);
  EXPECT_EQ(r.report(), "[RIX_RUN]0003: 深刻なエラーです(要debug)");
}

}  // namespace
}  // namespace rokan::test
