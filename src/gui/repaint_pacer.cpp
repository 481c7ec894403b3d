#include "gui/repaint_pacer.h"

#include <algorithm>

namespace rokan {

RepaintPacer::RepaintPacer(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &RepaintPacer::flush);
}

void RepaintPacer::mark(QWidget* w) {
  if (std::find(widgets_.begin(), widgets_.end(), w) == widgets_.end()) widgets_.emplace_back(w);
  schedule();
}

void RepaintPacer::defer(int key, std::function<void()> apply) {
  auto same = [key](const auto& d) { return d.first == key; };
  auto it = std::find_if(deferred_.begin(), deferred_.end(), same);
  if (it != deferred_.end()) {
    it->second = std::move(apply);
  } else {
    deferred_.emplace_back(key, std::move(apply));
  }
  schedule();
}

void RepaintPacer::schedule() {
  if (timer_.isActive()) return;
  // The first change after a quiet spell shows at once; later ones wait for their frame.
  const qint64 since = since_frame_.isValid() ? since_frame_.elapsed() : kFrameMs;
  timer_.start(static_cast<int>(std::max<qint64>(0, kFrameMs - since)));
}

void RepaintPacer::flush() {
  timer_.stop();
  since_frame_.start();
  // An apply may mark again; that belongs to the next frame.
  auto deferred = std::move(deferred_);
  auto widgets = std::move(widgets_);
  deferred_.clear();
  widgets_.clear();
  for (auto& d : deferred) d.second();
  for (const QPointer<QWidget>& w : widgets)
    if (w) w->update();
}

}  // namespace rokan
