#include "gui/rix_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>

#include "gui/qt_text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/tables.h"

namespace rokan {

namespace {

bool is_word_char(QChar ch) {
  return ch.isLetterOrNumber() || ch == QLatin1Char('_') || ch == QLatin1Char('.');
}

}  // namespace

QFont editor_font() {
  QFont f = console_font();
  f.setPointSize(10);
  return f;
}

RixLexer::RixLexer(QObject* parent) : QsciLexerCustom(parent) {
  for (std::string_view k : rix_statement_keywords())
    commands_.insert(QString::fromLatin1(k.data(), static_cast<qsizetype>(k.size())));
  // Words that join the parts of a statement or declare variables.
  for (const char* w : {"THEN", "TO", "STEP", "DEF_VAR", "DEF_POS", "DEF_JNT"})
    commands_.insert(QString::fromLatin1(w));
  const QString prefix = QStringLiteral("TARGET_");
  for (int code = rix::TARGET_ALL; code < rix::CAL_LEFT_ADD; ++code) {
    QString name = QString::fromLatin1(rix_target_name(code));
    if (name.startsWith(prefix)) name = name.mid(prefix.size());
    targets_.insert(name);
  }
  for (int code = rix::NO_EVENT; code <= rix::SPECIAL_FLAG0 + 9; ++code)
    flags_.insert(QString::fromLatin1(rix_arg_name(code)));

  setDefaultFont(editor_font());
  const QColor colours[kStyleCount] = {Qt::black,          QColor(0, 0, 160),   QColor(128, 0, 128),
                                       QColor(160, 80, 0), QColor(0, 112, 112), QColor(200, 0, 0),
                                       QColor(0, 128, 0)};
  for (int s = 0; s < kStyleCount; ++s) {
    setColor(colours[s], s);
    QFont f = editor_font();
    f.setBold(s == kCommand || s == kLabel);
    setFont(f, s);
  }
}

QString RixLexer::description(int style) const {
  static const char* const kNames[kStyleCount] = {"Default", "Command", "Target", "Flag",
                                                  "Label",   "Number",  "Comment"};
  return style >= 0 && style < kStyleCount ? QString::fromLatin1(kNames[style]) : QString();
}

RixLexer::Style RixLexer::word_style(const QString& word) const {
  const QString w = word.toUpper();
  if (w.size() > 1 && w.endsWith(QLatin1Char(':'))) return kLabel;
  if (commands_.contains(w)) return kCommand;
  if (targets_.contains(w)) return kTarget;
  if (flags_.contains(w)) return kFlag;
  bool number = false;
  w.toDouble(&number);
  return number ? kNumber : kDefault;
}

void RixLexer::styleText(int start, int end) {
  QsciScintilla* ed = editor();
  if (!ed) return;
  // Whole lines are styled: a word or comment never starts in the middle of the range.
  int line_from = 0, index = 0, line_to = 0;
  ed->lineIndexFromPosition(start, &line_from, &index);
  ed->lineIndexFromPosition(end, &line_to, &index);
  start = static_cast<int>(ed->positionFromLineIndex(line_from, 0));
  startStyling(start);
  for (int line = line_from; line <= line_to && line < ed->lines(); ++line) {
    // Scintilla counts in UTF-8 bytes; the QString is walked with its byte length alongside.
    const QString text = ed->text(line);
    auto bytes = [](const QString& s) { return static_cast<int>(s.toUtf8().size()); };
    if (line < 2) {  // the version and the heading
      setStyling(bytes(text), kComment);
      continue;
    }
    int i = 0;
    while (i < text.size()) {
      const QChar ch = text[i];
      if (ch == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] == QLatin1Char('/')) {
        setStyling(bytes(text.mid(i)), kComment);
        break;
      }
      if (is_word_char(ch) || ch == QLatin1Char('-') || ch == QLatin1Char('+')) {
        int j = i + 1;
        while (j < text.size() && is_word_char(text[j])) ++j;
        if (j < text.size() && text[j] == QLatin1Char(':')) ++j;
        const QString word = text.mid(i, j - i);
        setStyling(bytes(word), word_style(word));
        i = j;
        continue;
      }
      setStyling(bytes(QString(ch)), kDefault);
      ++i;
    }
  }
}

}  // namespace rokan
