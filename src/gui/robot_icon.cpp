#include "gui/robot_icon.h"

#include <QPainter>

namespace rokan {

QPixmap robot_icon(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  // Body, two hips, two knees bent outward and the feet on the ground.
  p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(7, 12), QPointF(25, 12));
  const QPointF left[] = {QPointF(7, 12), QPointF(3, 19), QPointF(6, 28)};
  const QPointF right[] = {QPointF(25, 12), QPointF(29, 19), QPointF(26, 28)};
  p.drawPolyline(left, 3);
  p.drawPolyline(right, 3);
  p.setPen(QPen(Qt::black, 1.5));
  p.drawLine(QPointF(1, 29.5), QPointF(31, 29.5));
  p.setBrush(Qt::yellow);
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(QRectF(12, 7, 8, 5));
  return pm;
}

}  // namespace rokan
