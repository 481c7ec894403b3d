// The about box ("Rokan_winについて") with the controller and RIX language versions.
#pragma once

#include <QDialog>

class QLabel;

namespace rokan {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent);

  // Fills the version labels; called before each showing.
  void prepare();

 private:
  QLabel* ardo_version_;
  QLabel* rix_version_;
};

}  // namespace rokan
