// The sampling-log notice ("LOG"): the log writer's three texts and OK.
#pragma once

#include <QDialog>

class QLabel;

namespace rokan {

class TLogConfirmForm : public QDialog {
  Q_OBJECT

 public:
  explicit TLogConfirmForm(QWidget* parent);

  void set_texts(const QString& file, const QString& over_time, const QString& overflow);

 private:
  QLabel* file_;
  QLabel* over_time_;
  QLabel* overflow_;
};

}  // namespace rokan
