// State shared by the three robot views; the GUI paints from it, the dialogs change the scales.
#pragma once

namespace rokan {

enum View { kSideView = 0, kFrontView = 1, kTopView = 2 };

struct ViewState {
  double ground_offset = 0;  // mm: minus the z of the lowest toe, recomputed at each paint
  int marker[5][2] = {};     // outline of the last joint marker drawn
  int width[3] = {};
  int height[3] = {};
  double scale[3] = {0.4, 0.2, 0.2};  // pixels per mm
};

}  // namespace rokan
