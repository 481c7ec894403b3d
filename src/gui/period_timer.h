// A repeating timer whose period the kernel keeps (a timerfd watched by a QSocketNotifier), for
// the sampling cycle.
//
// A QTimer cannot run a 1 ms cycle at its rate: Qt's event loop on Unix rounds every wait for a
// timer up to a whole millisecond, so once a tick has taken its fraction of the period, the loop
// sleeps a full millisecond more and each period lasts 1 ms plus the tick's own time (about 920
// ticks a second instead of 1000). A timerfd expires on its schedule however long the handler
// took, and the event loop wakes as soon as it is readable.
//
// A timeout that comes a whole period late or more (the handler, a paint or the system held the
// thread that long) runs one timeout; the periods missed are dropped and counted, and the
// schedule starts again from that timeout, as a QTimer's does. The handler is not entered again
// while it runs (a nested event loop inside it sees no timeout of this timer), as with a QTimer.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace rokan {

class PeriodTimer : public QObject {
  Q_OBJECT

 public:
  explicit PeriodTimer(QObject* parent = nullptr);
  ~PeriodTimer() override;

  // Period, ms (at least 1). On a running timer the schedule starts again from now.
  void setInterval(int milliseconds);
  int interval() const { return interval_ms_; }
  // Starts (or starts again) with the first timeout one period from now.
  void start();
  void stop();
  bool isActive() const { return active_; }

  // Periods that passed without a timeout of their own because a timeout came late.
  uint64_t missed() const { return missed_; }

 signals:
  void timeout();

 private:
  void arm();
  void on_readable();

  int fd_ = -1;  // the timerfd; -1 when the system has none (then fallback_ runs instead)
  QSocketNotifier* notifier_ = nullptr;
  QTimer* fallback_ = nullptr;
  int interval_ms_ = 1;
  bool active_ = false;
  bool in_handler_ = false;
  uint64_t missed_ = 0;
};

}  // namespace rokan
