// Annotated RIX programs under tests/rix/runs/: each file (UTF-8 in the repository, CP932 on
// the controller's disk) is run as an operator would run it, through the scripted host: AUTO
// mode, program 0, S. Its expectations are comments:
//   // expect: var NAME VALUE     general variable after the run (a number, or NAN for unset)
//   // expect: pos NAME X Y Z     coordinate variable after the run; jnt NAME A B C likewise
//   // expect: error REPORT       the run stops in EMG with this report line on the status line
//   // expect: message TEXT       the run shows this status line ("\t" for a tab); several are
//                                 expected in the order they are written
//   // expect: cycles N           END or EXIT runs in cycle N of the run
// and it may give the operator's inputs in script syntax:
//   // at N: SCRIPT LINE          the event (key a, vr1 1.5, paw1 on ...) before cycle N
// A program without an error expectation must reach END or EXIT, and the controller must then
// return to MANUAL on the next cycle.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "rix/compiler/tables.h"
#include "rix/rix_test_support.h"
#include "scenarios/rix_session.h"

namespace rokan::test {
namespace {

namespace fs = std::filesystem;

constexpr int kCycleLimit = 60000;  // a minute at the workspace's 1 ms sampling time

fs::path runs_dir() {
  return fs::path(ROKAN_SOURCE_DIR) / "tests" / "rix" / "runs";
}

bool same_number(double actual, const std::string& expected) {
  if (expected == "NAN") return actual == kRixUnset;
  double e = std::stod(expected);
  return std::fabs(actual - e) <= 1e-9 * std::max(1.0, std::fabs(e));
}

std::string shown(double v) {
  return v == kRixUnset ? "NAN" : std::to_string(v);
}

struct Expectations {
  std::string error;
  std::vector<std::string> messages;
  std::vector<std::string> values;  // "var X 1", "pos P 1 2 3", ...
  int cycles = -1;
  std::map<int, std::vector<std::string>> inputs;  // cycle -> script lines
  int count = 0;
};

Expectations read_expectations(const std::string& source) {
  Expectations e;
  std::istringstream lines(source);
  for (std::string line; std::getline(lines, line);) {
    std::size_t at = line.find("// at ");
    if (at != std::string::npos) {
      std::size_t colon = line.find(':', at);
      int cycle = std::stoi(line.substr(at + 6, colon - at - 6));
      e.inputs[cycle].push_back(line.substr(colon + 2));
      continue;
    }
    std::string what, rest;
    if (!expectation(line, what, rest)) continue;
    ++e.count;
    if (what == "error") {
      e.error = rest;
    } else if (what == "message") {
      e.messages.push_back(unescape_tabs(rest));
    } else if (what == "cycles") {
      e.cycles = std::stoi(rest);
    } else if (what == "var" || what == "pos" || what == "jnt") {
      e.values.push_back(what + " " + rest);
    } else {
      ADD_FAILURE() << "unknown expectation: " << line;
    }
  }
  return e;
}

void check_value(const RixImage& image, const std::string& spec) {
  std::istringstream in(spec);
  std::string kind, name;
  in >> kind >> name;
  if (kind == "var") {
    std::string value;
    in >> value;
    int i = rix_find_var(image.vars, name);
    ASSERT_GE(i, 0) << spec;
    EXPECT_TRUE(same_number(image.vars[i].value, value))
        << spec << " but it holds " << shown(image.vars[i].value);
    return;
  }
  const auto& table = kind == "pos" ? image.pos : image.jnt;
  int i = rix_find_var(table, name);
  ASSERT_GE(i, 0) << spec;
  for (int k = 0; k < 3; ++k) {
    std::string value;
    in >> value;
    EXPECT_TRUE(same_number(table[i].value[k], value))
        << spec << ": component " << k << " holds " << shown(table[i].value[k]);
  }
}

class Run : public testing::TestWithParam<std::string> {};

TEST_P(Run, MeetsItsExpectations) {
  const std::string source = read_file(runs_dir() / GetParam());
  const Expectations e = read_expectations(source);
  EXPECT_GT(e.count, 0) << "a program without expectations tests nothing";

  RixSession s("run_" + GetParam());
  s.write_program(source);
  ASSERT_NO_FATAL_FAILURE(s.enter_auto());
  s.press_start();
  ASSERT_TRUE(s.c.mode.auto_running) << s.status_line();

  int cycles = 0;
  while (cycles < kCycleLimit && s.c.mode.mode == kAuto &&
         s.c.mode.auto_step != RixSession::kFinishedStep) {
    auto input = e.inputs.find(cycles + 1);
    if (input != e.inputs.end())
      for (const std::string& line : input->second) s.run(line + "\n");
    int ran = s.run_program(1);
    if (ran == 0) break;
    cycles += ran;
  }

  if (!e.error.empty()) {
    EXPECT_EQ(s.c.mode.mode, kEmg) << "the run did not stop";
    EXPECT_EQ(s.status_line(), e.error);
  } else {
    ASSERT_EQ(s.c.mode.auto_step, RixSession::kFinishedStep)
        << "no END after " << cycles << " cycles; status: " << s.status_line()
        << "; pc: " << s.c.rix.pc;
    s.tick();
    EXPECT_EQ(s.c.mode.mode, kManual);
  }
  if (e.cycles >= 0) {
    EXPECT_EQ(cycles, e.cycles);
  }

  // The expected messages in their order among everything the run showed.
  std::size_t next = 0;
  for (const std::string& status : s.statuses)
    if (next < e.messages.size() && status == e.messages[next]) ++next;
  EXPECT_EQ(next, e.messages.size())
      << "message not shown (in order): " << (next < e.messages.size() ? e.messages[next] : "");

  for (const std::string& spec : e.values) check_value(s.c.rix, spec);
}

INSTANTIATE_TEST_SUITE_P(Annotated, Run, testing::ValuesIn(files_in(runs_dir(), ".rix")),
                         [](const auto& info) { return name_of(info.param, "."); });

}  // namespace
}  // namespace rokan::test
