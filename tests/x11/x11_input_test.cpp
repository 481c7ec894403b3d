// The operator's keys and clicks as the X server delivers them: xdotool types and clicks through
// the server into the real windows, under openbox or with no window manager at all
// (tests/x11/run-on-xvfb sets the scene; ROKAN_X11_WM says which). The controller is looked at
// directly.
#include <QPushButton>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/modes.h"
#include "gui/confirm_form.h"
#include "gui/getstr_form.h"
#include "gui/gui_fixture.h"
#include "gui/manual_control_box_form.h"
#include "gui/option_skip_form.h"
#include "gui/qt_host.h"
#include "gui/text_information_window.h"
#include "platform/text.h"

namespace rokan {
namespace {

bool with_wm() {
  return qEnvironmentVariable("ROKAN_X11_WM") == QStringLiteral("openbox");
}

class XInput : public GuiTest {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("ROKAN_X11_WM"))
      GTEST_SKIP() << "runs on its own X server: tests/x11/run-on-xvfb openbox|none "
                   << "PROGRAM";
    GuiTest::SetUp();
  }

  // Runs xdotool; its events reach the windows through the X server.
  static void xdo(const std::string& args) {
    const std::string command = "xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  static void click(QWidget& w) {
    const QPoint p = w.mapToGlobal(w.rect().center());
    xdo("mousemove --sync " + std::to_string(p.x()) + " " + std::to_string(p.y()) + " click 1");
  }

  static bool wait_for(const std::function<bool()>& condition, int ms = 5000) {
    return QTest::qWaitFor(condition, ms);
  }

  // Past the start-up, with the main window taking the keys.
  void start() {
    start_past_startup();
    ASSERT_TRUE(wait_for([this] { return main_form().text_window().isVisible(); }));
    ASSERT_TRUE(wait_for([this] { return main_form().isActiveWindow(); }));
  }

  std::string heading() { return cp932_to_utf8(c().console.screen[2]); }

  int emg_key_inputs() {
    std::ifstream log("emg/emg.log");
    int n = 0;
    for (std::string line; std::getline(log, line);) n += line == "EMG Key input";
    return n;
  }

  // Opens `dialog` with the key `key` and waits until it has the keyboard.
  void open_with_key(const char* key, QWidget& dialog) {
    xdo(std::string("key ") + key);
    ASSERT_TRUE(wait_for([&] { return dialog.isVisible() && dialog.isActiveWindow(); }));
  }

  void back_in_main_window(QWidget& dialog) {
    ASSERT_TRUE(wait_for([&] { return !dialog.isVisible(); }));
    ASSERT_TRUE(wait_for([this] { return main_form().isActiveWindow(); }));
  }
};

struct Way {
  const char* name;
  std::function<void()> close;
};

TEST_F(XInput, SpaceRightAfterTheQuitConfirmationClosesStopsTheRobot) {
  start();
  TconfirmForm& form = session_->host().confirm_form();
  std::vector<Way> ways = {
      {"Cancel clicked", [&] { click(child<QPushButton>(form, "PB_CANCEL")); }},
      {"Esc", [] { xdo("key Escape"); }},
      {"Cancel clicked again", [&] { click(child<QPushButton>(form, "PB_CANCEL")); }},
  };
  if (with_wm()) ways.push_back({"close box", [] { xdo("key alt+F4"); }});
  int stops = emg_key_inputs();
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    open_with_key("e", form);  // MANUAL, then EMG: the quit confirmation
    way.close();
    back_in_main_window(form);
    ASSERT_FALSE(c().cycle.terminated);
    xdo("key space");
    ASSERT_TRUE(wait_for([&] { return emg_key_inputs() == stops + 1; }, 2000))
        << "the first SPACE after the dialog did not stop the robot";
    EXPECT_EQ(c().mode.mode, kEmg);
    stops = emg_key_inputs();
  }
  // After all those Cancels, Return is OK.
  open_with_key("e", form);
  xdo("key Return");
  EXPECT_TRUE(wait_for([this] { return c().cycle.terminated; }));
}

