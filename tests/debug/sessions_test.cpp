// Debugging sessions on annotated RIX programs under tests/debug/sessions/. Each program is run
// as an operator runs it (start-up, ORIGIN, initial posture, AUTO, 0, S) with the debugger
// attached; the S cycle compiles it, so its first instruction is still to come. Then the
// program's comments are taken in order:
//   // do: LINE                 a rokan-sim script line (debugger lines, tick, key, ...)
//   // refused: TEXT            the do-line before it was refused with a message holding TEXT
//   // expect: state STATE [REASON [LINE]]   the debugger's state, stop reason, program line
//   // expect: stack NAME@LINE ...           the frames, innermost first
//   // expect: var NAME VALUE | pos NAME X Y Z | jnt NAME A B C   (NAN: unset)
//   // expect: motion L1 L2 L3 L4            each leg's motion pointer line, - for none
//   // expect: foot LEG X Y Z                leg 1..4's foot within 0.5 mm of the point
//   // expect: mode TEXT                     the mode line contains TEXT
//   // expect: error TEXT                    the debugger's error text contains TEXT
//   // expect: operating MODE                MANUAL, AUTO, EMG
// A do-line refused without a refused: line after it fails the test.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "debug/debugger.h"
#include "rix/rix_test_support.h"
#include "scenarios/rix_session.h"
#include "sim/script_debug.h"

namespace rokan::test {
namespace {

namespace fs = std::filesystem;

fs::path sessions_dir() {
  return fs::path(ROKAN_SOURCE_DIR) / "tests" / "debug" / "sessions";
}

bool near_number(double actual, const std::string& expected) {
  if (expected == "NAN") return actual == kRixUnset;
  const double e = std::stod(expected);
  return std::fabs(actual - e) <= 1e-6 * std::max(1.0, std::fabs(e));
}

struct Driver {
  RixSession& s;
  RixDebugger& d;
  std::string refused;  // message of the last refused do-line, until a refused: takes it
  int refused_at = 0;

  void run_line(const std::string& line, int at) {
    if (!refused.empty()) ADD_FAILURE() << "line " << refused_at << " refused: " << refused;
    refused.clear();
    try {
      s.run(line + "\n");
    } catch (const ScriptError& e) {
      refused = e.what();
      refused_at = at;
    }
  }

  void check(const std::string& what, const std::string& rest, int at) {
    SCOPED_TRACE("program line " + std::to_string(at) + ": expect: " + what + " " + rest);
    const std::vector<std::string> w = words_of(rest);
    const RixImage& im = s.c.rix;
    if (what == "state") {
      ASSERT_FALSE(w.empty());
      EXPECT_EQ(rix_run_state_name(rix_debug_state(d, s.c)), w[0]);
      if (w.size() > 1) {
        RixStopReason r = d.stop.reason;
        if (rix_debug_state(d, s.c) == RixRunState::kEnded) r = d.error.reason;
        EXPECT_EQ(rix_stop_reason_name(r), w[1]);
      }
      if (w.size() > 2) {
        EXPECT_EQ(rix_debug_line_of(im, rix_debug_pc(d, s.c)), std::stoi(w[2]));
      }
    } else if (what == "stack") {
      std::string shown;
      for (const RixDebugFrame& f : rix_debug_frames(d, s.c))
        shown += (shown.empty() ? "" : " ") + cp932_to_utf8(f.name) + "@" + std::to_string(f.line);
      EXPECT_EQ(shown, rest);
    } else if (what == "var" || what == "pos" || what == "jnt") {
      ASSERT_GE(w.size(), 2u);
      RixDebugVariable v;
      ASSERT_TRUE(rix_debug_find_variable(im, utf8_to_cp932(w[0]), v)) << w[0];
      EXPECT_EQ(v.count + 1, static_cast<int>(w.size()));
      for (int k = 0; k < v.count && k + 1 < static_cast<int>(w.size()); ++k) {
        EXPECT_TRUE(near_number(v.value[k], w[static_cast<std::size_t>(k) + 1]))
            << w[0] << "[" << k << "] is " << v.value[k];
      }
    } else if (what == "motion") {
      std::string shown;
      for (int leg = 0; leg < 4; ++leg) {
        const int32_t pc = rix_debug_motion_pc(d, s.c, leg);
        shown += (leg ? " " : "") + (pc < 0 ? "-" : std::to_string(rix_debug_line_of(im, pc)));
      }
      EXPECT_EQ(shown, rest);
    } else if (what == "foot") {
      ASSERT_EQ(w.size(), 4u);
      const int leg = std::stoi(w[0]) - 1;
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(s.c.state.point[leg][kFoot][k], std::stod(w[static_cast<std::size_t>(k) + 1]),
                    0.5);
      }
    } else if (what == "mode") {
      EXPECT_NE(cp932_to_utf8(s.c.console.lines[0]).find(rest), std::string::npos)
          << cp932_to_utf8(s.c.console.lines[0]);
    } else if (what == "error") {
      EXPECT_NE(cp932_to_utf8(d.error.text).find(rest), std::string::npos)
          << cp932_to_utf8(d.error.text);
    } else if (what == "operating") {
      static const char* kNames[] = {"MANUAL", "ORIGIN", "AUTO", "EMG"};
      EXPECT_EQ(kNames[s.c.mode.mode], rest);
    } else {
      ADD_FAILURE() << "unknown expectation";
    }
  }
};

class DebugSession : public ::testing::TestWithParam<std::string> {};

TEST_P(DebugSession, GoesAsAnnotated) {
  const std::string source = read_file(sessions_dir() / GetParam());
  ASSERT_FALSE(source.empty());
  RixSession s("debug_" + name_of(GetParam(), "."));
  s.write_program(source);
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  RixDebugger d;
  rix_debug_attach(d, s.c);
  ScriptDebug sd{s.c, d, {}, stderr};
  s.host.set_debug_handler([&](const ScriptEvent& e) { sd.run(e); });
  s.press_start();
  ASSERT_TRUE(s.c.mode.auto_running) << s.status_line();

  Driver driver{s, d, {}, 0};
  std::istringstream lines(source);
  int at = 0, checks = 0;
  for (std::string line; std::getline(lines, line);) {
    ++at;
    const std::size_t mark = line.find("// ");
    if (mark == std::string::npos) continue;
    const std::string comment = line.substr(mark + 3);
    if (comment.rfind("do: ", 0) == 0) {
      driver.run_line(comment.substr(4), at);
    } else if (comment.rfind("refused: ", 0) == 0) {
      EXPECT_NE(driver.refused.find(comment.substr(9)), std::string::npos)
          << "line " << at << ": refusal was '" << driver.refused << "'";
      driver.refused.clear();
      ++checks;
    } else {
      std::string what, rest;
      if (!expectation(line, what, rest)) continue;
      driver.check(what, rest, at);
      ++checks;
    }
    if (::testing::Test::HasFatalFailure()) return;
  }
  if (!driver.refused.empty()) ADD_FAILURE() << "refused: " << driver.refused;
  EXPECT_GT(checks, 0) << "a session without expectations checks nothing";
}

std::vector<std::string> session_files() {
  return files_in(sessions_dir(), ".rix");
}

INSTANTIATE_TEST_SUITE_P(Programs, DebugSession, ::testing::ValuesIn(session_files()),
                         [](const auto& info) { return name_of(info.param, "."); });

}  // namespace
}  // namespace rokan::test
