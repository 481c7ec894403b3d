// The manual control box ("Manual Control Box"): sliders for the operator potentiometers VR1 to
// VR3 and check boxes for the paw contact switches and the antenna switch. It writes straight
// into the sensor record; the next sensor read picks the values up.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QSlider;

namespace rokan {

struct Controller;

class TmanualControlBoxForm : public QWidget {
  Q_OBJECT

 public:
  TmanualControlBoxForm(Controller& c, QWidget* parent = nullptr);

 private:
  void on_slider(int index, int position);

  Controller& c_;
  QSlider* sliders_[3];
  QLineEdit* edits_[3];
};

}  // namespace rokan
