#include "gui/tick_driver.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>

#include "gui_fixture.h"

namespace rokan {
namespace {

// A stand-in for the sampling cycle whose first tick blocks in a wait, as a menu does.
struct BlockingTicks {
  int count = 0;
  int deepest = 0;
  bool outer_done = false;
};

TEST(TickDriver, TicksRunNestedWhileATickWaitsForEvents) {
  test_app();
  QTimer timer;
  timer.setInterval(1);
  BlockingTicks t;
  TickDriver* driver = nullptr;
  TickDriver d(timer, [&] {
    ++t.count;
    t.deepest = std::max(t.deepest, driver->depth());
    if (t.count != 1) return;
    QElapsedTimer limit;
    limit.start();
    QTimer wake;  // lets the loop see its time limit should no nested tick come
    wake.start(100);
    while (t.count < 20 && limit.elapsed() < 3000) {
      driver->arm_for_wait();
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    t.outer_done = true;
  });
  driver = &d;
  timer.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return t.outer_done; }, 5000));
  EXPECT_GE(t.count, 20);
  EXPECT_EQ(t.deepest, 2);         // nested one level deep, never deeper
  EXPECT_FALSE(d.nested_armed());  // the wait is over: only the SamplingTimer remains
}

TEST(TickDriver, TicksRunInsideAModalDialogOpenedByATick) {
  test_app();
  QTimer timer;
  timer.setInterval(1);
  BlockingTicks t;
  TickDriver* driver = nullptr;
  TickDriver d(timer, [&] {
    ++t.count;
    if (t.count != 1) return;
    QDialog dialog;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (t.count >= 20) dialog.accept();
    });
    closer.start(2);
    QTimer::singleShot(3000, &dialog, &QDialog::reject);
    driver->arm_for_wait();
    t.outer_done = dialog.exec() == QDialog::Accepted;
  });
  driver = &d;
  timer.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return t.outer_done; }, 5000));
  EXPECT_FALSE(d.nested_armed());
}

TEST(TickDriver, ANewIntervalReachesARunningTimerWhenItsTickReturns) {
  test_app();
  QTimer timer;
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

}  // namespace
}  // namespace rokan
