// The operator's keys and clicks as the X server delivers them: xdotool types and clicks through
// the server into the real windows, under openbox or with no window manager at all
// (tests/x11/run-on-xvfb sets the scene; ROKAN_X11_WM says which). The controller is looked at
// directly.
#include <QElapsedTimer>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
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

// An operator's sequence: each step acts once its condition holds. The steps run from a timer,
// so they go on inside the modal dialogs and menu waits that the controller nests in its ticks,
// where the test body itself cannot run. A step that does not come in time ends the test
// program with the step's name: the nested waits it is stuck in cannot be unwound.
class Steps {
 public:
  Steps& when(std::string what, std::function<bool()> ready, std::function<void()> act = {},
              int ms = 5000) {
    steps_.push_back({std::move(what), std::move(ready), std::move(act), ms});
    return *this;
  }

  // Tells where the program stands when a step does not come.
  std::function<std::string()> context;

  void run() {
    QTimer timer;
    std::size_t next = 0;
    QElapsedTimer since;
    since.start();
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (next == steps_.size()) return;
      const Step& s = steps_[next];
      if (!s.ready()) {
        if (since.elapsed() < s.ms) return;
        std::fprintf(stderr, "FAILED: \"%s\" did not come within %d ms (%s)\n", s.what.c_str(),
                     s.ms, context ? context().c_str() : "");
        std::fflush(stderr);
        std::_Exit(1);
      }
      ++next;  // before acting: the action may nest a wait that runs this timer again
      since.restart();
      if (s.act) s.act();
    });
    timer.start(10);
    while (next < steps_.size()) QTest::qWait(10);
  }

 private:
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
    int ms;
  };
  std::vector<Step> steps_;
};

constexpr const char* kTopMenu = "<TOP>：サーボスイッチを全てＯＦＦにして下さい．";

