#include "gui/log_confirm_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rokan {
namespace {

QLabel* named_label(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

TLogConfirmForm::TLogConfirmForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TLogConfirmForm"));
  setWindowTitle(QStringLiteral("LOG"));
  file_ = named_label("LogConfirmLabel", this);
  over_time_ = named_label("OverTimeLabel", this);
  overflow_ = named_label("OverFlowLabel", this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OkButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file_);
  layout->addWidget(over_time_);
  layout->addWidget(overflow_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TLogConfirmForm::set_texts(const QString& file, const QString& over_time,
                                const QString& overflow) {
  file_->setText(file);
  over_time_->setText(over_time);
  overflow_->setText(overflow);
}

}  // namespace rokan
