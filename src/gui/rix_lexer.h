// Syntax colouring of RIX sources for the program window's editor. The word lists come from the
// compiler's own tables (statement keywords, targets, event flags), so the colours follow
// whatever the compiler accepts.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <QFont>
#include <QSet>
#include <QString>

namespace rokan {

// The console's fixed-pitch font at a point size: Scintilla sizes its text by points only.
QFont editor_font();

class RixLexer : public QsciLexerCustom {
  Q_OBJECT

 public:
  enum Style {
    kDefault = 0,
    kCommand,  // a statement keyword: PTP, FOR, IF, ...
    kTarget,   // a leg, joint or other target: F1, J23, ALL, VR1
    kFlag,     // an event flag: HALT_REQUEST, INPOS_F1, ...
    kLabel,    // NAME:
    kNumber,
    kComment,  // "//" to the end of the line, and the version and heading lines
    kStyleCount
  };

  explicit RixLexer(QObject* parent = nullptr);

  const char* language() const override { return "RIX"; }
  QString description(int style) const override;
  void styleText(int start, int end) override;

  // The style of a word as it stands on its own (letter case ignored).
  Style word_style(const QString& word) const;

 private:
  QSet<QString> commands_, targets_, flags_;
};

}  // namespace rokan
