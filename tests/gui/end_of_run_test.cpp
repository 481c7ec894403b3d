// How the GUI ends a run that holds sampling data: a stop signal goes through the end routine
// without waiting for the operator, and pending data that cannot be written are shown in a modal
// message before the windows close.
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <csignal>
#include <filesystem>

#include "core/cycle.h"
#include "core/logger.h"
#include "gui/log_confirm_form.h"
#include "gui_fixture.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;

struct GuiEnd : GuiTest {
  fs::path log_dir;
  void log_a_few_records() {
    log_dir = workspace_ / "DEFAULT" / "log";
    start_past_startup();
    c().logger.state = kLogContinuous;
    ASSERT_TRUE(QTest::qWaitFor([this] { return c().logger.count >= 3; }, 10000));
  }
};

TEST_F(GuiEnd, StopSignalWritesThePendingLogWithoutTheNoticeAndExitsWithItsStatus) {
  log_a_few_records();
  session_->host().stop(SIGTERM);
  EXPECT_TRUE(c().cycle.terminated);
  EXPECT_FALSE(session_->host().log_confirm_form().isVisible());
  EXPECT_TRUE(fs::exists(log_dir / "RKN0000.LOG"));
  EXPECT_EQ(session_->host().exit_status(), 128 + SIGTERM);
  EXPECT_FALSE(main_form().isVisible());
}

TEST_F(GuiEnd, PendingLogThatCannotBeWrittenIsShownBeforeTheWindowsClose) {
  log_a_few_records();
  fs::remove_all(log_dir);
  QString shown;
  bool main_visible_then = false;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = box->text();
    main_visible_then = main_form().isVisible();
    box->accept();
  });
  answer.start(10);
  c().cycle.quitting = 1;  // as the quit confirmation's OK does
  terminate(c(), 1);
  EXPECT_TRUE(shown.contains(QStringLiteral("ログファイルが開けませんでした")));
  EXPECT_TRUE(shown.contains(QStringLiteral("No such file or directory")));
  EXPECT_TRUE(shown.contains(QString::fromStdString((log_dir / "RKN0000.LOG").string())));
  EXPECT_TRUE(main_visible_then);
  EXPECT_FALSE(main_form().isVisible());
  EXPECT_EQ(session_->host().exit_status(), kExitLogUnsaved);
}

// The end routine asks the main loop to end. Where no main loop runs (here, and in every tool
// that drives the windows itself) that request must not stay behind and end the next loop that
// starts: a modal dialog opened afterwards in the same process still waits for its answer.
TEST_F(GuiEnd, AnEndedRunLeavesLaterModalDialogsWaiting) {
  start_past_startup();
  c().cycle.quitting = 1;  // as the quit confirmation's OK does
  terminate(c(), 1);
  ASSERT_TRUE(c().cycle.terminated);
  QDialog later;
  QTimer::singleShot(150, &later, &QDialog::accept);
  QElapsedTimer open_for;
  open_for.start();
  EXPECT_EQ(later.exec(), QDialog::Accepted);
  EXPECT_GE(open_for.elapsed(), 140);
}

}  // namespace
}  // namespace rokan
