// The view scale dialog ("Option - Scale"), modeless. Track-bar positions are pixels per metre;
// the views follow a track bar at once, and Cancel (also Esc and the close box) returns to the
// scales the dialog opened with.
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

  void accept() override;  // OK
  void reject() override;  // Cancel, Esc, the close box

 signals:
  // The scale of `view` in the controller changed (a track bar, OK, Cancel).
  void scale_changed(int view);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Controller& c_;
  QSlider* bars_[3];
  QLineEdit* edits_[3];
  double saved_[3] = {};
};

}  // namespace rokan
