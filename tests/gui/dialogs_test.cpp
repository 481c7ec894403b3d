#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <climits>

#include "console/console.h"
#include "gui/confirm_form.h"
#include "gui/getstr_form.h"
#include "gui/log_confirm_form.h"
#include "gui/manual_control_box_form.h"
#include "gui/option_scale_form.h"
#include "gui/option_skip_form.h"
#include "gui_fixture.h"
#include "platform/text.h"

namespace rokan {
namespace {

// Runs `answer` on the modal dialog once it is open.
void when_shown(QDialog& dialog, std::function<void()> answer) {
  auto* poll = new QTimer(&dialog);
  QObject::connect(poll, &QTimer::timeout, [poll, &dialog, answer] {
    if (!dialog.isVisible()) return;
    poll->deleteLater();
    poll->stop();
    answer();
  });
  poll->start(5);
}

TEST_F(GuiTest, ManualBoxSlidersAndSwitchesWriteTheSensorRecord) {
  auto& box = main_form().manual_box();
  EXPECT_EQ(child<QLineEdit>(box, "Edit_VR1").text(), QStringLiteral("0.0[V]"));
  child<QSlider>(box, "TrackBar_VR1").setValue(-100);
  EXPECT_DOUBLE_EQ(c().sensor.vr[0], -10.0);
  EXPECT_EQ(child<QLineEdit>(box, "Edit_VR1").text(), QStringLiteral("-10.0[V]"));
  child<QSlider>(box, "TrackBar_VR3").setValue(15);
  EXPECT_DOUBLE_EQ(c().sensor.vr[2], 1.5);

  auto& paw3 = child<QCheckBox>(box, "CBox_PAW3");
  paw3.click();
  EXPECT_DOUBLE_EQ(c().sensor.paw_volt[2], 2.5);
  paw3.click();
  EXPECT_DOUBLE_EQ(c().sensor.paw_volt[2], 0.0);
  child<QCheckBox>(box, "CBox_ANTENNA").click();
  EXPECT_DOUBLE_EQ(c().sensor.antenna_volt, 2.5);
}

TEST_F(GuiTest, ScaleDialogMovesTheViewsAtOnceAndCancelRestoresThem) {
  auto& form = main_form().scale_form();
  auto press = [&form](const QString& text) {
    for (QPushButton* b : form.findChildren<QPushButton*>())
      if (b->text() == text) b->click();
  };
  form.show();
  auto& side = child<QSlider>(form, "TrackBar_SideView");
  EXPECT_EQ(side.value(), 400);
  side.setValue(1000);
  EXPECT_DOUBLE_EQ(c().view.scale[kSideView], 1.0);
  EXPECT_EQ(child<QLineEdit>(form, "Edit_SideView").text(), QStringLiteral("1000"));
  child<QSlider>(form, "Trackbar_TopView").setValue(0);
  EXPECT_DOUBLE_EQ(c().view.scale[kTopView], 0.0);
  press(QStringLiteral("Cancel"));
  EXPECT_FALSE(form.isVisible());
  EXPECT_DOUBLE_EQ(c().view.scale[kSideView], 0.4);
  EXPECT_DOUBLE_EQ(c().view.scale[kTopView], 0.2);

  form.show();
  child<QSlider>(form, "TrackBar_FrontView").setValue(350);
  press(QStringLiteral("OK"));
  EXPECT_DOUBLE_EQ(c().view.scale[kFrontView], 0.35);
  EXPECT_DOUBLE_EQ(c().view.scale[kSideView], 0.4);
}

TEST_F(GuiTest, DrawingSkipDialogReadsTheCountLikeAtoi) {
  auto& form = main_form().skip_form();
  auto& edit = child<QLineEdit>(form, "Edit_Skip");
  c().cycle.draw_skip = 7;
  form.show();
  EXPECT_EQ(edit.text(), QStringLiteral("    7"));
  auto enter = [&](const char* text, const char* button) {
    form.show();
    edit.setText(QString::fromLatin1(text));
    child<QPushButton>(form, button).click();
    return c().cycle.draw_skip;
  };
  EXPECT_EQ(enter("abc", "PB_OK"), 0);
  EXPECT_EQ(enter("4", "PB_Cancel"), 0);
  EXPECT_EQ(enter("4", "PB_OK"), 4);
  EXPECT_EQ(enter("-99999999999", "PB_OK"),
            0);  // no negative count: the countdown must not overflow

  EXPECT_EQ(TOptionSkipForm::parse_count(QStringLiteral("  12x")), 12);
  EXPECT_EQ(TOptionSkipForm::parse_count(QStringLiteral("-3")), -3);
  EXPECT_EQ(TOptionSkipForm::parse_count(QStringLiteral("99999999999")), INT_MAX);
}

TEST_F(GuiTest, InputDialogKeepsTheLastTextAndCancelMeansNothingEntered) {
  TgetstrForm& form = session_->host().getstr_form();
  auto& edit = child<QLineEdit>(form, "Edit_getstr");
  when_shown(form, [&] {
    QTest::keyClicks(&edit, QStringLiteral("12.5"));  // replaces the selected old text
    child<QPushButton>(form, "PB_OK").click();
  });
  double value = 0;
  EXPECT_TRUE(input_number(c(), value));
  EXPECT_DOUBLE_EQ(value, 12.5);

  QString offered;
  when_shown(form, [&] {
    offered = edit.text();
    QTest::keyClicks(&edit, QStringLiteral("1.5"));
    child<QPushButton>(form, "PB_CANCEL").click();
  });
  value = 0;
  EXPECT_FALSE(input_number(c(), value));
  EXPECT_EQ(offered, QStringLiteral("12.5"));
  EXPECT_DOUBLE_EQ(value, 0.0);
  EXPECT_EQ(c().console.input_field, "");
}

// Cancel is in SamplingGoesOnWhileTheQuitConfirmationOpenedByAKeyWaits.
TEST_F(GuiTest, QuitConfirmationOkEndsTheProgram) {
  TconfirmForm& form = session_->host().confirm_form();
  main_form().show();
  when_shown(form, [&] { child<QPushButton>(form, "PB_OK").click(); });
  confirm_and_quit(c());
  EXPECT_TRUE(c().cycle.terminated);
  EXPECT_FALSE(main_form().isVisible());
}

TEST_F(GuiTest, QuitConfirmationTakesReturnAsOkAndEscAsCancelAfterAnyEarlierAnswer) {
  TconfirmForm& form = session_->host().confirm_form();
  main_form().show();
  // Cancel clicked with the mouse: the button takes the focus with the click.
  when_shown(form,
             [&] { QTest::mouseClick(&child<QPushButton>(form, "PB_CANCEL"), Qt::LeftButton); });
  EXPECT_FALSE(session_->host().run_quit_confirmation());
  when_shown(form, [&] { QTest::keyClick(qwindow(form), Qt::Key_Escape); });
  EXPECT_FALSE(session_->host().run_quit_confirmation());
  when_shown(form, [&] { QTest::keyClick(qwindow(form), Qt::Key_Return); });
  EXPECT_TRUE(session_->host().run_quit_confirmation());
  EXPECT_TRUE(child<QPushButton>(form, "PB_OK").isDefault());
}

TEST_F(GuiTest, ScaleDialogEscAndTheCloseBoxActAsCancel) {
  auto& form = main_form().scale_form();
  auto& side = child<QSlider>(form, "TrackBar_SideView");
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  side.setValue(900);
  EXPECT_DOUBLE_EQ(c().view.scale[kSideView], 0.9);
  QTest::keyClick(qwindow(form), Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
  EXPECT_DOUBLE_EQ(c().view.scale[kSideView], 0.4);

  form.show();
  side.setValue(700);
  form.close();  // what the window manager's close box asks for
  EXPECT_FALSE(form.isVisible());
  EXPECT_DOUBLE_EQ(c().view.scale[kSideView], 0.4);
}

TEST_F(GuiTest, SkipDialogEscAndTheCloseBoxLeaveTheCountAndReturnTakesIt) {
  auto& form = main_form().skip_form();
  auto& edit = child<QLineEdit>(form, "Edit_Skip");
  c().cycle.draw_skip = 2;
  when_shown(form, [&] {
    edit.setText(QStringLiteral("6"));
    QTest::keyClick(qwindow(form), Qt::Key_Escape);
  });
  session_->host().run_modal(form);
  EXPECT_EQ(c().cycle.draw_skip, 2);
  when_shown(form, [&] {
    edit.setText(QStringLiteral("6"));
    form.close();
  });
  session_->host().run_modal(form);
  EXPECT_EQ(c().cycle.draw_skip, 2);
  when_shown(form, [&] {
    edit.setText(QStringLiteral("6"));
    QTest::keyClick(qwindow(form), Qt::Key_Return);
  });
  session_->host().run_modal(form);
  EXPECT_EQ(c().cycle.draw_skip, 6);
}

TEST_F(GuiTest, LogNoticeShowsTheWritersThreeTextsConvertedForDisplay) {
  TLogConfirmForm& form = session_->host().log_confirm_form();
  QString file, over_time, overflow;
  when_shown(form, [&] {
    file = child<QLabel>(form, "LogConfirmLabel").text();
    over_time = child<QLabel>(form, "OverTimeLabel").text();
    overflow = child<QLabel>(form, "OverFlowLabel").text();
    child<QPushButton>(form, "OkButton").click();
  });
  session_->host().run_log_notice("DEFAULT\\log\\RKN0001.LOG", SJ("オーバータイム"), "");
  EXPECT_EQ(file, QStringLiteral("DEFAULT\\log\\RKN0001.LOG"));
  EXPECT_EQ(over_time, QStringLiteral("オーバータイム"));
  EXPECT_EQ(overflow, QString());
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace rokan