class XInput : public GuiTest {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("ROKAN_X11_WM"))
      GTEST_SKIP() << "runs on its own X server: tests/x11/run-on-xvfb openbox|none PROGRAM";
    GuiTest::SetUp();
  }

  // Runs xdotool; its events reach the windows through the X server.
  static void xdo(const std::string& args) {
    const std::string command = "xdotool " + args;
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
  }

  static void click(QWidget& w) {
    const QPoint p = w.mapToGlobal(w.rect().center());
    // Moved away first: --sync waits for a move, which never comes when the pointer is there.
    xdo("mousemove 0 0 mousemove --sync " + std::to_string(p.x()) + " " + std::to_string(p.y()) +
        " click 1");
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

  bool main_active() { return main_form().isActiveWindow(); }
  bool open(QWidget& dialog) { return dialog.isVisible() && dialog.isActiveWindow(); }
  bool closed(QWidget& dialog) { return !dialog.isVisible() && main_active(); }
  std::string heading() { return cp932_to_utf8(c().console.screen[2]); }
  bool heading_is(const char* text) { return heading() == text; }

  int emg_key_inputs() {
    std::ifstream log(workspace_ / "emg" / "emg.log");
    int n = 0;
    for (std::string line; std::getline(log, line);) n += line == "EMG Key input";
    return n;
  }

  // Leaves the menus one at a time, each key once the screen has settled, until none is left.
  void leave_menus(Steps& s) {
    s.context = [this] {
      return heading() + " wait depth " + std::to_string(c().console.wait_depth) + " mode " +
             std::to_string(c().mode.mode);
    };
    struct Settle {
      std::string seen;
      QElapsedTimer since;
    };
    auto settle = std::make_shared<Settle>();
    for (int i = 0; i < 8; ++i) {
      s.when(
          "a menu has settled",
          [this, settle] {
            if (c().console.wait_depth == 0) return true;
            if (!settle->since.isValid() || heading() != settle->seen || c().console.key_hit ||
                session_->host().keys().waiting() != 0) {
              settle->seen = heading();
              settle->since.start();
              return false;
            }
            return settle->since.elapsed() > 150;
          },
          [this, settle] {
            settle->since.invalidate();
            if (c().console.wait_depth == 0) return;
            xdo("key q");
          });
    }
    s.when("out of the menus", [this] { return c().console.wait_depth == 0; });
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
  const int stops = emg_key_inputs();
  Steps s;
  s.context = [this, stops] {
    return "mode " + std::to_string(c().mode.mode) + ", EMG key stops " +
           std::to_string(emg_key_inputs() - stops) + ", keys waiting " +
           std::to_string(session_->host().keys().waiting()) + ", key in the store " +
           std::to_string(c().console.key_hit ? c().console.key_code : -1) + ", wait depth " +
           std::to_string(c().console.wait_depth) + ", main active " +
           std::to_string(main_active());
  };
  int n = 0;
  for (const Way& way : ways) {
    const std::string name = way.name;
    ++n;
    // E in MANUAL, then in EMG: the quit confirmation.
    s.when(
        "main window active before " + name, [this] { return main_active(); },
        [] { xdo("key e"); });
    s.when(
        "quit confirmation open for " + name, [&] { return open(form); }, way.close);
    s.when(
        "quit confirmation closed by " + name, [&] { return closed(form); },
        [] { xdo("key space"); });
    s.when(
        "the first SPACE after " + name + " stops the robot",
        [this, stops, n] { return emg_key_inputs() == stops + n && c().mode.mode == kEmg; }, {},
        1000);
  }
  // After all those Cancels, Return is OK.
  s.when(
      "main window active", [this] { return main_active(); }, [] { xdo("key e"); });
  s.when(
      "quit confirmation open", [&] { return open(form); }, [] { xdo("key Return"); });
  s.when("Return ends the program", [this] { return c().cycle.terminated; });
  s.run();
  EXPECT_EQ(emg_key_inputs(), stops + n);
}

TEST_F(XInput, QRightAfterTheInputDialogClosesLeavesTheMenu) {
  start();
  TgetstrForm& form = session_->host().getstr_form();
  Steps s;
  // EMG, then the <TOP> menu, the parameter menus and the sampling screen.
  s.when(
      "main window active", [this] { return main_active(); }, [] { xdo("key space"); });
  s.when(
      "EMG", [this] { return c().mode.mode == kEmg; }, [] { xdo("key o"); });
  s.when(
      "<TOP>", [this] { return heading_is(kTopMenu); }, [] { xdo("key p"); });
  s.when(
      "<Parameter>", [this] { return heading_is("<Parameter>"); }, [] { xdo("key c"); });
  s.when(
      "<Parameter : TOP>", [this] { return heading_is("<Parameter : TOP>"); },
      [] { xdo("key s"); });
  const Way ways[] = {
      {"OK clicked", [&] { click(child<QPushButton>(form, "PB_OK")); }},
      {"Return", [] { xdo("key Return"); }},
      {"Cancel clicked", [&] { click(child<QPushButton>(form, "PB_CANCEL")); }},
      {"Esc", [] { xdo("key Escape"); }},
  };
  int entered = 4;
  for (const Way& way : ways) {
    const std::string name = way.name;
    const bool ok = name == "OK clicked" || name == "Return";
    const int value = ++entered;
    // Sampling interval: asks for a value.
    s.when(
        "<Parameter : Sampling> before " + name,
        [this] { return heading_is("<Parameter : Sampling>") && main_active(); },
        [] { xdo("key 3"); });
    s.when(
        "input dialog open for " + name, [&] { return open(form); },
        [value, &way] {
          xdo("type " + std::to_string(value));
          way.close();
        });
    s.when(
        "input dialog closed by " + name, [&] { return closed(form); }, [] { xdo("key q"); });
    s.when(
        "the first q after " + name + " leaves the screen",
        [this] { return heading_is("<Parameter : TOP>"); },
        [this, ok, value] {
          if (ok) {
            EXPECT_EQ(c().params.sampling_skip, value);
          }
          xdo("key s");
        },
        1000);
  }
  leave_menus(s);
  s.run();
}

TEST_F(XInput, KeysTypedFasterThanTheCycleArriveOnceEachInTheirOrder) {
  start();
  QElapsedTimer settled;
  Steps s;
  s.when(
      "main window active", [this] { return main_active(); }, [] { xdo("key space"); });
  // One burst: the <TOP> menu, the parameter menus, the sampling screen, and back out of it.
  s.when(
      "EMG", [this] { return c().mode.mode == kEmg; }, [] { xdo("type --delay 0 opcsq"); });
  s.when(
      "<Parameter : TOP>", [this] { return heading_is("<Parameter : TOP>"); },
      [&] { settled.start(); });
  // A doubled or a left-over key would go on from there.
  s.when(
      "a moment later", [&] { return settled.elapsed() > 300; },
      [this] {
        EXPECT_TRUE(heading_is("<Parameter : TOP>"));
        EXPECT_FALSE(c().console.key_hit);
        EXPECT_EQ(session_->host().keys().waiting(), 0u);
      });
  leave_menus(s);
  s.run();
}

TEST_F(XInput, TheReleaseOfTheEscThatCancelledADialogIsNoKey) {
  main_form().show();
  main_form().activateWindow();
  ASSERT_TRUE(wait_for([this] { return main_active(); }));
  TOptionSkipForm& skip = main_form().skip_form();
  c().cycle.draw_skip = 3;
  QElapsedTimer released;
  Steps s;
  s.when(
      "skip dialog open", [&] { return open(skip); },
      [] {
        xdo("type 8");
        xdo("keydown Escape");  // cancels the dialog; the key is released after it has gone
      });
  s.when(
      "skip dialog closed", [&] { return closed(skip); },
      [&] {
        xdo("keyup Escape");
        released.start();
      });
  s.when("a moment later", [&] { return released.isValid() && released.elapsed() > 200; });
  QTimer::singleShot(0, [&] { session_->host().run_modal(skip); });
  s.run();
  EXPECT_EQ(c().cycle.draw_skip, 3);
  EXPECT_FALSE(c().console.key_hit) << "key " << c().console.key_code;
  EXPECT_EQ(session_->host().keys().waiting(), 0u);
}

TEST_F(XInput, TheTextWindowAndTheManualBoxOpenBesideTheMainWindow) {
  start();
  TmainForm& f = main_form();
  click(child<QWidget>(f, "SpeedButton_ManualBox"));
  ASSERT_TRUE(wait_for([&] { return f.manual_box().isVisible(); }));
  QTest::qWait(800);  // the window manager frames the box, which is then placed again
  const QRect main = f.frameGeometry();
  const QRect text = f.text_window().frameGeometry();
  const QRect box = f.manual_box().frameGeometry();
  auto where = [&] {
    std::ostringstream s;
    for (const QRect& r : {main, text, box})
      s << " (" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
    return s.str();
  };
  EXPECT_FALSE(text.intersects(main)) << "text window over the main window:" << where();
  EXPECT_FALSE(box.intersects(main)) << "manual box over the main window:" << where();
  EXPECT_FALSE(box.intersects(text)) << where();
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
    if (!wait_for([&] { return f.isActiveWindow(); }, 1500)) {
      const QWidget* active = QApplication::activeWindow();
      std::fprintf(stderr, "main window not active after windowactivate (active: %s); again\n",
                   active ? active->objectName().toUtf8().constData() : "none");
      xdo("windowactivate --sync " + std::to_string(f.winId()));
    }
    ASSERT_TRUE(wait_for([&] { return f.isActiveWindow(); }));
    k.bring_back();
    EXPECT_TRUE(wait_for([&] { return !k.window.isMinimized() && k.window.isActiveWindow(); }));
  }
}

}  // namespace
}  // namespace rokan
