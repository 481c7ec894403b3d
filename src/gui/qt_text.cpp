#include "gui/qt_text.h"

#include "platform/text.h"

namespace rokan {

QString qt_text(std::string_view cp932) {
  return QString::fromStdString(cp932_to_utf8(cp932));
}

std::string cp932_text(const QString& text) {
  return utf8_to_cp932(text.toStdString());
}

QFont console_font() {
  QFont f(QStringLiteral("Noto Sans Mono CJK JP"));
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  f.setPixelSize(13);
  return f;
}

}  // namespace rokan
