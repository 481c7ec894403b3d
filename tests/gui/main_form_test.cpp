#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include "gui/about_box.h"
#include "gui/lamp_shape.h"
#include "gui/manual_control_box_form.h"
#include "gui/qt_text.h"
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

TEST_F(GuiTest, SpeedButtonsAndTheWindowMenuBringBackAMinimisedWindow) {
  TmainForm& f = main_form();
  f.show();
  f.show_text_window();
  f.show_manual_box();
  f.text_window().showMinimized();
  f.manual_box().showMinimized();
  QTest::mouseClick(&child<QWidget>(f, "SpeedButton_TextWindow"), Qt::LeftButton);
  EXPECT_FALSE(f.text_window().isMinimized());
  EXPECT_TRUE(f.text_window().isVisible());
  for (QAction* a : f.findChildren<QAction*>())
    if (a->text() == QStringLiteral("ManualControl(&M)")) a->trigger();
  EXPECT_FALSE(f.manual_box().isMinimized());
  EXPECT_TRUE(f.manual_box().isVisible());
}

// The centre of the glyph's ink box: a slashed or dotted zero has ink there, the letter O none.
// Drawn large, so that the edges of a small O do not blur into its middle.
bool inked_in_the_middle(QFont font, QChar glyph) {
  font.setPixelSize(48);
  QImage image(80, 80, QImage::Format_Grayscale8);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(16, 64, QString(glyph));
  }
  QRect ink;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
  const QPoint m = ink.center();
  for (int y = m.y() - 1; y <= m.y() + 1; ++y)
    for (int x = m.x() - 1; x <= m.x() + 1; ++x)
      if (qGray(image.pixel(x, y)) < 128) return true;
  return false;
}

TEST(ConsoleFont, TellsTheDigitZeroFromTheLetterO) {
  test_app();
  const QFont font = console_font();
  ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("Ricty Diminished"))
      << "the console font is missing: scripts/setup installs fonts-ricty-diminished";
  EXPECT_TRUE(inked_in_the_middle(font, QLatin1Char('0')));
  EXPECT_FALSE(inked_in_the_middle(font, QLatin1Char('O')));
  // Menus line up by bytes: a double-byte character is as wide as two single-byte ones, within
  // the pixel a 13-pixel font rounds away.
  const QFontMetrics m(font);
  EXPECT_NEAR(m.horizontalAdvance(QStringLiteral("初")), 2 * m.horizontalAdvance(QLatin1Char('0')),
              1);
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
