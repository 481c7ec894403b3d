// Where the text information window and the manual control box open: beside the main window,
// never over it (its lamps and views stay in sight), and on the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace rokan {

enum class Side { kRight, kLeft, kBelow, kAbove };

// Top-left corner of a window frame of `size` placed beside `main` (the main window's frame),
// trying the sides in `order`, `gap` pixels away, aligned with main's top (left and right) or
// left edge (above and below). A place must lie on `screen` and must not overlap `main` or
// `taken` (a window placed before); when no side has room, the first side is used, moved onto
// the screen.
QPoint place_beside(const QRect& main, const QSize& size, const QRect& screen,
                    const std::vector<Side>& order, const QRect& taken = QRect(), int gap = 8);

}  // namespace rokan
