#include "sim/session_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/controller.h"
#include "sim_test_support.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::lines_of;

// Drives the recorder as a host does: `n` ticks at top level, each running one cycle.
void ticks(Controller& c, SessionRecorder& r, int n) {
  for (int i = 0; i < n; ++i) {
    r.tick_begins();
    ++c.cycle.tick_count;
    r.tick_ends();
  }
}

SessionHeader fixed_header() {
  SessionHeader h;
  h.date = "2026-12-06 23:59:00 UTC";
  h.user = "alice";
  h.login = "DEFAULT";
  h.ini_path = "DEFAULT\\init\\rokan.ini";
  h.ini_read = true;
  h.ini_crc32 = 0x1A2B3C4D;
  return h;
}

std::vector<std::string> body(const std::string& script) {
  std::vector<std::string> out;
  for (const std::string& line : lines_of(script))
    if (line.empty() || line[0] != '#') out.push_back(line);
  return out;
}

TEST(SessionRecorder, WritesTicksBetweenInputsAndTheDialogAnswersWhereTheyCame) {
  test::FakeHost host;
  Controller c(host);
  SessionRecorder r(c);
  ticks(c, r, 3);
  r.key('x');
  r.key('3');
  ticks(c, r, 1);
  r.slider(0, 3);
  r.slider(0, 15);  // dragged on before the next tick: one line
  r.slider(1, -7);
  ticks(c, r, 2000);
  r.check_box(2, true);
  r.check_box(kAntennaBox, false);
  r.key_release(27);
  r.key(13);
  r.key(' ');
  r.key(0x82);  // a lead byte
  // A key that opens the string input dialog inside its tick: the dialog's ticks run nested.
  r.tick_begins();
  ++c.cycle.tick_count;
  ticks(c, r, 5);
  r.input("12.5 mm");
  r.tick_ends();
  r.input_cancel();
  r.input(" cancel");
  r.input("cancel");
  r.input("");
  r.confirm(false);
  r.notice();
  r.quit();
  r.pt_limit(true);
  r.pt_limit(false);
  r.skip(4);
  r.scale(2, 250);
  ticks(c, r, 1);

  const std::string script = SessionRecorder::session_script(fixed_header(), r.events(), {});
  const std::vector<std::string> expected = {
      "tick 3",
      "key x",
      "key 3",
      "tick 1",
      "vr1 1.5",
      "vr2 -0.7",
      "tick 2000",
      "paw3 on",
      "antenna off",
      "key ESC",
      "key CR",
      "key SPACE",
      "key 0x82",
      "tick 6",
      "input 12.5 mm",
      "input cancel",
      "input \" cancel\"",
      "input \"cancel\"",
      "input",
      "confirm cancel",
      "notice ok",
      "quit",
      "option pt_limit off",
      "option pt_limit on",
      "option skip 4",
      "option scale top 250",
      "tick 1",
  };
  EXPECT_EQ(body(script), expected);

  // The cycle each input came in.
  ASSERT_GE(r.events().size(), 5u);
  EXPECT_EQ(r.events()[1].cycle, 3u);  // key x
  EXPECT_EQ(r.events()[4].cycle, 4u);  // vr1
  EXPECT_EQ(r.events()[6].cycle, 5u);  // a tick run: the cycle of its first tick
  EXPECT_EQ(r.events()[7].cycle, 2004u);

  // What the writer writes, the parser reads back as the same events.
  const std::vector<ScriptEvent> parsed = parse_script(script);
  ASSERT_EQ(parsed.size(), r.events().size());
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    const ScriptEvent& a = parsed[i];
    const ScriptEvent& b = r.events()[i].event;
    EXPECT_EQ(a.kind, b.kind) << i;
    EXPECT_EQ(a.count, b.count) << i;
    EXPECT_EQ(a.code, b.code) << i;
    EXPECT_EQ(a.index, b.index) << i;
    EXPECT_EQ(a.position, b.position) << i;
    EXPECT_EQ(a.on, b.on) << i;
    EXPECT_EQ(a.text, b.text) << i;
  }
}

