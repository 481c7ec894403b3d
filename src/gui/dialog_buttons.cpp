#include "gui/dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace rokan {

DialogButtons add_ok_cancel_row(QWidget* dialog, QBoxLayout* layout, const QString& cancel_name) {
  auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
  ok->setObjectName(QStringLiteral("PB_OK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  cancel->setObjectName(cancel_name);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  return {ok, cancel};
}

}  // namespace rokan
