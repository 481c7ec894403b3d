#include "gui/manual_control_box_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include "core/controller.h"
#include "gui/qt_text.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr double kVoltsPerStep = 0.1;  // slider -100..100 gives -10.0..+10.0 V

QCheckBox* switch_box(const QString& caption, const QString& name, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TmanualControlBoxForm::TmanualControlBoxForm(Controller& c, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinimizeButtonHint),
      c_(c) {
  setObjectName(QStringLiteral("TmanualControlBoxForm"));
  setWindowTitle(QStringLiteral("Manual Control Box"));

  auto* control = new QGroupBox(QStringLiteral("Control"), this);
  auto* grid = new QGridLayout(control);
  for (int i = 0; i < 3; ++i) {
    const QString n = QString::number(i + 1);
    sliders_[i] = new QSlider(Qt::Horizontal, control);
    sliders_[i]->setObjectName(QStringLiteral("TrackBar_VR") + n);
    sliders_[i]->setRange(-100, 100);
    sliders_[i]->setSingleStep(1);
    sliders_[i]->setPageStep(10);
    sliders_[i]->setValue(0);
    sliders_[i]->setMinimumWidth(200);
    edits_[i] = new QLineEdit(QStringLiteral("0.0[V]"), control);
    edits_[i]->setObjectName(QStringLiteral("Edit_VR") + n);
    edits_[i]->setReadOnly(true);
    edits_[i]->setEnabled(false);
    edits_[i]->setFixedWidth(64);
    grid->addWidget(new QLabel(QStringLiteral("VR") + n, control), i, 0);
    grid->addWidget(sliders_[i], i, 1);
    grid->addWidget(edits_[i], i, 2);
    connect(sliders_[i], &QSlider::valueChanged, this,
            [this, i](int position) { on_slider(i, position); });
  }

  auto* sensors = new QGroupBox(QStringLiteral("External Sensors"), this);
  auto* row = new QHBoxLayout(sensors);
  for (int leg = 0; leg < kLegCount; ++leg) {
    const QString n = QString::number(leg + 1);
    QCheckBox* paw = switch_box(QStringLiteral("PAW") + n, QStringLiteral("CBox_PAW") + n, sensors);
    row->addWidget(paw);
    connect(paw, &QCheckBox::toggled, this, [this, leg](bool on) {
      c_.sensor.paw_volt[leg] = on ? kSwitchClosedVolts : kSwitchOpenVolts;
      emit switch_toggled(leg, on);
    });
  }
  row->addSpacing(16);
  row->addWidget(new QLabel(QStringLiteral("Antenna"), sensors));
  QCheckBox* antenna =
      switch_box(QStringLiteral("ANTENNA"), QStringLiteral("CBox_ANTENNA"), sensors);
  row->addWidget(antenna);
  connect(antenna, &QCheckBox::toggled, this, [this](bool on) {
    c_.sensor.antenna_volt = on ? kSwitchClosedVolts : kSwitchOpenVolts;
    emit switch_toggled(4, on);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(control);
  layout->addWidget(sensors);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TmanualControlBoxForm::on_slider(int index, int position) {
  const double volts = position * kVoltsPerStep;
  c_.sensor.vr[index] = volts;
  edits_[index]->setText(qt_text(format("%.1lf[V]", volts)));
  emit slider_moved(index, position);
}

}  // namespace rokan
