// Paint box of one robot view (PBox_mainView, PBox_frontView, PBox_topView): draws the legs as
// green stick figures with joint markers, and the ground line in the side and front views. It
// paints over the background of the panel that holds it and never fills it itself.
#pragma once

#include <QWidget>

#include "core/view_state.h"

namespace rokan {

struct Controller;

class RobotViewBox : public QWidget {
  Q_OBJECT

 public:
  RobotViewBox(Controller& c, View view, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Controller& c_;
  View view_;
};

}  // namespace rokan
