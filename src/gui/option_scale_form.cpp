#include "gui/option_scale_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "core/controller.h"
#include "core/view_options.h"
#include "gui/dialog_buttons.h"

namespace rokan {
namespace {

struct BarSpec {
  const char* label;
  const char* edit;
  const char* bar;
  int min, max, tick;
};

// Side, front, top (pixels per metre).
constexpr BarSpec kBars[3] = {
    {"Side View", "Edit_SideView", "TrackBar_SideView", kViewScaleRange[0].min,
     kViewScaleRange[0].max, 100},
    {"Front View", "Edit_FrontView", "TrackBar_FrontView", kViewScaleRange[1].min,
     kViewScaleRange[1].max, 50},
    {"Top View", "Edit_TopView", "Trackbar_TopView", kViewScaleRange[2].min, kViewScaleRange[2].max,
     50},
};

}  // namespace

TOptionScaleForm::TOptionScaleForm(Controller& c, QWidget* parent) : QDialog(parent), c_(c) {
  setObjectName(QStringLiteral("TOptionScaleForm"));
  setWindowTitle(QStringLiteral("Option - Scale"));

  auto* group = new QGroupBox(QStringLiteral("Scale [Pixel/m]"), this);
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < 3; ++i) {
    const BarSpec& s = kBars[i];
    edits_[i] = new QLineEdit(group);
    edits_[i]->setObjectName(QString::fromLatin1(s.edit));
    edits_[i]->setReadOnly(true);
    edits_[i]->setFixedWidth(56);
    bars_[i] = new QSlider(Qt::Horizontal, group);
    bars_[i]->setObjectName(QString::fromLatin1(s.bar));
    bars_[i]->setRange(s.min, s.max);
    bars_[i]->setTickInterval(s.tick);
    bars_[i]->setTickPosition(QSlider::TicksBelow);
    bars_[i]->setMinimumWidth(240);
    grid->addWidget(new QLabel(QString::fromLatin1(s.label), group), i, 0);
    grid->addWidget(edits_[i], i, 1);
    grid->addWidget(bars_[i], i, 2);
    connect(bars_[i], &QSlider::valueChanged, this, [this, i](int pos) {
      edits_[i]->setText(QString::number(pos));
      set_view_scale(c_, i, pos);
      emit scale_changed(i);
    });
  }

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  make_ok_the_default(ok, cancel);
  connect(ok, &QPushButton::clicked, this, &TOptionScaleForm::accept);
  connect(cancel, &QPushButton::clicked, this, &TOptionScaleForm::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TOptionScaleForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  for (int i = 0; i < 3; ++i) saved_[i] = c_.view.scale[i];
  for (int i = 0; i < 3; ++i) {
    bars_[i]->setValue(static_cast<int>(saved_[i] * 1000));  // truncated
    edits_[i]->setText(QString::number(bars_[i]->value()));
  }
}

void TOptionScaleForm::accept() {
  for (int i = 0; i < 3; ++i) {
    set_view_scale(c_, i, bars_[i]->value());
    emit scale_changed(i);
  }
  QDialog::accept();
}

void TOptionScaleForm::reject() {
  for (int i = 0; i < 3; ++i) {
    c_.view.scale[i] = saved_[i];
    emit scale_changed(i);
  }
  QDialog::reject();
}

}  // namespace rokan
