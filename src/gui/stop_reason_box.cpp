#include "gui/stop_reason_box.h"

#include <QDir>
#include <QMessageBox>

#include "core/controller.h"
#include "gui/qt_text.h"
#include "platform/paths.h"

namespace rokan {

bool show_stop_reason(const Controller& c, QWidget* parent) {
  if (!c.cycle.ended_by_itself) return false;
  QString text = qt_text(c.cycle.stop_reason);
  // The file that failed, where the operator can find it.
  if (!c.cycle.stop_file.empty())
    text += QStringLiteral("\n\n") + QDir::current().absoluteFilePath(QString::fromStdString(
                                         rooted_path(c.workspace, c.cycle.stop_file)));
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Rokan for Windows"), text, QMessageBox::Ok,
                  parent);
  box.setObjectName(QStringLiteral("StopReasonBox"));
  box.exec();
  return true;
}

}  // namespace rokan
