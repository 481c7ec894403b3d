// The quit confirmation ("終了しますか？"): OK ends the program, Cancel goes on.
#pragma once

#include <QDialog>

class QPushButton;

namespace rokan {

class TconfirmForm : public QDialog {
  Q_OBJECT

 public:
  explicit TconfirmForm(QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* ok_;
};

}  // namespace rokan
