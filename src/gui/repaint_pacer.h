// Paces the repaints the sampling cycle asks for. The cycle may change the views, the time field
// and the text screen at every tick (drawing skip 0, 1000 times a second), while a screen shows
// some sixty pictures a second and every paint holds up the next tick. So a change only marks
// its widget, and the marked widgets get one update() per frame: Qt paints them between the
// ticks, and a tick never waits for a paint.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace rokan {

class RepaintPacer : public QObject {
  Q_OBJECT

 public:
  static constexpr int kFrameMs = 20;

  explicit RepaintPacer(QObject* parent = nullptr);

  // `w` changed; it is updated at the next frame.
  void mark(QWidget* w);
  // `apply` runs at the next frame instead of now (the latest one per key replaces an earlier
  // one: the time field's text, say).
  void defer(int key, std::function<void()> apply);

  // Marked widgets and deferred changes waiting for their frame.
  bool pending() const { return !widgets_.empty() || !deferred_.empty(); }
  // Applies everything now (before a still picture is taken, say).
  void flush();

 private:
  void schedule();

  QTimer timer_;
  QElapsedTimer since_frame_;
  std::vector<QPointer<QWidget>> widgets_;
  std::vector<std::pair<int, std::function<void()>>> deferred_;
};

}  // namespace rokan
