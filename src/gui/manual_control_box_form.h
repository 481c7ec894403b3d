// The manual control box ("Manual Control Box"): sliders for the operator potentiometers VR1 to
// VR3 and check boxes for the paw contact switches and the antenna switch. It writes straight
// into the sensor record; the next sensor read picks the values up. Each change is also
// signalled, for the session recorder.
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

 signals:
  // After the sensor record has the new value: VR index 0..2 at -100..100 (0.1 V steps); switch
  // 0..3 PAW1..PAW4, 4 ANTENNA.
  void slider_moved(int index, int position);
  void switch_toggled(int index, bool on);

 private:
  void on_slider(int index, int position);

  Controller& c_;
  QSlider* sliders_[3];
  QLineEdit* edits_[3];
};

}  // namespace rokan
