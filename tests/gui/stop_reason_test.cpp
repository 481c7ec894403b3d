// A controller that ends itself at start-up closes its windows; the operator is then told why.
#include <QMessageBox>

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
  QTimer::singleShot(0, [&shown] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = box->text();
    box->accept();
  });
  EXPECT_TRUE(show_stop_reason(c()));
  EXPECT_EQ(shown, qt_text(SJ("ユーザー情報管理ファイルが存在しません．")));
}

TEST_F(GuiTest, ARunningControllerHasNoStopReasonToShow) {
  start_past_startup();
  EXPECT_FALSE(show_stop_reason(c())) << "a running controller has no stop reason";
}

}  // namespace
}  // namespace rokan