TEST_F(XInput, QRightAfterTheInputDialogClosesLeavesTheMenu) {
  start();
  xdo("key space");  // EMG: the <TOP> menu is reached from there
  ASSERT_TRUE(wait_for([this] { return c().mode.mode == kEmg; }));
  const std::pair<const char*, const char*> menus[] = {
      {"o", "<TOP>：サーボスイッチを全てＯＦＦにして下さい．"},
      {"p", "<Parameter : TOP>"},
      {"s", "<Parameter : Sampling>"}};
  for (const auto& [key, menu] : menus) {
    xdo(std::string("key ") + key);
    ASSERT_TRUE(wait_for([&] { return heading() == menu; })) << heading();
  }

  TgetstrForm& form = session_->host().getstr_form();
  const Way ways[] = {
      {"OK clicked", [&] { click(child<QPushButton>(form, "PB_OK")); }},
      {"Return", [] { xdo("key Return"); }},
      {"Cancel clicked", [&] { click(child<QPushButton>(form, "PB_CANCEL")); }},
      {"Esc", [] { xdo("key Escape"); }},
  };
  int entered = 4;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    open_with_key("3", form);  // sampling interval: asks for a value
    xdo("type " + std::to_string(++entered));
    way.close();
    back_in_main_window(form);
    xdo("key q");
    EXPECT_TRUE(wait_for([this] { return heading() == "<Parameter : TOP>"; }, 2000))
        << "the first key after the dialog did not reach the menu";
    const bool ok = std::string(way.name) == "OK clicked" || std::string(way.name) == "Return";
    if (ok) {
      EXPECT_EQ(c().params.sampling_skip, entered);
    }
    xdo("key s");
    ASSERT_TRUE(wait_for([this] { return heading() == "<Parameter : Sampling>"; }));
  }
}

TEST_F(XInput, KeysTypedFasterThanTheCycleArriveOnceEachInTheirOrder) {
  start();
  xdo("key space");
  ASSERT_TRUE(wait_for([this] { return c().mode.mode == kEmg; }));
  // One burst: the <TOP> menu, the parameter menu, the sampling screen, and back out of it.
  xdo("type --delay 0 opsq");
  EXPECT_TRUE(wait_for([this] { return heading() == "<Parameter : TOP>"; }, 3000)) << heading();
  QTest::qWait(300);  // a doubled key would go on from here
  EXPECT_EQ(heading(), "<Parameter : TOP>");
  EXPECT_FALSE(c().console.key_hit);
  EXPECT_EQ(session_->host().keys().waiting(), 0u);
}

TEST_F(XInput, TheReleaseOfTheEscThatCancelledADialogIsNoKey) {
  main_form().show();
  ASSERT_TRUE(wait_for([this] { return main_form().isActiveWindow(); }));
  TOptionSkipForm& skip = main_form().skip_form();
  c().cycle.draw_skip = 3;
  auto* poll = new QTimer(&skip);
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    if (!skip.isVisible() || !skip.isActiveWindow()) return;
    poll->stop();
    xdo("type 8");
    xdo("keydown Escape");  // cancels the dialog; the key is released after it has gone
  });
  poll->start(10);
  session_->host().run_modal(skip);
  ASSERT_TRUE(wait_for([this] { return main_form().isActiveWindow(); }));
  xdo("keyup Escape");
  QTest::qWait(200);
  EXPECT_EQ(c().cycle.draw_skip, 3);
  EXPECT_FALSE(c().console.key_hit) << "key " << c().console.key_code;
  EXPECT_EQ(session_->host().keys().waiting(), 0u);
}

TEST_F(XInput, TheTextWindowAndTheManualBoxOpenBesideTheMainWindow) {
  start();
  TmainForm& f = main_form();
  click(child<QWidget>(f, "SpeedButton_ManualBox"));
  ASSERT_TRUE(wait_for([&] { return f.manual_box().isVisible(); }));
  QTest::qWait(300);  // the window manager frames the box
  const QRect main = f.frameGeometry();
  const QRect text = f.text_window().frameGeometry();
  const QRect box = f.manual_box().frameGeometry();
  EXPECT_FALSE(text.intersects(main)) << "text window over the main window";
  EXPECT_FALSE(box.intersects(main)) << "manual box over the main window";
  EXPECT_FALSE(box.intersects(text));
}

TEST_F(XInput, SpeedButtonsAndTheWindowMenuBringBackMinimisedWindows) {
  if (!with_wm()) GTEST_SKIP() << "minimising takes a window manager";
  start();
  TmainForm& f = main_form();
  click(child<QWidget>(f, "SpeedButton_ManualBox"));
  ASSERT_TRUE(wait_for([&] { return f.manual_box().isActiveWindow(); }));

  struct Case {
    const char* name;
    QWidget& window;
    std::function<void()> bring_back;
  };
  const Case cases[] = {
      {"T", f.text_window(), [&] { click(child<QWidget>(f, "SpeedButton_TextWindow")); }},
      {"M", f.manual_box(), [&] { click(child<QWidget>(f, "SpeedButton_ManualBox")); }},
      {"Window menu", f.manual_box(), [] { xdo("key alt+w m"); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    xdo("windowminimize " + std::to_string(k.window.winId()));
    ASSERT_TRUE(wait_for([&] { return k.window.isMinimized(); }));
    xdo("windowactivate --sync " + std::to_string(f.winId()));
    ASSERT_TRUE(wait_for([&] { return f.isActiveWindow(); }));
    k.bring_back();
    EXPECT_TRUE(wait_for([&] { return !k.window.isMinimized() && k.window.isActiveWindow(); }));
  }
}

}  // namespace
}  // namespace rokan
