#include "gui/message_strip_box.h"

#include <QPainter>

#include "core/controller.h"
#include "gui/qt_text.h"

namespace rokan {

MessageStripBox::MessageStripBox(const Controller& c, QWidget* parent) : QWidget(parent), c_(c) {
  setFixedHeight(3 * kLineHeight);
  setFont(console_font());
}

void MessageStripBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.setPen(palette().windowText().color());
  for (int i = 0; i < 3; ++i) {
    const QRect row(kTextX, kLineHeight * i, width() - kTextX, kLineHeight);
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     qt_text(c_.console.lines[i]));
  }
}

}  // namespace rokan
