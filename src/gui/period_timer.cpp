#include "gui/period_timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace rokan {

PeriodTimer::PeriodTimer(QObject* parent) : QObject(parent) {
  fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ < 0) {
    // Without it the cycle still runs, at the coarser pace of a QTimer.
    std::fprintf(stderr, "rokan: no timerfd for the sampling timer (%s); using a Qt timer\n",
                 std::strerror(errno));
    fallback_ = new QTimer(this);
    fallback_->setTimerType(Qt::PreciseTimer);
    connect(fallback_, &QTimer::timeout, this, &PeriodTimer::timeout);
    return;
  }
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  notifier_->setEnabled(false);
  connect(notifier_, &QSocketNotifier::activated, this, &PeriodTimer::on_readable);
}

PeriodTimer::~PeriodTimer() {
  if (fd_ >= 0) {
    delete notifier_;  // before the descriptor it watches goes
    ::close(fd_);
  }
}

void PeriodTimer::setInterval(int milliseconds) {
  interval_ms_ = std::max(milliseconds, 1);
  if (fallback_) {
    fallback_->setInterval(interval_ms_);
  } else if (active_) {
    arm();
  }
}

void PeriodTimer::start() {
  active_ = true;
  if (fallback_) {
    fallback_->start(interval_ms_);
    return;
  }
  arm();
  // Inside its own handler the notifier stays off until the handler returns.
  if (!in_handler_) notifier_->setEnabled(true);
}

void PeriodTimer::stop() {
  active_ = false;
  if (fallback_) {
    fallback_->stop();
    return;
  }
  notifier_->setEnabled(false);
  itimerspec off{};
  timerfd_settime(fd_, 0, &off, nullptr);
  std::uint64_t expirations;
  (void)!::read(fd_, &expirations, sizeof expirations);  // one that had come is dropped
}

void PeriodTimer::arm() {
  itimerspec period{};
  period.it_interval.tv_sec = interval_ms_ / 1000;
  period.it_interval.tv_nsec = static_cast<long>(interval_ms_ % 1000) * 1000000L;
  period.it_value = period.it_interval;  // relative: the first expiry one period from now
  if (timerfd_settime(fd_, 0, &period, nullptr) != 0)
    std::fprintf(stderr, "rokan: the sampling timer could not be set (%s)\n", std::strerror(errno));
}

void PeriodTimer::on_readable() {
  std::uint64_t expirations = 0;
  if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations || expirations == 0)
    return;  // a spurious wake-up: nothing expired
  if (expirations > 1) {
    // Late by a whole period or more: this timeout stands for the latest period, the earlier
    // ones are gone, and the next timeout is one period from now.
    missed_ += expirations - 1;
    arm();
  }
  // No timeout of this timer while its handler runs, even from an event loop nested in it.
  notifier_->setEnabled(false);
  in_handler_ = true;
  const QPointer<PeriodTimer> alive(this);
  emit timeout();
  if (!alive) return;  // the handler closed what owned this timer
  in_handler_ = false;
  if (active_) notifier_->setEnabled(true);
}

}  // namespace rokan