TEST(SessionRecorder, LeadingCommentNamesTheDateTheUserAndTheParameterFileChecksum) {
  const std::string script = SessionRecorder::session_script(fixed_header(), {}, {});
  const std::vector<std::string> lines = lines_of(script);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "# Rokan session recorded 2026-12-06 23:59:00 UTC by alice");
  EXPECT_EQ(lines[1], "# login DEFAULT, DEFAULT\\init\\rokan.ini CRC-32 1A2B3C4D");
  EXPECT_EQ(lines[2].rfind("# replay on a copy of the workspace", 0), 0u);

  SessionHeader unread = fixed_header();
  unread.ini_read = false;
  EXPECT_EQ(lines_of(SessionRecorder::session_script(unread, {}, {}))[1],
            "# login DEFAULT, DEFAULT\\init\\rokan.ini could not be read");
  SessionHeader before_login = fixed_header();
  before_login.login.clear();
  EXPECT_EQ(lines_of(SessionRecorder::session_script(before_login, {}, {}))[1],
            "# recorded before the login: no parameter file read yet");
  EXPECT_EQ(crc32_of("123456789"), 0xCBF43926u);  // the standard check value
  EXPECT_EQ(crc32_of(""), 0u);
}

TEST(SessionRecorder, AnOverRunIsWrittenBeforeTheFirstTickThatRanItsCycle) {
  test::FakeHost host;
  Controller c(host);
  SessionRecorder r(c);
  // Start-up: the first tick waits for keys while its nested ticks return at once; its own
  // cycle 1 runs after them and over-runs.
  r.tick_begins();
  for (int i = 0; i < 3; ++i) {
    r.tick_begins();
    r.tick_ends();
  }
  r.key('q');
  ++c.cycle.tick_count;
  c.cycle.over_run_cycle = 1;
  r.tick_ends();
  ticks(c, r, 9);
  // Cycle 11 over-runs, then waits in a menu whose nested cycle 12 over-runs too.
  r.tick_begins();
  ++c.cycle.tick_count;
  c.cycle.over_run_cycle = 11;
  r.tick_begins();
  ++c.cycle.tick_count;
  c.cycle.over_run_cycle = 12;
  r.tick_ends();
  r.key('Q');
  r.tick_ends();
  ticks(c, r, 3);
  c.cycle.over_run_cycle = 15;  // the last tick
  r.tick_ends();

  const std::string script =
      SessionRecorder::session_script(fixed_header(), r.events(), r.overruns());
  const std::vector<std::string> expected = {
      "fault overrun", "tick 4", "key q", "tick 9", "fault overrun", "tick 1",
      "fault overrun", "tick 1", "key Q", "tick 2", "fault overrun", "tick 1",
  };
  EXPECT_EQ(body(script), expected);
  EXPECT_NO_THROW(parse_script(script));
}

TEST(SessionRecorder, ProgramWindowActionsFollowDebuggerWindowAtTheCyclesTheyCameIn) {
  test::FakeHost host;
  Controller c(host);
  SessionRecorder r(c);
  ticks(c, r, 3);
  r.breakpoint_set(12, "I >= 3", ">= 2");
  r.program_compiled("ROKAN.RIX");
  ticks(c, r, 5);
  r.run_control(DebugOp::kStepOver);
  r.variable_set("P.X", -250.5);
  ticks(c, r, 1);
  r.run_control(DebugOp::kRunTo, 14);
  r.breakpoint_cleared(12);
  r.program_saved("ROKAN.RIX", "3.1\r\nEND\r\n");
  r.run_control(DebugOp::kContinue);
  ticks(c, r, 2);
  EXPECT_TRUE(r.not_recorded().empty());

  const std::string script =
      SessionRecorder::session_script(fixed_header(), r.events(), r.overruns());
  const std::vector<std::string> expected = {
      "debugger window",
      "tick 3",
      "break 12 hits >= 2 if I >= 3",
      "compile ROKAN.RIX",
      "tick 5",
      "next",
      "set P.X -250.5",
      "tick 1",
      "run-to 14",
      "clear 12",
      "save ROKAN.RIX My4xDQpFTkQNCg==",
      "continue",
      "tick 2",
  };
  EXPECT_EQ(body(script), expected);
  EXPECT_NO_THROW(parse_script(script));
}

