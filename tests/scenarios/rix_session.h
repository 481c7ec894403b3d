// A scripted session that runs AUTO programs the way an operator does: start-up, ORIGIN, the move
// to the initial posture, AUTO, the program's number and S. RIX programs are written into the
// user's RIX directory of the session's workspace copy (as CP932, like files on the robot's disks).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "auto/auto_program.h"
#include "core/controller.h"
#include "core/modes.h"
#include "platform/text.h"
#include "support/scripted_session.h"

namespace rokan::test {

// Suite and name of the running test, unique across the binary: it names the workspace copy.
inline std::string current_test_name() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "_" + info->name();
}

class RixSession : public ScriptedSession {
 public:
  explicit RixSession(const std::string& name = current_test_name()) : ScriptedSession(name) {}

  // Writes `utf8_source` as DEFAULT\rixs\<file> in CP932.
  void write_program(std::string_view utf8_source, const std::string& file = "ROKAN.RIX") {
    std::ofstream out(dir() / "DEFAULT" / "rixs" / file, std::ios::binary);
    std::string bytes = utf8_to_cp932(utf8_source);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // Start-up, ORIGIN, the initial posture and AUTO mode with no program chosen.
  void enter_auto() {
    start();
    run("key O\ntick 1\nkey I\ntick 1\n");
    for (int i = 0; i < 200 && !c.mode.initial_reached; ++i) run("tick 50\n");
    ASSERT_TRUE(c.mode.initial_reached) << "the initial posture was not reached";
    run("key A\ntick 1\n");
    ASSERT_EQ(c.mode.mode, kAuto);
  }

  // Keys 0 and S: the program is compiled at the end of the cycle that takes S; the next
  // cycle runs its first instruction. With `accept_warnings`, compiler warnings are answered
  // with a second S.
  void press_start(bool accept_warnings = true) {
    run("key 0\ntick 1\nkey S\ntick 1\n");
    if (accept_warnings && !c.mode.auto_running && c.mode.auto_step == kRixWarningsAcknowledged)
      run("key S\ntick 1\n");
  }

  // `utf8_source` written, AUTO entered and S pressed.
  void start_program(std::string_view utf8_source, bool accept_warnings = true) {
    write_program(utf8_source);
    ASSERT_NO_FATAL_FAILURE(enter_auto());
    press_start(accept_warnings);
  }

  void tick(int n = 1) { run("tick " + std::to_string(n) + "\n"); }

  // Runs cycles until the program has executed END or EXIT (the cycle that ran it included),
  // left AUTO, or `limit` cycles passed; the number of cycles run. Every new status line is
  // added to `statuses` (UTF-8).
  int run_program(int limit) {
    int cycles = 0;
    while (cycles < limit && c.mode.mode == kAuto && c.mode.auto_running &&
           c.mode.auto_step != kFinishedStep) {
      tick();
      ++cycles;
      std::string status = status_line();
      if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
    }
    return cycles;
  }

  static constexpr uint8_t kFinishedStep = kRixFinished;
  std::vector<std::string> statuses;
};

}  // namespace rokan::test
