// Paint box of the message strip (PBox_systemMessage): the console's mode, status and prompt
// lines, 16 pixels apart.
#pragma once

#include <QWidget>

namespace rokan {

struct Controller;

class MessageStripBox : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kLineHeight = 16;
  static constexpr int kTextX = 16;

  MessageStripBox(const Controller& c, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Controller& c_;
};

}  // namespace rokan
