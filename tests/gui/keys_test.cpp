#include <QCheckBox>
#include <QKeyEvent>
#include <QSlider>

#include "console/console.h"
#include "gui/manual_control_box_form.h"
#include "gui/text_information_window.h"
#include "gui_fixture.h"

namespace rokan {
namespace {

void post_key(QWidget& w, Qt::Key key, const QString& text) {
  QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
}

// No ticks run in these tests: the key store keeps what the windows put there.
TEST_F(GuiTest, KeysTypedIntoAnyOperatorWindowReachTheKeyStore) {
  QTest::keyClick(&main_form(), Qt::Key_1);
  EXPECT_TRUE(c().console.key_hit);
  EXPECT_EQ(c().console.key_code, '1');

  QTest::keyClick(&main_form().text_window(), Qt::Key_T, Qt::NoModifier);
  EXPECT_EQ(c().console.key_code, 't');

  auto& box = main_form().manual_box();
  QTest::keyClick(&child<QSlider>(box, "TrackBar_VR2"), Qt::Key_E);
  EXPECT_EQ(c().console.key_code, 'e');
  QTest::keyClick(&main_form(), Qt::Key_Return);
  EXPECT_EQ(c().console.key_code, '\r');

  // Space on a check box is an operator key and still ticks the box.
  auto& paw = child<QCheckBox>(box, "CBox_PAW2");
  QTest::keyClick(&paw, Qt::Key_Space);
  EXPECT_EQ(c().console.key_code, ' ');
  EXPECT_TRUE(paw.isChecked());
}

TEST_F(GuiTest, TabAndEscCountOnReleaseAndTabDoesNotMoveTheFocus) {
  auto& box = main_form().manual_box();
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  auto& slider = child<QSlider>(box, "TrackBar_VR1");
  slider.setFocus();

  QTest::keyPress(&slider, Qt::Key_Tab);
  EXPECT_FALSE(c().console.key_hit);
  EXPECT_EQ(box.focusWidget(), &slider);
  QTest::keyRelease(&slider, Qt::Key_Tab);
  EXPECT_TRUE(c().console.key_hit);
  EXPECT_EQ(c().console.key_code, 9);

  c().console.key_hit = false;
  QTest::keyPress(&main_form(), Qt::Key_Escape);
  EXPECT_FALSE(c().console.key_hit);
  QTest::keyRelease(&main_form(), Qt::Key_Escape);
  EXPECT_EQ(c().console.key_code, 27);

  c().console.key_hit = false;
  QTest::keyRelease(&main_form(), Qt::Key_A);  // other releases are not keys
  EXPECT_FALSE(c().console.key_hit);
}

TEST_F(GuiTest, KeysArrivingTogetherEndOneWaitEachInTheirOrder) {
  // Both events are pending when the wait starts, so Qt delivers them in one step.
  post_key(main_form(), Qt::Key_A, QStringLiteral("a"));
  post_key(main_form().text_window(), Qt::Key_B, QStringLiteral("b"));
  // Should a key be lost, this one ends the second wait instead of leaving it hanging.
  QTimer::singleShot(2000, &main_form(), [this] { post_key(main_form(), Qt::Key_Z, "z"); });
  EXPECT_EQ(wait_key(c()), 'a');
  EXPECT_EQ(wait_key(c()), 'b');
}

TEST_F(GuiTest, AKeyPassedOnToTheParentWidgetsCountsOnce) {
  // A slider ignores a letter, so Qt offers the same event to the group box and the window.
  auto& slider = child<QSlider>(main_form().manual_box(), "TrackBar_VR3");
  post_key(slider, Qt::Key_X, QStringLiteral("x"));
  EXPECT_EQ(wait_key(c()), 'x');
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_FALSE(c().console.key_hit);
}

}  // namespace
}  // namespace rokan
