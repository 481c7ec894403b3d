#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

#include "console/console.h"
#include "core/modes.h"
#include "gui/confirm_form.h"
#include "gui/key_queue.h"
#include "gui/manual_control_box_form.h"
#include "gui/option_skip_form.h"
#include "gui/text_information_window.h"
#include "gui_fixture.h"

namespace rokan {
namespace {

// Takes the key in the store, and then each key the queue moves there, as the dispatcher of
// successive ticks would, until none is left.
std::string taken_keys(GuiSession& s) {
  Controller& c = s.controller();
  QCoreApplication::processEvents();
  std::string keys;
  while (c.console.key_hit || s.host().keys().feed(c)) {
    keys += static_cast<char>(c.console.key_code);
    c.console.key_hit = false;
  }
  return keys;
}

TEST_F(GuiTest, AQueuedKeyNeverReplacesTheKeyInTheStore) {
  KeyQueue& q = session_->host().keys();
  key_char(c(), 'a');  // not taken yet
  q.push({false, 'b'});
  q.push({true, 27});
  EXPECT_FALSE(q.feed(c()));
  EXPECT_EQ(c().console.key_code, 'a');
  c().console.key_hit = false;
  EXPECT_TRUE(q.feed(c()));
  EXPECT_EQ(c().console.key_code, 'b');
  c().console.key_hit = false;
  EXPECT_TRUE(q.feed(c()));
  EXPECT_EQ(c().console.key_code, 27);
  c().console.key_hit = false;
  EXPECT_FALSE(q.feed(c()));
  EXPECT_FALSE(c().console.key_hit);
}

// No ticks run in these tests: the keys stay where the windows put them until a wait takes them.
TEST_F(GuiTest, KeysTypedIntoAnyOperatorWindowReachTheControllerOnceInTheirOrder) {
  auto& box = main_form().manual_box();
  type_key(main_form(), Qt::Key_1);
  type_key(main_form().text_window(), Qt::Key_T);
  // The slider has the focus and ignores letters: Qt passes the same event on to the group box
  // and the window, and it still counts once.
  auto& slider = child<QSlider>(box, "TrackBar_VR2");
  slider.setFocus();
  type_key(box, Qt::Key_E);
  type_key(main_form(), Qt::Key_Return);
  // Space on a check box is an operator key and still ticks the box.
  auto& paw = child<QCheckBox>(box, "CBox_PAW2");
  paw.setFocus();
  type_key(box, Qt::Key_Space);
  EXPECT_TRUE(paw.isChecked());
  EXPECT_EQ(session_->host().keys().waiting(), 5u);
  EXPECT_FALSE(c().console.key_hit);  // the keys wait for the cycle or a wait to take them

  EXPECT_EQ(taken_keys(*session_), "1te\r ");
}

TEST_F(GuiTest, ADoubleByteCharacterArrivesAsItsTwoBytesLeadByteFirst) {
  type_key(main_form(), Qt::Key_A);
  QTest::sendKeyEvent(QTest::Click, qwindow(main_form()), Qt::Key_unknown, QStringLiteral("あ"),
                      Qt::NoModifier);
  EXPECT_EQ(taken_keys(*session_), "a\x82\xa0");
}

TEST_F(GuiTest, TabAndEscCountOnReleaseAndTabDoesNotMoveTheFocus) {
  auto& box = main_form().manual_box();
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  auto& slider = child<QSlider>(box, "TrackBar_VR1");
  slider.setFocus();

  QTest::keyPress(qwindow(box), Qt::Key_Tab);
  EXPECT_EQ(taken_keys(*session_), "");
  EXPECT_EQ(box.focusWidget(), &slider);
  QTest::keyRelease(qwindow(box), Qt::Key_Tab);
  EXPECT_EQ(taken_keys(*session_), "\t");

  QTest::keyPress(qwindow(main_form()), Qt::Key_Escape);
  EXPECT_EQ(taken_keys(*session_), "");
  QTest::keyRelease(qwindow(main_form()), Qt::Key_Escape);
  EXPECT_EQ(taken_keys(*session_), "\x1b");

  QTest::keyRelease(qwindow(main_form()), Qt::Key_A);  // other releases are not keys
  // An Esc whose press went elsewhere (the dialog it cancelled) is no key when released here.
  QTest::keyRelease(qwindow(main_form()), Qt::Key_Escape);
  EXPECT_EQ(taken_keys(*session_), "");
}

// Runs `step` on the modal dialog once it is open.
void when_shown(QDialog& dialog, std::function<void()> step) {
  auto* poll = new QTimer(&dialog);
  QObject::connect(poll, &QTimer::timeout, [poll, &dialog, step] {
    if (!dialog.isVisible()) return;
    poll->deleteLater();
    poll->stop();
    step();
  });
  poll->start(5);
}

TEST_F(GuiTest, TheFirstKeyAfterADialogThatAKeyOpenedAndTheMouseClosedCounts) {
  start_past_startup();
  TconfirmForm& form = session_->host().confirm_form();
  // E is pressed in the main window; the quit confirmation opens and gets its release.
  bool cancelled = false;
  when_shown(form, [&] {
    QTest::keyRelease(qwindow(form), Qt::Key_E);
    QTest::mouseClick(&child<QPushButton>(form, "PB_CANCEL"), Qt::LeftButton);
    cancelled = true;
  });
  QTest::keyPress(qwindow(main_form()), Qt::Key_E);
  ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled && !form.isVisible(); }, 5000));
  // Qt builds each delivered key event at the same place; this one is a new key all the same.
  type_key(main_form(), Qt::Key_Space);
  EXPECT_TRUE(QTest::qWaitFor([&] { return c().mode.mode == kEmg; }, 2000));
}

TEST_F(GuiTest, EscThatCancelledADialogIsNoKeyWhenReleasedOverTheMainWindow) {
  main_form().show();
  TOptionSkipForm& skip = main_form().skip_form();
  c().cycle.draw_skip = 3;
  when_shown(skip, [&] {
    child<QLineEdit>(skip, "Edit_Skip").setText(QStringLiteral("8"));
    QTest::keyPress(qwindow(skip), Qt::Key_Escape);
  });
  session_->host().run_modal(skip);
  QTest::keyRelease(qwindow(main_form()), Qt::Key_Escape);
  EXPECT_EQ(c().cycle.draw_skip, 3);
  EXPECT_EQ(taken_keys(*session_), "");
}

TEST_F(GuiTest, KeysOfAnOpenMenuAreTheMenusAndNotTheControllers) {
  main_form().show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main_form()));
  QMenu* window_menu = nullptr;
  for (QMenu* m : main_form().findChildren<QMenu*>())
    if (m->title() == QStringLiteral("Window(&W)")) window_menu = m;
  ASSERT_NE(window_menu, nullptr);
  window_menu->popup(main_form().mapToGlobal(QPoint(40, 20)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, 2000));
  type_key(main_form(), Qt::Key_X);  // the menu's, even when it reaches the main window
  window_menu->close();
  EXPECT_EQ(taken_keys(*session_), "");
}

}  // namespace
}  // namespace rokan
