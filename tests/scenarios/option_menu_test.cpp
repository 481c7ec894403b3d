// The main window's Option menu reached from a script: PT_LIMIT OFF, the drawing skip count and
// the view scales change the controller as the menu items and dialogs do.
#include <gtest/gtest.h>

#include "scenarios/rix_session.h"

namespace rokan {
namespace {

using test::ScriptedSession;

struct OptionMenu : ::testing::Test {
  ScriptedSession s{test::current_test_name()};
  Controller& c = s.c;
  void SetUp() override { s.start(); }
};

TEST_F(OptionMenu, PtLimitOffLetsAHeadlessRunOutOfAPotentiometerFault) {
  c.sensor.raw[2][0] = 4080;  // a potentiometer beyond the converter's band
  s.run("tick 5\nkey C\ntick 5\n");
  EXPECT_EQ(get_mode(c), kEmg) << "alarm clear alone: the fault stops the robot again";
  EXPECT_EQ(s.status_line(), "EMG:PT_LIMIT_OVER: PT20 = 4080");

  s.run("option pt_limit off\nkey C\ntick 5\n");
  EXPECT_EQ(get_mode(c), kManual);
  EXPECT_EQ(c.safety.pt_check_off, 1);

  s.run("option pt_limit on\ntick 1\n");
  EXPECT_EQ(get_mode(c), kEmg) << "the check on again finds the joint still out";
  EXPECT_EQ(s.emg_log(),
            "EMG:PT_LIMIT_OVER: PT20 = 4080\nEMG:PT_LIMIT_OVER: PT20 = 4080\n"
            "EMG:PT_LIMIT_OVER: PT20 = 4080\n");
}

TEST_F(OptionMenu, SkipAndScaleLinesSetWhatTheDialogsSet) {
  s.run("option skip 4\noption scale side 1000\noption scale front 20\noption scale top 0\n");
  EXPECT_EQ(c.cycle.draw_skip, 4);
  EXPECT_DOUBLE_EQ(c.view.scale[kSideView], 1.0);
  EXPECT_DOUBLE_EQ(c.view.scale[kFrontView], 0.02);
  EXPECT_DOUBLE_EQ(c.view.scale[kTopView], 0.0);

  // Views are drawn every skip + 1 cycles: the countdown reloads with the new count.
  s.run("tick 1\n");
  EXPECT_EQ(c.cycle.draw_countdown, 4);
  s.run("option skip 0\ntick 5\n");
  EXPECT_EQ(c.cycle.draw_countdown, 0);
}

TEST_F(OptionMenu, OptionLinesAreOperatorInputThatAModalDialogBlocks) {
  try {
    // The quit confirmation opens in the tick and takes the next line as its answer.
    s.run("key E\ntick 1\noption skip 3\n");
    ADD_FAILURE() << "option accepted while the quit confirmation is open";
  } catch (const ScriptError& e) {
    EXPECT_NE(std::string(e.what()).find("'option' while the quit confirmation is open"),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(c.cycle.draw_skip, 0);
}

}  // namespace
}  // namespace rokan
