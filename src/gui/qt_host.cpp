#include "gui/qt_host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/controller.h"
#include "core/cycle.h"
#include "gui/confirm_form.h"
#include "gui/getstr_form.h"
#include "gui/log_confirm_form.h"
#include "gui/main_form.h"
#include "gui/qt_text.h"
#include "gui/stop_reason_box.h"
#include "gui/text_information_window.h"
#include "gui/tick_driver.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"

namespace rokan {

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

void QtHost::attach(Controller& c, TmainForm& main) {
  c_ = &c;
  main_ = &main;
  recorder_ = std::make_unique<SessionRecorder>(c);
  ticks_ = std::make_unique<TickDriver>(main.sampling_timer(), [this, &c] {
    // Outside any wait the tick's dispatcher takes the next key. (Inside a wait the key is the
    // wait's, and the start-up's first wait empties the store before it waits.)
    if (c.console.wait_depth == 0 && !c.cycle.init_request) feed_key();
    recorder_->tick_begins();
    sampling_tick(c);
    recorder_->tick_ends();
    if (tick_end_) tick_end_();
  });
  getstr_ = new TgetstrForm(&main);
  confirm_ = new TconfirmForm(&main);
  log_confirm_ = new TLogConfirmForm(&main);
}

bool QtHost::feed_key() {
  KeyQueue::Key key{};
  if (!keys_.feed(*c_, &key)) return false;
  if (key.release)
    recorder_->key_release(key.code);
  else
    recorder_->key(key.code);
  return true;
}

void QtHost::detach() {
  ticks_.reset();
  main_ = nullptr;
  getstr_ = nullptr;
  confirm_ = nullptr;
  log_confirm_ = nullptr;
}

int QtHost::run_modal(QDialog& dialog) {
  if (ticks_) ticks_->arm_for_wait();
  QPointer<QWidget> before = QApplication::activeWindow();
  if (!before && main_) before = main_;
  const int result = dialog.exec();
  // The keyboard goes back to the window that had it; without a window manager nobody else
  // gives it back, and keys would go to whatever lies under the mouse.
  if (before && before->isVisible() && !main_closed_) before->activateWindow();
  return result;
}

void QtHost::stop(int signal) {
  if (stop_signal_) return;
  stop_signal_ = signal;
  if (!c_ || c_->cycle.terminated) return;
  if (c_->cycle.quitting) {
    // The end routine is running; if it waits in the log notice, close it so the write goes on.
    if (log_confirm_ && log_confirm_->isVisible()) log_confirm_->accept();
    return;
  }
  c_->cycle.quitting = true;  // the run is ended from outside, not by the controller itself
  terminate(*c_, 1);
}

int QtHost::exit_status() const {
  if (c_ && c_->cycle.log_unsaved) return kExitLogUnsaved;
  return stop_signal_ ? signal_exit_status(stop_signal_) : 0;
}

void QtHost::process_one_event() {
  // Once the main window has gone, no key can end a wait: the program is over.
  if (main_closed_) exit_process(exit_status());
  // A typed key that waits for the store is the event this step handles.
  if (c_ && feed_key()) return;
  if (ticks_) ticks_->arm_for_wait();
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtHost::run_input_dialog(std::string& field) {
  getstr_->set_text(qt_text(field));
  const bool ok = run_modal(*getstr_) == QDialog::Accepted;
  field = cp932_text(getstr_->text());
  if (ok)
    recorder_->input(field);
  else
    recorder_->input_cancel();
}

bool QtHost::run_quit_confirmation() {
  const bool ok = run_modal(*confirm_) == QDialog::Accepted;
  recorder_->confirm(ok);
  return ok;
}

void QtHost::run_log_notice(const std::string& file_text, const std::string& over_time_text,
                            const std::string& overflow_text) {
  if (stop_signal_) return;  // nobody may be there to close it
  log_confirm_->set_texts(qt_text(file_text), qt_text(over_time_text), qt_text(overflow_text));
  run_modal(*log_confirm_);
  recorder_->notice();
}

void QtHost::paint_strip() {
  if (main_) main_->paint_strip();
}

void QtHost::paint_views() {
  if (main_) main_->paint_views();
}

void QtHost::set_time_field(double elapsed) {
  if (main_) main_->set_time_field(qt_text(time_field_text(elapsed)));
}

void QtHost::update_lamps() {
  if (main_) main_->update_lamps();
}

void QtHost::text_screen_changed() {
  if (main_) main_->text_screen_changed();
}

void QtHost::set_timer_interval(int milliseconds) {
  if (ticks_) ticks_->set_interval(milliseconds);
}

void QtHost::close_main_window() {
  // Pending sampling data that could not be written: the operator learns it before the windows
  // go (standard error and the report log have it too). Not after a stop signal, when nobody
  // may be there to close the message.
  if (c_ && c_->cycle.log_unsaved && main_ && !stop_signal_) {
    const std::string& name = c_->logger.write_error_file;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Rokan"),
                    qt_text(c_->logger.write_error) + QStringLiteral("\n\n") +
                        QDir::current().absoluteFilePath(
                            QString::fromStdString(rooted_path(c_->workspace, name))),
                    QMessageBox::Ok, main_);
    run_modal(box);
  }
  main_closed_ = true;
  if (main_) main_->close_all_windows();
  // Ends app.exec(); the program's exit status is exit_status(). Not QCoreApplication::exit():
  // outside app.exec() (the tests, rokan-gui-rate) that leaves Qt's quit flag set, and every
  // event loop started afterwards in the process, each modal dialog's among them, returns at
  // once and leaves its dialog on the screen without waiting for it. quit() does nothing there.
  QCoreApplication::quit();
}

void QtHost::exit_process(int code) {
  // A run that ends before its end routine could close the windows (a start-up that cannot open
  // its report log) says why first: the operator looks at the screen, not at a terminal. Not
  // after a stop signal, when nobody may be there to close the message.
  if (c_ && c_->cycle.ended_by_itself && !c_->cycle.terminated && !stop_signal_)
    show_stop_reason(*c_, main_);
  // The controller has closed its files; Qt's half-finished state must not run destructors.
  std::fflush(nullptr);
  std::_Exit(code);
}

double QtHost::monotonic_seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace rokan
