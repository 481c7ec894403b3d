#include "gui/confirm_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/robot_icon.h"

namespace rokan {

TconfirmForm::TconfirmForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TconfirmForm"));
  setWindowTitle(QStringLiteral("Rokan for Windows"));

  auto* question = new QLabel(QStringLiteral("終了しますか？"), this);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* image = new QLabel(panel);
  image->setPixmap(robot_icon(32));
  auto* product = new QLabel(QStringLiteral("Rokan Offline Debugger"), panel);
  auto* panel_layout = new QHBoxLayout(panel);
  panel_layout->addWidget(image);
  panel_layout->addWidget(product);
  panel_layout->addStretch();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("PB_OK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("PB_CANCEL"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question);
  layout->addWidget(panel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace rokan
