#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>

#include "gui/confirm_form.h"
#include "gui/manual_control_box_form.h"
#include "gui_fixture.h"

namespace rokan {
namespace {

TEST_F(GuiTest, SamplingGoesOnWhileTheQuitConfirmationOpenedByAKeyWaits) {
  start_past_startup();
  TconfirmForm& form = session_->host().confirm_form();
  uint64_t ticks_at_open = 0, ticks_while_open = 0;
  bool answered = false;
  QElapsedTimer open_for;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (answered || !form.isVisible()) return;
    if (ticks_at_open == 0) {
      ticks_at_open = c().cycle.tick_count;
      open_for.start();
    }
    // Should no tick come, the dialog is still closed after a while, and the count tells.
    if (c().cycle.tick_count < ticks_at_open + 20 && open_for.elapsed() < 3000) return;
    ticks_while_open = c().cycle.tick_count - ticks_at_open;
    answered = true;
    child<QPushButton>(form, "PB_CANCEL").click();
  });
  watcher.start(5);

  QTest::keyClick(&main_form(), Qt::Key_E);  // E in MANUAL: the quit confirmation, in a tick
  ASSERT_TRUE(QTest::qWaitFor([&] { return answered && !form.isVisible(); }, 10000));
  EXPECT_GE(ticks_while_open, 20u);
  EXPECT_FALSE(c().cycle.terminated);
  const uint64_t after = c().cycle.tick_count;
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().cycle.tick_count > after + 5; }, 5000));
}

TEST_F(GuiTest, OneTypedIntoTheManualBoxTakesLegOneIntoManualControl) {
  start_past_startup();
  ASSERT_EQ(c().mode.selected_leg, -1);
  QTest::keyClick(&child<QSlider>(main_form().manual_box(), "TrackBar_VR1"), Qt::Key_1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().mode.selected_leg == 0; }, 5000));
}

}  // namespace
}  // namespace rokan
