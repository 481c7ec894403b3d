#include "gui/tick_driver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>

#include "gui/confirm_form.h"
#include "gui_fixture.h"

namespace rokan {
namespace {

TEST(TickDriver, TicksRunNestedWhileATickWaitsForEvents) {
  test_app();
  PeriodTimer timer;
  timer.setInterval(1);
  int count = 0, deepest = 0;
  bool outer_done = false;
  TickDriver* driver = nullptr;
  // The first tick blocks in a wait, as a menu does.
  TickDriver d(timer, [&] {
    ++count;
    deepest = std::max(deepest, driver->depth());
    if (count != 1) return;
    QElapsedTimer limit;
    limit.start();
    QTimer wake;  // lets the loop see its time limit should no nested tick come
    wake.start(100);
    while (count < 20 && limit.elapsed() < 3000) {
      driver->arm_for_wait();
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    outer_done = true;
  });
  driver = &d;
  timer.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return outer_done; }, 5000));
  EXPECT_GE(count, 20);
  EXPECT_EQ(deepest, 2);           // nested one level deep, never deeper
  EXPECT_FALSE(d.nested_armed());  // the wait is over: only the SamplingTimer remains
}

TEST(TickDriver, ANewIntervalReachesARunningTimerWhenItsTickReturns) {
  test_app();
  PeriodTimer timer;
  timer.setInterval(1);
  int ticks = 0;
  int interval_inside = -1;
  TickDriver* driver = nullptr;
  TickDriver d(timer, [&] {
    ++ticks;
    driver->set_interval(7);
    interval_inside = timer.interval();
  });
  driver = &d;
  timer.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 1; }, 2000));
  EXPECT_EQ(interval_inside, 1);  // not restarted from inside its own handler
  EXPECT_EQ(timer.interval(), 7);
}

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

  type_key(main_form(), Qt::Key_E);  // E in MANUAL: the quit confirmation, in a tick
  ASSERT_TRUE(QTest::qWaitFor([&] { return answered && !form.isVisible(); }, 10000));
  EXPECT_GE(ticks_while_open, 20u);
  EXPECT_FALSE(c().cycle.terminated) << "Cancel goes on";
  const uint64_t after = c().cycle.tick_count;
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().cycle.tick_count > after + 5; }, 5000));
}

}  // namespace
}  // namespace rokan
