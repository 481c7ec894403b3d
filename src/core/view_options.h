// The view settings of the main window's Option menu (drawing skip count, view scales), as
// operations on the controller, so that the GUI's dialogs and rokan-sim's script lines change
// them the same way.
#pragma once

namespace rokan {

struct Controller;

// Track-bar range of each view's scale in the scale dialog, pixels per metre (side, front, top).
struct ViewScaleRange {
  int min, max;
};
inline constexpr ViewScaleRange kViewScaleRange[3] = {{20, 1000}, {20, 500}, {0, 500}};

// Views are drawn every count + 1 cycles. A negative count draws every cycle, like 0, and is
// stored as 0 so that the drawing countdown cannot run away.
void set_draw_skip(Controller& c, int count);

// Scale of view `view` (kSideView, kFrontView, kTopView) from a track-bar position in pixels per
// metre, clamped to the track bar's range.
void set_view_scale(Controller& c, int view, int pixels_per_metre);

}  // namespace rokan
