// The OK / Cancel row shared by the modal dialogs: right-aligned, OK the default button.
#pragma once

#include <QString>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace rokan {

struct DialogButtons {
  QPushButton* ok;
  QPushButton* cancel;
};

// Adds the row to `layout`; the buttons get the object names the dialogs are known by.
DialogButtons add_ok_cancel_row(QWidget* dialog, QBoxLayout* layout, const QString& cancel_name);

}  // namespace rokan
