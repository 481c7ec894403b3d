// Expectations written into RIX programs for suite runs: how they are read, and how a finished
// run is judged against them.
#include "sim/run_expect.h"

#include <gtest/gtest.h>

namespace rokan::test {
namespace {

RunExpectations parse(const std::string& source) {
  RunExpectations e;
  std::string error;
  EXPECT_TRUE(parse_run_expectations(source, e, error)) << error;
  return e;
}

std::string parse_error(const std::string& source) {
  RunExpectations e;
  std::string error;
  EXPECT_FALSE(parse_run_expectations(source, e, error));
  return error;
}

TEST(RunExpectations, AreReadFromCommentLinesAnywhereInTheProgram) {
  const RunExpectations e = parse(
      "3.1\nheading\n  //   expect:  message 速度\\t40\\t%  \r\nMESSAGE x // expect: exit 9\n"
      "// expect: emg Domain Error.\n//expect: exit 1\n// expected: exit 2\nEND\n"
      "// expect: message done\n");
  EXPECT_EQ(e.exit, 1) << "a comment after a statement is not an expectation";
  EXPECT_EQ(e.messages, (std::vector<std::string>{"速度\t40\t%", "done"}));
  EXPECT_EQ(e.emg, (std::vector<std::string>{"Domain Error."}));
}

TEST(RunExpectations, MalformedLinesNameTheLineAndTheProblem) {
  EXPECT_EQ(parse_error("a\nb\n// expect: exit one\n"),
            "line 3: 'expect: exit' takes an exit status 0..255, not 'one'");
  EXPECT_EQ(parse_error("// expect: exit 256\n"),
            "line 1: 'expect: exit' takes an exit status 0..255, not '256'");
  EXPECT_EQ(parse_error("// expect: exit 1\n// expect: exit 1\n"),
            "line 2: a second 'expect: exit'");
  EXPECT_EQ(parse_error("x\n// expect: message   \n"), "line 2: 'expect: message' needs a text");
  EXPECT_EQ(parse_error("// expect: emq Domain\n"),
            "line 1: unknown expectation 'emq' (expect: exit N, message TEXT or emg TEXT)");
}

TEST(RunExpectations, WithoutAnyTheRunMustEndWellAndTheReasonIsTheFailure) {
  const RunExpectations none;
  EXPECT_EQ(check_run_expectations(none, {0, "", {"a"}}), "");
  EXPECT_EQ(check_run_expectations(none, {1, "[RIX_RUN]0003: Domain Error.", {}}),
            "[RIX_RUN]0003: Domain Error.");
  EXPECT_EQ(check_run_expectations(none, {3, "", {}}), "expected exit 0, got exit 3");
}

TEST(RunExpectations, AnEmgExpectationImpliesExit1AndMatchesPartOfTheReason) {
  const RunExpectations e = parse("// expect: emg Domain Error.\n");
  EXPECT_EQ(check_run_expectations(e, {1, "[RIX_RUN]0003: Domain Error.", {}}), "");
  EXPECT_EQ(check_run_expectations(e, {1, "EMG:Angle_limit", {}}),
            "expected an EMG stop with 'Domain Error.', got: EMG:Angle_limit");
  EXPECT_EQ(check_run_expectations(e, {0, "", {}}), "expected exit 1, got exit 0");
  // An explicit exit overrides the implied one.
  const RunExpectations timeout = parse("// expect: exit 3\n");
  EXPECT_EQ(check_run_expectations(timeout, {3, "rokan-sim: still runs", {}}), "");
  EXPECT_EQ(check_run_expectations(timeout, {1, "EMG:x", {}}),
            "expected exit 3, got exit 1: EMG:x");
}

TEST(RunExpectations, MessagesMustBeWholeLinesInTheirOrder) {
  const RunExpectations e = parse("// expect: message one\n// expect: message two\n");
  EXPECT_EQ(check_run_expectations(e, {0, "", {"one", "x", "two", ""}}), "");
  EXPECT_EQ(check_run_expectations(e, {0, "", {"two", "one"}}),
            "expected the message 'two' after the previous one, which the program did not show");
  EXPECT_EQ(check_run_expectations(e, {0, "", {"one two"}}),
            "expected the message 'one', which the program did not show");
  // The same message may be expected twice: it must be shown twice.
  const RunExpectations twice = parse("// expect: message a\n// expect: message a\n");
  EXPECT_NE(check_run_expectations(twice, {0, "", {"a"}}), "");
  EXPECT_EQ(check_run_expectations(twice, {0, "", {"a", "a"}}), "");
}

}  // namespace
}  // namespace rokan::test
