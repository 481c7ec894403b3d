#include "gui/dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace rokan {

void make_ok_the_default(QPushButton* ok, QPushButton* cancel) {
  // A dialog's push buttons are "auto default": the one with the focus takes Return, and
  // after a click on Cancel the focus, and so Return, stays on Cancel the next time the dialog
  // opens. Without that, Return always means OK and Esc always Cancel.
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  ok->setDefault(true);
}

DialogButtons add_ok_cancel_row(QWidget* dialog, QBoxLayout* layout, const QString& cancel_name) {
  auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
  ok->setObjectName(QStringLiteral("PB_OK"));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  cancel->setObjectName(cancel_name);
  make_ok_the_default(ok, cancel);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  return {ok, cancel};
}

}  // namespace rokan
