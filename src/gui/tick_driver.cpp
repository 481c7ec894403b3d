#include "gui/tick_driver.h"

namespace rokan {

TickDriver::TickDriver(PeriodTimer& sampling_timer, std::function<void()> tick)
    : tick_(std::move(tick)), interval_ms_(sampling_timer.interval()) {
  timers_.push_back(&sampling_timer);
  running_.push_back(false);
  connect(&sampling_timer, &PeriodTimer::timeout, this, [this] { on_timeout(0); });
}

void TickDriver::arm_for_wait() {
  if (depth_ == 0) return;
  const auto level = static_cast<std::size_t>(depth_);
  while (timers_.size() <= level) {
    auto* t = new PeriodTimer(this);
    const std::size_t l = timers_.size();
    connect(t, &PeriodTimer::timeout, this, [this, l] { on_timeout(l); });
    timers_.push_back(t);
    running_.push_back(false);
  }
  PeriodTimer& t = *timers_[level];
  apply_interval(t);
  if (!t.isActive()) t.start();
}

void TickDriver::set_interval(int milliseconds) {
  interval_ms_ = milliseconds;
  for (std::size_t i = 0; i < timers_.size(); ++i)
    if (!running_[i]) apply_interval(*timers_[i]);
}

bool TickDriver::nested_armed() const {
  for (std::size_t i = 1; i < timers_.size(); ++i)
    if (timers_[i]->isActive()) return true;
  return false;
}

uint64_t TickDriver::missed() const {
  uint64_t n = 0;
  for (const PeriodTimer* t : timers_) n += t->missed();
  return n;
}

void TickDriver::on_timeout(std::size_t level) {
  // Some event dispatchers do re-enter a busy timer; one tick per level at a time regardless.
  if (running_[level]) return;
  running_[level] = true;
  ++depth_;
  tick_();
  --depth_;
  running_[level] = false;
  // The waits inside this tick are over: their nested ticks stop with it.
  for (std::size_t i = level + 1; i < timers_.size(); ++i) timers_[i]->stop();
  apply_interval(*timers_[level]);
}

void TickDriver::apply_interval(PeriodTimer& t) const {
  if (t.interval() != interval_ms_) t.setInterval(interval_ms_);
}

}  // namespace rokan
