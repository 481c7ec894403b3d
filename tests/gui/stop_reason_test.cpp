// A controller that ends itself at start-up closes its windows; the operator is then told why.
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "gui/gui_fixture.h"
#include "gui/qt_text.h"
#include "gui/stop_reason_box.h"
#include "platform/text.h"

namespace rokan {
namespace {

TEST_F(GuiTest, ABrokenUserFileEndsTheProgramWithAMessageSayingWhy) {
  std::filesystem::remove(workspace_ / "user.ini");
  session_->start();
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().cycle.terminated; }, 10000));
  EXPECT_FALSE(main_form().isVisible());

  QString shown;
  // Answers the box once it is up (looked up by name: the key routing may leave another window
  // active).
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&shown, &answer] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || box->objectName() != QStringLiteral("StopReasonBox") || !box->isVisible())
        continue;
      shown = box->text();
      answer.stop();
      box->accept();
      return;
    }
  });
  answer.start(10);
  // No main loop ran here: the end routine's request to end it must not end the box's loop.
  EXPECT_TRUE(show_stop_reason(c()));
  EXPECT_EQ(shown, qt_text(SJ("ユーザー情報管理ファイルが存在しません．")));
}

// emg.log cannot be opened at start-up (a directory holds its name, which stops the root user
// too): the program ends at once, with status 1, and the operator is told why and where in a
// message box first. The process really ends, so the run happens in a child process.
TEST_F(GuiTest, AReportLogThatCannotBeOpenedIsShownBeforeTheProcessEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [this] {
    std::filesystem::create_directories(workspace_ / "emg" / "emg.log");
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || box->objectName() != QStringLiteral("StopReasonBox") || !box->isVisible())
          continue;
        QString text = box->text();
        text.replace(QLatin1Char('\n'), QStringLiteral(" / "));
        std::fprintf(stderr, "box: %s\n", text.toUtf8().constData());
        box->accept();
        return;
      }
    });
    answer.start(10);
    // The login screen waits for a key before the report log is opened.
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [this] {
      if (c().console.wait_depth > 0 && !c().console.key_hit &&
          session_->host().keys().waiting() == 0)
        type_key(main_form(), Qt::Key_Q);
    });
    feeder.start(5);
    session_->start();
    QTest::qWait(20000);
    std::fprintf(stderr, "the program did not end\n");
    std::_Exit(99);
  };
  // The death test runs in a re-executed child, whose workspace copy carries its own process id.
  const std::string copy = workspace_.filename().string();
  const std::string absolute_name = (workspace_.parent_path().string() + "/" +
                                     copy.substr(0, copy.rfind('_') + 1) + "[0-9]+/emg/emg\\.log");
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1),
              "\n Can not open file \\(emg\\.log\\)\n.*box: Can not open file \\(emg\\.log\\): "
              "Is a directory /  / " +
                  absolute_name);
}

TEST_F(GuiTest, ARunningControllerHasNoStopReasonToShow) {
  start_past_startup();
  EXPECT_FALSE(show_stop_reason(c())) << "a running controller has no stop reason";
}

}  // namespace
}  // namespace rokan
