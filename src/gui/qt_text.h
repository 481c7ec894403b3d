// Conversions between the controller's CP932 byte strings and Qt's strings, and the fonts the
// console texts are drawn in.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

namespace rokan {

// CP932 text as a QString for display.
QString qt_text(std::string_view cp932);
// A QString as CP932 (characters CP932 cannot hold become '?').
std::string cp932_text(const QString& text);

// Fixed-pitch font with Japanese glyphs for the message strip, the text screen and the lamp
// labels: menus and information pages line up by byte columns, and 0 is not O.
QFont console_font();

}  // namespace rokan
