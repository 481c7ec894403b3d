#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include "gui/about_box.h"
#include "gui/lamp_shape.h"
#include "gui/manual_control_box_form.h"
#include "gui/text_information_window.h"
#include "gui/view_projection.h"
#include "gui_fixture.h"
#include "platform/text.h"

namespace rokan {
namespace {

bool lamp(TmainForm& f, int n) {
  return child<LampShape>(f, ("LAMP" + std::to_string(n)).c_str()).lit();
}

TEST_F(GuiTest, TicksLightTheLampsOfTheStateAndShowTheElapsedTime) {
  start_past_startup();
  stop_ticks();
  TmainForm& f = main_form();
  EXPECT_TRUE(lamp(f, 1));  // MANUAL MODE
  for (int n : {2, 3, 4, 5, 6, 8, 9, 10, 11, 12}) EXPECT_FALSE(lamp(f, n)) << "LAMP" << n;
  EXPECT_TRUE(lamp(f, 7));  // EMG ENABLE

  // The time field shows the elapsed time of the last drawn tick, before its increment.
  const auto& time = child<QLineEdit>(f, "Edit_time");
  EXPECT_EQ(time.text().toStdString(),
            format("%8.3lf[sec]", c().cycle.elapsed - c().params.sampling_time));
  EXPECT_GT(c().cycle.elapsed, 0.0);

  c().servo[2].pending = 1;
  c().logger.state = kLogOneShot;
  c().logger.count = 0;
  session_->host().update_lamps();
  EXPECT_TRUE(lamp(f, 11));
  EXPECT_TRUE(lamp(f, 8));
  c().logger.count = c().params.max_buf - 1;  // the area has overflowed
  session_->host().update_lamps();
  EXPECT_FALSE(lamp(f, 8));
}

TEST_F(GuiTest, SideViewDrawsTheStartPoseStandingOnTheGroundLine) {
  start_past_startup();
  stop_ticks();
  auto& box = child<QWidget>(main_form(), "PBox_mainView");
  const QImage image = box.grab().toImage();
  const int w = box.width(), h = box.height();
  EXPECT_EQ(c().view.width[kSideView], w);
  EXPECT_EQ(c().view.height[kSideView], h);

  const QColor green(0, 128, 0);
  const double g = ground_offset(c().state);
  EXPECT_GT(g, 0.0);
  for (const auto& leg : c().state.point) {
    const PixelPoint toe = project(kSideView, leg[kFoot], c().view.scale[kSideView], w, h, g);
    EXPECT_EQ(toe.y, h - 10);  // every toe of the start pose stands on the ground line
    EXPECT_EQ(image.pixelColor(toe.x - 2, toe.y - 2), green);  // marker corner
    const PixelPoint knee = project(kSideView, leg[kKnee], c().view.scale[kSideView], w, h, g);
    EXPECT_EQ(image.pixelColor(knee.x + 2, knee.y + 2), green);
  }
  EXPECT_EQ(image.pixelColor(1, h - 10), QColor(Qt::black));
  save_screenshot(main_form().grab().toImage(), "screenshot.png");
}

TEST_F(GuiTest, SpeedButtonsOpenTheManualBoxAndTheTextWindow) {
  start_past_startup();
  main_form().text_window().hide();
  QTest::mouseClick(&child<QWidget>(main_form(), "SpeedButton_TextWindow"), Qt::LeftButton);
  QTest::mouseClick(&child<QWidget>(main_form(), "SpeedButton_ManualBox"), Qt::LeftButton);
  EXPECT_TRUE(main_form().text_window().isVisible());
  EXPECT_TRUE(main_form().manual_box().isVisible());
  // The text window shows the console's screen: the start-up messages are there.
  EXPECT_NE(c().console.screen[10], "");
  QTest::qWait(50);
  stop_ticks();
  save_screenshot(desktop({&main_form(), &main_form().text_window(), &main_form().manual_box()}),
                  "screenshot-boxes.png");
}

TEST_F(GuiTest, PtLimitOffTogglesTheSafetyFlagWithItsCheckMark) {
  auto& action = child<QAction>(main_form(), "PTLIMITCHECK");
  EXPECT_FALSE(action.isChecked());
  for (int off : {1, 0}) {
    action.trigger();
    EXPECT_EQ(c().safety.pt_check_off, off);
    EXPECT_EQ(action.isChecked(), off == 1);
  }
}

TEST_F(GuiTest, AboutBoxShowsBothVersionsWithTwoDecimals) {
  TAboutBox& about = main_form().about_box();
  about.prepare();
  EXPECT_EQ(child<QLabel>(about, "ArdoVersionLabel").text(), QStringLiteral("Version 4.20"));
  EXPECT_EQ(child<QLabel>(about, "RixVersionLabel").text(), QStringLiteral("Version 3.10"));
}

}  // namespace
}  // namespace rokan
