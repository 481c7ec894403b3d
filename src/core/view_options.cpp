#include "core/view_options.h"

#include <algorithm>

#include "core/controller.h"

namespace rokan {

void set_draw_skip(Controller& c, int count) {
  c.cycle.draw_skip = std::max(0, count);
}

void set_view_scale(Controller& c, int view, int pixels_per_metre) {
  if (view < kSideView || view > kTopView) return;
  const ViewScaleRange r = kViewScaleRange[view];
  c.view.scale[view] = std::clamp(pixels_per_metre, r.min, r.max) * 0.001;  // pixels per mm
}

}  // namespace rokan
