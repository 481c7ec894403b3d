// rokan: the debugger with its Qt windows. The directory it is started in is the workspace
// (user.ini, the user directories and emg\); the controller names its files inside it. `rokan
// FILE.LOG` also opens that sampling log in the viewer.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "gui/gui_session.h"
#include "gui/main_form.h"
#include "gui/qt_host.h"
#include "gui/stop_reason_box.h"
#include "gui/tool_windows.h"
#include "platform/stop_signals.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Rokan for Windows"));
  // The program ends when the main window closes, whatever other windows are open.
  QApplication::setQuitOnLastWindowClosed(false);
  rokan::GuiSession session;
  // SIGINT, SIGTERM and SIGHUP end the run through the end routine, from the event loop (also a
  // nested one: a menu's wait or a modal dialog).
  rokan::install_stop_signals();
  QSocketNotifier stop_notifier(rokan::stop_signal_fd(), QSocketNotifier::Read);
  QObject::connect(&stop_notifier, &QSocketNotifier::activated, [&session, &stop_notifier] {
    char byte;
    [[maybe_unused]] ssize_t n = ::read(rokan::stop_signal_fd(), &byte, 1);
    stop_notifier.setEnabled(false);
    session.host().stop(rokan::stop_signal());
  });
  session.start();
  // A sampling log named on the command line opens in the log viewer beside the controller.
  for (const QString& arg : QApplication::arguments().mid(1))
    if (arg.endsWith(QStringLiteral(".LOG"), Qt::CaseInsensitive))
      session.main_form().tools().open_log(arg);
  app.exec();
  // A controller that ended itself (bad user.ini, no log area) says why before the program ends.
  return rokan::show_stop_reason(session.controller()) ? 1 : session.host().exit_status();
}
