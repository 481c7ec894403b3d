#include "gui/text_information_window.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>

#include "core/controller.h"
#include "gui/qt_text.h"

namespace rokan {
namespace {

constexpr int kMargin = 8;

}  // namespace

TtextInformationWindow::TtextInformationWindow(const Controller& c, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(c) {
  setObjectName(QStringLiteral("TtextInformationWindow"));
  setWindowTitle(QStringLiteral("Text Information Window"));
  setFont(console_font());
  setAutoFillBackground(true);
  resize(kLineWidth + 2 * kMargin, kTextLines * kLineHeight + 2 * kMargin);
}

void TtextInformationWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().windowText().color());
  QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
  option.setWrapMode(QTextOption::NoWrap);
  // Tab stops every eight columns, as on a character terminal.
  option.setTabStopDistance(8 * QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')));
  for (int line = 1; line <= kTextLines; ++line) {
    QString text = qt_text(c_.console.screen[line]);
    // Some lines carry a C-style trailing newline; a line is one row whatever it holds.
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QRectF row(kMargin, kMargin + (line - 1) * kLineHeight, kLineWidth, kLineHeight);
    painter.drawText(row, text, option);
  }
}

}  // namespace rokan