// An action whose line would read back as another one is not written as that line: the script
// says so where it happened and at its top, and the recorder lists it for the save to show.
TEST(SessionRecorder, AnActionWithoutAFaithfulLineIsNamedNotWritten) {
  test::FakeHost host;
  Controller c(host);
  SessionRecorder r(c);
  ticks(c, r, 1);
  r.breakpoint_set(5, {}, "2 if I > 1");  // the hit count would swallow the condition's keyword
  r.variable_set("\x81", 1);              // half a double-byte character
  r.run_control(DebugOp::kContinue);
  ticks(c, r, 1);
  ASSERT_EQ(r.not_recorded().size(), 2u);
  EXPECT_EQ(r.not_recorded()[0],
            "breakpoint at line 5: its script line reads back as another action");
  EXPECT_NE(r.not_recorded()[1].find("not valid Shift-JIS"), std::string::npos)
      << r.not_recorded()[1];

  SessionHeader h = fixed_header();
  h.not_recorded = r.not_recorded();
  const std::string script = SessionRecorder::session_script(h, r.events(), r.overruns());
  const std::vector<std::string> lines = lines_of(script);
  EXPECT_EQ(lines.at(3),
            "# NOT A FAITHFUL REPLAY: not recorded: breakpoint at line 5: its script line reads "
            "back as another action");
  const std::vector<std::string> expected = {"debugger window", "tick 1", "continue", "tick 1"};
  EXPECT_EQ(body(script), expected);
  EXPECT_NE(script.find("\n# NOT RECORDED: breakpoint at line 5: "), std::string::npos);
  EXPECT_NO_THROW(parse_script(script));
}

}  // namespace
}  // namespace rokan

namespace rokan::test {
namespace {

// A recorded session edited by hand: rokan-sim names the line and runs nothing of a script that
// does not read; an answer with no dialog to take it stops the replay at that line.
struct EditedSession : SimWorkspace {
  static constexpr const char* kHeader =
      "# Rokan session recorded 2026-12-07 00:48:46 UTC by alice\n"
      "# login DEFAULT, DEFAULT\\init\\rokan.ini CRC-32 F4515E44\n";
  Outcome replay(const std::string& body) {
    std::ofstream(dir / "session.txt", std::ios::binary) << kHeader << body;
    return sim("--workspace ws --script session.txt");
  }
};

TEST_F(EditedSession, NonsenseIsNamedWithItsLineAndExitsTwoBeforeAnythingRuns) {
  const std::string emg_log = slurp(ws / "emg" / "emg.log");
  for (const char* line : {"vr1 12", "tick -3", "fly away", "key 0xZZ", "quit now"}) {
    Outcome r = replay("tick 2\nkey q\n" + std::string(line) + "\ntick 5\n");
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.err.rfind("rokan-sim: session.txt: line 5: ", 0), 0u) << r.err;
    EXPECT_EQ(slurp(ws / "emg" / "emg.log"), emg_log) << "ran half of: " << line;
  }
  Outcome r = replay("tick 2\nkey q\ntick 1\nkey q\ntick 3\ninput 7.5\ntick 5\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 8: 'input' answers the string input dialog, but no dialog is open"),
            std::string::npos)
      << r.err;
}

TEST_F(EditedSession, FileQuitAsksAndEndsOnlyOnOk) {
  Outcome r = replay(
      "tick 2\nkey q\ntick 1\nkey q\ntick 3\nquit\ntick 4\nconfirm cancel\n"
      "tick 2\ndump strip\nquit\nconfirm ok\ntick 1\ndump strip\n");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> out = lines_of(r.out);
  ASSERT_EQ(out.size(), 1u) << "nothing runs after the quit: " << r.out;
  EXPECT_NE(out[0].find("\"mode_line\":\"MANUAL\""), std::string::npos) << out[0];
}

}  // namespace
}  // namespace rokan::test
