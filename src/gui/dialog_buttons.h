// The OK / Cancel row shared by the dialogs: right-aligned, OK the default button every time the
// dialog opens (Return), whichever button was clicked before; Esc is Cancel.
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

// Return presses `ok` wherever the focus is in the dialog; `cancel` never takes Return.
void make_ok_the_default(QPushButton* ok, QPushButton* cancel);

// Adds the row to `layout`; the buttons get the object names the dialogs are known by.
DialogButtons add_ok_cancel_row(QWidget* dialog, QBoxLayout* layout, const QString& cancel_name);

}  // namespace rokan
