#include "gui/stop_reason_box.h"

#include <QMessageBox>

#include "core/controller.h"
#include "gui/qt_text.h"

namespace rokan {

bool show_stop_reason(const Controller& c, QWidget* parent) {
  if (!c.cycle.ended_by_itself) return false;
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Rokan for Windows"),
                  qt_text(c.cycle.stop_reason), QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("StopReasonBox"));
  box.exec();
  return true;
}

}  // namespace rokan
