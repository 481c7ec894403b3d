#include "gui/getstr_form.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rokan {

TgetstrForm::TgetstrForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TgetstrForm"));
  setWindowTitle(QStringLiteral("Input"));
  // No border icons: the dialog is left through its buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("Edit_getstr"));
  edit_->setFixedWidth(273);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("PB_OK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("PB_CANCEL"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &TgetstrForm::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TgetstrForm::set_text(const QString& text) {
  edit_->setText(text);
}

QString TgetstrForm::text() const {
  return edit_->text();
}

void TgetstrForm::reject() {
  edit_->clear();
  QDialog::reject();
}

void TgetstrForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The last text is offered selected, so typing replaces it.
  edit_->setFocus();
  edit_->selectAll();
}

}  // namespace rokan
