#include "gui/robot_view_box.h"

#include <QPainter>

#include "core/controller.h"
#include "gui/view_projection.h"

namespace rokan {
namespace {

// The 5 x 5 pixel joint marker: a closed outline around p, remembered in the view state.
void draw_marker(QPainter& painter, ViewState& vs, PixelPoint p) {
  const int corners[5][2] = {{p.x - 2, p.y - 2},
                             {p.x - 2, p.y + 2},
                             {p.x + 2, p.y + 2},
                             {p.x + 2, p.y - 2},
                             {p.x - 2, p.y - 2}};
  QPoint outline[5];
  for (int i = 0; i < 5; ++i) {
    vs.marker[i][0] = corners[i][0];
    vs.marker[i][1] = corners[i][1];
    outline[i] = QPoint(corners[i][0], corners[i][1]);
  }
  painter.drawPolyline(outline, 5);
}

QPoint qpoint(PixelPoint p) {
  return QPoint(p.x, p.y);
}

}  // namespace

RobotViewBox::RobotViewBox(Controller& c, View view, QWidget* parent)
    : QWidget(parent), c_(c), view_(view) {
  // The panel's background shows through: nothing is filled before drawing.
  setAutoFillBackground(false);
}

void RobotViewBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QColor(0, 128, 0));

  ViewState& vs = c_.view;
  const int w = width(), h = height();
  vs.width[view_] = w;
  vs.height[view_] = h;
  vs.ground_offset = ground_offset(c_.state);
  const double scale = vs.scale[view_];
  auto at = [&](const double p[3]) { return project(view_, p, scale, w, h, vs.ground_offset); };

  static constexpr double kOrigin[3] = {0, 0, 0};
  const PixelPoint origin = at(kOrigin);
  draw_marker(painter, vs, origin);
  for (const auto& leg : c_.state.point) {
    painter.drawLine(qpoint(origin), qpoint(at(leg[kBase])));
    for (int j = kBase; j < kFoot; ++j) {
      draw_marker(painter, vs, at(leg[j]));
      painter.drawLine(qpoint(at(leg[j])), qpoint(at(leg[j + 1])));
    }
    draw_marker(painter, vs, at(leg[kFoot]));
  }

  if (view_ != kTopView) {
    painter.setPen(Qt::black);
    painter.drawLine(0, h - kGroundMargin, w, h - kGroundMargin);
  }
}

}  // namespace rokan
