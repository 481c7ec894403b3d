// The view scale dialog ("Option - Scale"), modeless. Track-bar positions are pixels per metre;
// the views follow a track bar at once, and Cancel returns to the scales the dialog opened with.
#pragma once

#include <QDialog>

class QLineEdit;
class QSlider;

namespace rokan {

struct Controller;

class TOptionScaleForm : public QDialog {
  Q_OBJECT

 public:
  TOptionScaleForm(Controller& c, QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void on_ok();
  void on_cancel();

  Controller& c_;
  QSlider* bars_[3];
  QLineEdit* edits_[3];
  double saved_[3] = {};
};

}  // namespace rokan
