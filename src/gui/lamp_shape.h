// One status lamp of the control panel: a 49 x 15 rectangle, yellow when lit, white otherwise.
#pragma once

#include <QWidget>

namespace rokan {

class LampShape : public QWidget {
  Q_OBJECT

 public:
  explicit LampShape(QWidget* parent);

  void set_lit(bool lit);
  bool lit() const { return lit_; }
  QColor colour() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool lit_ = false;
};

}  // namespace rokan
