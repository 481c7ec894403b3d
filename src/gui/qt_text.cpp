#include "gui/qt_text.h"

#include <QStringList>

#include "platform/text.h"

namespace rokan {

QString qt_text(std::string_view cp932) {
  return QString::fromStdString(cp932_to_utf8(cp932));
}

std::string cp932_text(const QString& text) {
  return utf8_to_cp932(text.toStdString());
}

QFont console_font() {
  // Ricty Diminished: half-width glyphs exactly half the full-width ones, and a slashed zero
  // that is not read as the letter O. A kanji it lacks is taken from Noto Sans Mono CJK JP,
  // which has the same widths.
  QFont f;
  f.setFamilies(QStringList{QString::fromLatin1("Ricty Diminished"),
                            QString::fromLatin1("Noto Sans Mono CJK JP")});
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  f.setPixelSize(13);
  return f;
}

}  // namespace rokan
