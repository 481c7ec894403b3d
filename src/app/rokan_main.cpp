// rokan: the debugger with its Qt windows. The working directory is the workspace (user.ini,
// the user directories and emg\). `rokan FILE.LOG` also opens that sampling log in the viewer.
#include <QApplication>

#include "gui/gui_session.h"
#include "gui/main_form.h"
#include "gui/tool_windows.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Rokan for Windows"));
  // The program ends when the main window closes, whatever other windows are open.
  QApplication::setQuitOnLastWindowClosed(false);
  rokan::GuiSession session;
  session.start();
  // A sampling log named on the command line opens in the log viewer beside the controller.
  for (const QString& arg : QApplication::arguments().mid(1))
    if (arg.endsWith(QStringLiteral(".LOG"), Qt::CaseInsensitive))
      session.main_form().tools().open_log(arg);
  return app.exec();
}
