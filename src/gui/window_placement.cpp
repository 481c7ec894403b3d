#include "gui/window_placement.h"

#include <algorithm>

namespace rokan {
namespace {

QRect candidate(const QRect& main, const QSize& size, Side side, int gap) {
  switch (side) {
    case Side::kRight:
      return QRect(QPoint(main.right() + 1 + gap, main.top()), size);
    case Side::kLeft:
      return QRect(QPoint(main.left() - gap - size.width(), main.top()), size);
    case Side::kBelow:
      return QRect(QPoint(main.left(), main.bottom() + 1 + gap), size);
    case Side::kAbove:
      return QRect(QPoint(main.left(), main.top() - gap - size.height()), size);
  }
  return QRect(main.topLeft(), size);
}

// Moves `r` the least distance onto `screen` (its top-left wins when it is larger).
QRect onto(QRect r, const QRect& screen) {
  r.moveLeft(std::max(screen.left(), std::min(r.left(), screen.right() + 1 - r.width())));
  r.moveTop(std::max(screen.top(), std::min(r.top(), screen.bottom() + 1 - r.height())));
  return r;
}

}  // namespace

QPoint place_beside(const QRect& main, const QSize& size, const QRect& screen,
                    const std::vector<Side>& order, const QRect& taken, int gap) {
  for (Side side : order) {
    // Along the edge it shares with main, a window may slide to stay on the screen.
    QRect r = candidate(main, size, side, gap);
    if (side == Side::kRight || side == Side::kLeft) {
      r.moveTop(onto(r, screen).top());
    } else {
      r.moveLeft(onto(r, screen).left());
    }
    if (screen.contains(r) && !r.intersects(main) && !(taken.isValid() && r.intersects(taken)))
      return r.topLeft();
  }
  const Side first = order.empty() ? Side::kRight : order.front();
  return onto(candidate(main, size, first, gap), screen).topLeft();
}

}  // namespace rokan
