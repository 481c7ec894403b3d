#include "gui/getstr_form.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialog_buttons.h"

namespace rokan {

TgetstrForm::TgetstrForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TgetstrForm"));
  setWindowTitle(QStringLiteral("Input"));
  // No border icons: the dialog is left through its buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("Edit_getstr"));
  edit_->setFixedWidth(273);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  const DialogButtons b = add_ok_cancel_row(this, layout, QStringLiteral("PB_CANCEL"));
  connect(b.ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(b.cancel, &QPushButton::clicked, this, &TgetstrForm::reject);
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
