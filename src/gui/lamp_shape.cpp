#include "gui/lamp_shape.h"

#include <QPainter>

namespace rokan {

LampShape::LampShape(QWidget* parent) : QWidget(parent) {
  setFixedSize(49, 15);
}

void LampShape::set_lit(bool lit) {
  if (lit == lit_) return;  // the lamps are set every tick; repaint only on a change
  lit_ = lit;
  update();
}

QColor LampShape::colour() const {
  return lit_ ? QColor(Qt::yellow) : QColor(Qt::white);
}

void LampShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(Qt::black);
  painter.setBrush(colour());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace rokan
