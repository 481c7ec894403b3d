// The quit confirmation ("終了しますか？"): OK ends the program, Cancel goes on.
#pragma once

#include <QDialog>

namespace rokan {

class TconfirmForm : public QDialog {
  Q_OBJECT

 public:
  explicit TconfirmForm(QWidget* parent);
};

}  // namespace rokan
