// rokan: the debugger with its Qt windows. The working directory is the workspace (user.ini,
// the user directories and emg\).
#include <QApplication>

#include "gui/gui_session.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Rokan for Windows"));
  // The program ends when the main window closes, whatever other windows are open.
  QApplication::setQuitOnLastWindowClosed(false);
  rokan::GuiSession session;
  session.start();
  return app.exec();
}
