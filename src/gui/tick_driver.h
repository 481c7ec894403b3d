// Runs the sampling cycle from the main window's SamplingTimer and keeps it running while a
// cycle is blocked in a wait. The timers are PeriodTimers, which keep the sampling period to the
// microsecond (see period_timer.h for why a QTimer cannot).
//
// A menu or a modal dialog runs inside a sampling tick, and while it waits the robot must stay
// under control, so complete ticks have to run nested inside the waiting call. Qt does not
// deliver a timer's event again while that timer's handler is still running, so the
// SamplingTimer alone gives no nested ticks (a PeriodTimer behaves alike). Each nesting level
// therefore has a timer of its own: level 0 is the SamplingTimer; a wait inside a level-k tick arms
// the level-(k+1) timer, which is stopped again when the level-k tick returns.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "gui/period_timer.h"

namespace rokan {

class TickDriver : public QObject {
  Q_OBJECT

 public:
  // `tick` runs one sampling cycle. The SamplingTimer is not owned; starting and stopping it
  // stays with its window.
  TickDriver(PeriodTimer& sampling_timer, std::function<void()> tick);

  // Called before each step of a wait (event processing for a key, a modal dialog): makes sure
  // that ticks of the next level fire while the current tick is blocked. Outside any tick it
  // does nothing, as the SamplingTimer itself can fire then.
  void arm_for_wait();

  // Interval of every level's timer, ms. A timer whose tick is still running takes the new
  // interval when that tick returns (re-setting a running timer would restart it).
  void set_interval(int milliseconds);
  int interval() const { return interval_ms_; }

  // Number of ticks on the stack (0 = none running).
  int depth() const { return depth_; }
  // True while a timer above the SamplingTimer is running.
  bool nested_armed() const;
  // Sampling periods dropped at every level because their timeout came a period late or more.
  uint64_t missed() const;

 private:
  void on_timeout(std::size_t level);
  void apply_interval(PeriodTimer& t) const;

  std::function<void()> tick_;
  std::vector<PeriodTimer*> timers_;  // [0] the SamplingTimer; the others are children of this
  std::vector<bool> running_;         // a level's tick is on the stack
  int depth_ = 0;
  int interval_ms_;
};

}  // namespace rokan
