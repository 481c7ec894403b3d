// The drawing skip dialog ("Drawing Skip Cycle"), modal: the views are drawn every
// (count + 1)-th sampling cycle.
#pragma once

#include <QDialog>

class QLineEdit;

namespace rokan {

struct Controller;

class TOptionSkipForm : public QDialog {
  Q_OBJECT

 public:
  TOptionSkipForm(Controller& c, QWidget* parent);

  // Reads a count the way C's atoi does (leading blanks, a sign, digits; anything else ends
  // it, so text that is not a number gives 0), but saturates instead of overflowing.
  static int parse_count(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void on_ok();

  Controller& c_;
  QLineEdit* edit_;
};

}  // namespace rokan
