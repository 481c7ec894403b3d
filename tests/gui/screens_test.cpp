// Whole operator sequences in the real windows: a gait walking, the <TOP> menu waiting for a key
// while the robot stays under control, and an information page. scripts/screenshot saves what
// they show for the README.
#include <QEventLoop>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "core/modes.h"
#include "gui/manual_control_box_form.h"
#include "gui/text_information_window.h"
#include "gui_fixture.h"
#include "platform/text.h"

namespace rokan {
namespace {

// Runs the event loop until `done` holds or `ms` have passed; true when it holds. Unlike
// QTest::qWaitFor, which sleeps 10 ms between its passes and so lets a 1 ms sampling timer tick
// only about a hundred times a second, this keeps the cycle at its rate for seconds of walking.
bool run_until(const std::function<bool()>& done, int ms) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  if (!done()) loop.exec();
  return done();
}

TEST_F(GuiTest, GaitFiveWalksUnderTheSlidersOfTheManualBox) {
  start_past_startup();
  TmainForm& f = main_form();
  f.manual_box().show();
  type(*session_, f, 'o');
  type(*session_, f, 'i');
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.initial_reached == 1; }, 10000));
  type(*session_, f, 'a');
  type(*session_, f, '5');
  type(*session_, f, 's');
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.auto_step != 0; }, 5000))
      << cp932_to_utf8(c().console.lines[0]) << " / " << cp932_to_utf8(c().console.lines[1])
      << " / " << cp932_to_utf8(c().console.lines[2]);
  // The gait captures the sliders once its home posture is reached, then stands at steps 107
  // and 108 until VR1 moves: +10.0 V above the captured value is the least input that walks.
  ASSERT_TRUE(
      run_until([this] { return c().mode.auto_step == 107 || c().mode.auto_step == 108; }, 20000))
      << "step " << int(c().mode.auto_step) << " after " << c().cycle.tick_count << " ticks";
  child<QSlider>(f.manual_box(), "TrackBar_VR1").setValue(100);
  // Gait 5 stands with the front feet at y = 151; only a walking cycle swings leg 1 forward
  // past its initial-posture y of 201 (to 251, steps 111 and 112).
  ASSERT_TRUE(run_until([this] { return c().state.point[0][kFoot][1] > 221; }, 20000))
      << "step " << int(c().mode.auto_step);
  EXPECT_EQ(c().mode.mode, kAuto);
  EXPECT_EQ(cp932_to_utf8(c().console.lines[0]).rfind("AUTO:自動プログラム動作中 [5:", 0), 0u);
  stop_ticks();
  save_screenshot(desktop({&f, &f.manual_box()}), "screenshot-gait5.png");
}

TEST_F(GuiTest, TopMenuWaitsForItsKeyWhileTheCycleGoesOn) {
  start_past_startup();
  TmainForm& f = main_form();
  type_key(f, Qt::Key_Return);  // emergency stop: the <TOP> menu is reached from EMG
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.mode == kEmg; }, 2000));
  std::string heading;
  uint64_t ticks_in_menu = 0;
  // The menu waits inside a tick; this timer fires in that nested wait, looks, then leaves.
  QTimer::singleShot(300, [&] {
    heading = cp932_to_utf8(c().console.screen[2]);
    ticks_in_menu = c().cycle.tick_count;
    QTest::qWait(100);
    ticks_in_menu = c().cycle.tick_count - ticks_in_menu;
    save_screenshot(desktop({&f, &f.text_window()}), "screenshot-top.png");
    type_key(f.text_window(), Qt::Key_Q);
  });
  type(*session_, f, 'o');
  ASSERT_TRUE(QTest::qWaitFor([&] { return !heading.empty(); }, 5000));
  EXPECT_EQ(heading, "<TOP>：サーボスイッチを全てＯＦＦにして下さい．");
  EXPECT_GT(ticks_in_menu, 0u);
}

TEST_F(GuiTest, InformationPageZeroIsRefreshedAtEveryDrawingCycle) {
  start_past_startup();
  TmainForm& f = main_form();
  c().console.info_page = 0;
  type(*session_, f, 't');
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().console.info_display == 1; }, 2000));
  QTest::qWait(100);
  stop_ticks();
  bool any = false;
  for (int line = 1; line <= kTextLines; ++line) any = any || !c().console.screen[line].empty();
  EXPECT_TRUE(any);
  save_screenshot(desktop({&f, &f.text_window()}), "screenshot-info.png");
}

}  // namespace
}  // namespace rokan
