// The scripted host's waits and its mistakes, seen from the controller's side. The operator's
// sessions themselves are scenario files (tests/scenarios/scripts).
#include <gtest/gtest.h>

#include "console/console.h"
#include "scenarios/rix_session.h"

namespace rokan {
namespace {

using test::ScriptedSession;

struct OperatorSession : ::testing::Test {
  ScriptedSession s{test::current_test_name()};
  Controller& c = s.c;
  void SetUp() override { s.start(); }
};

TEST_F(OperatorSession, MenuWaitKeepsTheSamplingCycleRunning) {
  // A wait inside the cycle (as a menu does) runs the queued ticks as nested cycles, and the key
  // that ends the wait goes to the wait, not to a nested cycle's dispatcher.
  s.host.append(parse_script("tick 250\nkey 2\ntick 1\n"));
  const double t0 = c.cycle.elapsed;
  EXPECT_EQ(wait_key(c), '2');
  EXPECT_NEAR(c.cycle.elapsed - t0, 0.25, 1e-9);
  EXPECT_EQ(c.mode.selected_leg, -1);
  s.host.run();
  EXPECT_EQ(c.mode.selected_leg, -1) << "the key was taken by the wait";
}

// A script that does not fit what the program waits for stops with the line and the wait named.
TEST(OperatorSessionScript, MistakesAreReportedWithTheirLineAndTheWait) {
  const struct {
    const char* script;
    std::vector<const char*> said;
  } cases[] = {
      {"tick 1\nkey Q\nkey x\nkey E\ntick 1\n# the dialog is open now\nkey x\n",
       {"line 7", "quit confirmation"}},
      {"# start\ntick 1\nkey q\n", {"after line 3", "during start-up", "キーを押してください"}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.script);
    ScriptedSession s(test::current_test_name());
    try {
      s.run(k.script);
      ADD_FAILURE() << "the script ran";
    } catch (const std::exception& e) {
      for (const char* part : k.said)
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace rokan
