// The sampling cycle's timer: periods kept by the kernel, no timeout inside its own handler, and
// a late timeout that drops the periods it missed instead of running them in a burst.
#include "gui/period_timer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <thread>

#include "gui_fixture.h"

namespace rokan {
namespace {

TEST(PeriodTimer, ALateTimeoutDropsTheMissedPeriodsAndTheScheduleGoesOnFromIt) {
  test_app();
  PeriodTimer timer;
  timer.setInterval(2);
  int timeouts = 0;
  QElapsedTimer since_late;
  qint64 next_after_late_ns = -1;
  QObject::connect(&timer, &PeriodTimer::timeout, [&] {
    ++timeouts;
    if (timeouts == 3) {
      std::this_thread::sleep_for(std::chrono::milliseconds(11));  // five periods and a half
    } else if (timeouts == 4) {
      since_late.start();
    } else if (timeouts == 5) {
      next_after_late_ns = since_late.nsecsElapsed();
    }
  });
  timer.start();
  EXPECT_TRUE(timer.isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return timeouts >= 8; }, 3000));
  timer.stop();
  EXPECT_GE(timer.missed(), 4u) << "the periods the handler slept through are not run later";
  EXPECT_GT(next_after_late_ns, 1'000'000) << "no burst after the late timeout";

  const int stopped_at = timeouts;
  QTest::qWait(20);
  EXPECT_EQ(timeouts, stopped_at);
  EXPECT_FALSE(timer.isActive());
}

TEST(PeriodTimer, NoTimeoutInsideItsOwnHandlerEvenFromANestedEventLoop) {
  test_app();
  PeriodTimer timer;
  timer.setInterval(1);
  int depth = 0, deepest = 0, timeouts = 0;
  QObject::connect(&timer, &PeriodTimer::timeout, [&] {
    ++timeouts;
    deepest = std::max(deepest, ++depth);
    if (timeouts == 1) {
      QElapsedTimer t;
      t.start();
      while (t.elapsed() < 10) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    --depth;
  });
  timer.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return timeouts >= 5; }, 3000));
  EXPECT_EQ(deepest, 1);
}

TEST(PeriodTimer, StoppedInItsHandlerItStaysStopped) {
  test_app();
  PeriodTimer timer;
  timer.setInterval(1);
  int timeouts = 0;
  QObject::connect(&timer, &PeriodTimer::timeout, [&] {
    ++timeouts;
    timer.stop();
  });
  timer.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return timeouts == 1; }, 1000));
  QTest::qWait(15);
  EXPECT_EQ(timeouts, 1);
  timer.start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return timeouts == 2; }, 1000)) << "and starts again";
}

}  // namespace
}  // namespace rokan
