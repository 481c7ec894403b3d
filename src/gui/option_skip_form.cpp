#include "gui/option_skip_form.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "core/controller.h"
#include "core/view_options.h"
#include "gui/dialog_buttons.h"
#include "gui/qt_text.h"
#include "platform/text.h"

namespace rokan {

TOptionSkipForm::TOptionSkipForm(Controller& c, QWidget* parent) : QDialog(parent), c_(c) {
  setObjectName(QStringLiteral("TOptionSkipForm"));
  setWindowTitle(QStringLiteral("Drawing Skip Cycle"));
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("Edit_Skip"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  const DialogButtons b = add_ok_cancel_row(this, layout, QStringLiteral("PB_Cancel"));
  connect(b.ok, &QPushButton::clicked, this, &TOptionSkipForm::on_ok);
  connect(b.cancel, &QPushButton::clicked, this, &QDialog::reject);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TOptionSkipForm::parse_count(const QString& text) {
  const std::string s = cp932_text(text);
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > INT_MAX) return negative ? INT_MIN : INT_MAX;
  }
  return static_cast<int>(negative ? -v : v);
}

void TOptionSkipForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  edit_->setText(qt_text(format("%5d", c_.cycle.draw_skip)));
  edit_->setFocus();
  edit_->selectAll();
}

void TOptionSkipForm::on_ok() {
  set_draw_skip(c_, parse_count(edit_->text()));
  accept();
}

}  // namespace rokan
