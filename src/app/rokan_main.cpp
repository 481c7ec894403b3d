// rokan: the debugger with its Qt windows. The working directory is the workspace (user.ini,
// the user directories and emg\).
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "gui/gui_session.h"
#include "gui/stop_reason_box.h"
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
  const int status = app.exec();
  // A controller that ended itself (bad user.ini, no log area) says why before the program ends.
  return rokan::show_stop_reason(session.controller()) ? 1 : status;
}
