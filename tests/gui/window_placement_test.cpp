#include "gui/window_placement.h"

#include <gtest/gtest.h>

namespace rokan {
namespace {

const QRect kScreen(0, 0, 1600, 1000);
const QRect kMain(8, 8, 642, 430);  // frame of the main window
const QSize kText(658, 438);
const QSize kBox(380, 230);

TEST(WindowPlacement, TheTextWindowGoesRightOfTheMainWindowAndTheManualBoxBelow) {
  const QPoint text = place_beside(kMain, kText, kScreen, {Side::kRight, Side::kLeft});
  EXPECT_EQ(text, QPoint(kMain.right() + 1 + 8, kMain.top()));
  const QRect taken(text, kText);
  const QPoint box = place_beside(kMain, kBox, kScreen, {Side::kBelow, Side::kAbove}, taken);
  EXPECT_EQ(box, QPoint(kMain.left(), kMain.bottom() + 1 + 8));
  EXPECT_FALSE(QRect(box, kBox).intersects(taken));
}

TEST(WindowPlacement, ASideWithoutRoomIsPassedOver) {
  const QRect right_half(900, 100, 642, 430);
  EXPECT_EQ(place_beside(right_half, kText, kScreen, {Side::kRight, Side::kLeft}),
            QPoint(900 - 8 - kText.width(), 100));
  // Below would cover the text window placed before: above then.
  const QRect taken(QPoint(900, 540), kText);
  const QRect main(900, 300, 642, 230);
  EXPECT_EQ(place_beside(main, kBox, kScreen, {Side::kBelow, Side::kAbove}, taken),
            QPoint(900, 300 - 8 - kBox.height()));
}

TEST(WindowPlacement, AWindowSlidesAlongTheSharedEdgeToStayOnTheScreen) {
  const QRect low(8, 700, 642, 290);
  const QPoint p = place_beside(low, kText, kScreen, {Side::kRight});
  EXPECT_EQ(p.x(), low.right() + 1 + 8);
  EXPECT_EQ(p.y(), kScreen.bottom() + 1 - kText.height());
}

TEST(WindowPlacement, WithNoRoomAnywhereTheWindowStillLandsOnTheScreen) {
  const QRect centred(480, 280, 642, 430);
  const QRect r(place_beside(centred, kText, kScreen, {Side::kRight, Side::kLeft, Side::kBelow}),
                kText);
  EXPECT_TRUE(kScreen.contains(r));
  EXPECT_EQ(r.right(), kScreen.right());  // as near to the right side as the screen allows
}

}  // namespace
}  // namespace rokan
