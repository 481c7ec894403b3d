// The string input dialog behind the console's prompted input ("Input"). The field keeps its
// text between uses; Cancel empties it, which the caller reads as "nothing entered".
#pragma once

#include <QDialog>

class QLineEdit;

namespace rokan {

class TgetstrForm : public QDialog {
  Q_OBJECT

 public:
  explicit TgetstrForm(QWidget* parent);

  void set_text(const QString& text);
  QString text() const;

  void reject() override;  // Cancel, Esc

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* edit_;
};

}  // namespace rokan
