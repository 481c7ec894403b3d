// The text information window ("Text Information Window"): the console's 25-line text screen,
// where the menus, the start-up messages and the information pages appear.
#pragma once

#include <QWidget>

namespace rokan {

struct Controller;

class TtextInformationWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kLineHeight = 16;
  static constexpr int kLineWidth = 640;

  // Paints the console's text screen as it stands; the main window asks for a paint when the
  // screen changes.
  explicit TtextInformationWindow(const Controller& c, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Controller& c_;
};

}  // namespace rokan
