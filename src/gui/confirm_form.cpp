#include "gui/confirm_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialog_buttons.h"
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

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question);
  layout->addWidget(panel);
  const DialogButtons b = add_ok_cancel_row(this, layout, QStringLiteral("PB_CANCEL"));
  ok_ = b.ok;
  connect(b.ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(b.cancel, &QPushButton::clicked, this, &QDialog::reject);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TconfirmForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ok_->setFocus();  // a Cancel clicked last time does not keep the focus
}

}  // namespace rokan
