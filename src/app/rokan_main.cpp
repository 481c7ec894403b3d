// rokan: the debugger with its Qt windows. The working directory is the workspace (user.ini,
// the user directories and emg\).
#include <QApplication>

#include "gui/gui_session.h"
#include "gui/stop_reason_box.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Rokan for Windows"));
  // The program ends when the main window closes, whatever other windows are open.
  QApplication::setQuitOnLastWindowClosed(false);
  rokan::GuiSession session;
  session.start();
  const int status = app.exec();
  // A controller that ended itself (bad user.ini, no log area) says why before the program ends.
  return rokan::show_stop_reason(session.controller()) ? 1 : status;
}
