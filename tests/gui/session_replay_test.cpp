// A session driven through the windows, saved with File > Save Session As..., and replayed by
// rokan-sim on a copy of the workspace it started on: the replay must end where the GUI session
// ended, byte for byte.
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "core/cycle.h"
#include "core/modes.h"
#include "faults/fault_injector.h"
#include "gui/getstr_form.h"
#include "gui/log_confirm_form.h"
#include "gui/manual_control_box_form.h"
#include "gui/qt_host.h"
#include "gui_fixture.h"
#include "sim/script.h"
#include "sim/sim_json.h"
#include "support/file_contents.h"

namespace rokan {
namespace {

using test::slurp;

namespace fs = std::filesystem;

// The simulated robot as it is, but one chosen sensor read takes longer than a sampling period:
// a real over-run of the wall clock, as a loaded machine gives one.
class SlowReadOnce : public FaultInjector {
 public:
  bool armed = false;
  void before_read(Sensor& sensor) override {
    if (armed) {
      armed = false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FaultInjector::before_read(sensor);
  }
};

// The sampling logs of a workspace, by file name.
std::map<std::string, std::string> logs(const fs::path& workspace) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(workspace / "DEFAULT" / "log"))
    out[e.path().filename().string()] = slurp(e.path());
  return out;
}

class SessionReplay : public GuiTest {
 protected:
  void wait_ticks(uint64_t n) {
    const uint64_t until = c().cycle.tick_count + n;
    ASSERT_TRUE(QTest::qWaitFor([&] { return c().cycle.tick_count >= until; }, 20000));
  }
  // Types `text` into the main window ('\r' is the Return key) and waits until the controller
  // has taken every key and left the menus they opened. The keys are typed ahead: a menu waits
  // for its keys inside a tick, under this call, so they must all be on their way before it
  // opens. They are posted and then delivered together rather than clicked: QTest's key clicks
  // run the event loop after each key, and a tick due then would open the menu and wait, for
  // ever, for a key not yet typed.
  void keys(const char* text) {
    QWindow* window = qwindow(main_form());
    for (const char* k = text; *k; ++k) {
      const QString typed = *k == '\r' ? QStringLiteral("\r") : QString(QChar::fromLatin1(*k));
      const int key = *k == '\r' ? int(Qt::Key_Return) : QChar::fromLatin1(*k).toUpper().unicode();
      QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, key, {}, typed));
      QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyRelease, key, {}, typed));
    }
    QCoreApplication::sendPostedEvents(window);  // into the key store, with no tick between
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return session_->host().keys().waiting() == 0 && !c().console.key_hit &&
                 c().console.wait_depth == 0;
        },
        10000))
        << "keys " << text;
  }
};

TEST_F(SessionReplay, ASavedGuiSessionReplaysHeadlessToTheSameStateStripAndLog) {
  // The workspace as the session finds it, for the replay.
  const fs::path start = workspace_;
  const fs::path copy = start.string() + "_replay";
  fs::remove_all(copy);
  fs::copy(start, copy, fs::copy_options::recursive);

  SlowReadOnce robot;
  c().plant_faults = &robot;
  ASSERT_NO_FATAL_FAILURE(start_past_startup());
  ASSERT_NO_FATAL_FAILURE(keys("L"));  // continuous sampling log

  // A menu edit of a parameter: EMG, <TOP>, Parameter, Change, Error, position tolerance of F2,
  // answered in the string input dialog; then back out and out of EMG.
  TgetstrForm& form = session_->host().getstr_form();
  auto* answer = new QTimer(&form);
  QObject::connect(answer, &QTimer::timeout, [answer, &form] {
    if (!form.isVisible()) return;
    answer->stop();
    auto& edit = child<QLineEdit>(form, "Edit_getstr");
    edit.setText(QStringLiteral("7.5"));
    child<QPushButton>(form, "PB_OK").click();
  });
  answer->start(5);
  ASSERT_NO_FATAL_FAILURE(keys("\rOPCE12QQQQQ"));
  EXPECT_FALSE(answer->isActive()) << "the input dialog was not shown";
  ASSERT_NO_FATAL_FAILURE(wait_ticks(5));
  ASSERT_NO_FATAL_FAILURE(keys("C"));
  EXPECT_EQ(c().params.file.b2.position_err[1], 7.5);
  ASSERT_EQ(c().mode.mode, kManual);

  // Manual drive of leg 3 with VR1, with an over-run on the way.
  ASSERT_NO_FATAL_FAILURE(keys("3"));
  auto& vr1 = child<QSlider>(main_form().manual_box(), "TrackBar_VR1");
  vr1.setValue(8);
  vr1.setValue(15);
  ASSERT_NO_FATAL_FAILURE(wait_ticks(200));
  robot.armed = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().cycle.over_run_cycle != 0; }, 10000));
  ASSERT_NO_FATAL_FAILURE(wait_ticks(200));
  vr1.setValue(0);
  child<QCheckBox>(main_form().manual_box(), "CBox_PAW2").setChecked(true);
  ASSERT_NO_FATAL_FAILURE(keys("0"));

  // A RIX program start: ORIGIN, the initial posture, AUTO, program 0, start.
  ASSERT_NO_FATAL_FAILURE(keys("OI"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().mode.initial_reached != 0; }, 30000));
  ASSERT_NO_FATAL_FAILURE(keys("A0S"));
  ASSERT_NO_FATAL_FAILURE(wait_ticks(3));
  if (!c().mode.auto_running && c().mode.auto_step == kRixWarningsAcknowledged) {
    ASSERT_NO_FATAL_FAILURE(keys("S"));
  }
  ASSERT_NO_FATAL_FAILURE(wait_ticks(300));
  EXPECT_TRUE(c().mode.auto_running);

  stop_ticks();
  const fs::path script = copy.string() + ".txt";
  QString error;
  ASSERT_TRUE(main_form().save_session(QString::fromStdString(script.string()), error))
      << error.toStdString();
  const std::string gui_state = sim_json_line(c(), DumpKind::kState);
  const std::string gui_strip = sim_json_line(c(), DumpKind::kStrip);
  // The end routine writes the pending sampling data, as at a quit, and shows the log notice.
  TLogConfirmForm& notice = session_->host().log_confirm_form();
  auto* close_notice = new QTimer(&notice);
  QObject::connect(close_notice, &QTimer::timeout, [&notice] {
    if (notice.isVisible()) notice.accept();
  });
  close_notice->start(5);
  c().cycle.quitting = 1;
  terminate(c(), 1);
  c().plant_faults = nullptr;

  const std::string text = slurp(script);
  EXPECT_EQ(text.rfind("# Rokan session recorded ", 0), 0u) << text.substr(0, 200);
  EXPECT_NE(text.find("CRC-32 "), std::string::npos);
  EXPECT_NE(text.find("\ninput 7.5\n"), std::string::npos);
  EXPECT_NE(text.find("\nvr1 1.5\n"), std::string::npos);
  EXPECT_EQ(text.find("\nvr1 0.8\n"), std::string::npos) << "no tick between the two positions";
  EXPECT_NE(text.find("\npaw2 on\n"), std::string::npos);
  EXPECT_NE(text.find("\nfault overrun\n"), std::string::npos);
  parse_script(text);  // throws on a line the replay could not read

  std::ofstream(script, std::ios::app) << "dump state\ndump strip\n";
  const fs::path out = copy.string() + ".out";
  const std::string cmd = std::string(ROKAN_BIN_DIR) + "/rokan-sim --workspace " + copy.string() +
                          " --script " + script.string() + " > " + out.string() + " 2>/dev/null";
  const int rc = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << rc;
  EXPECT_EQ(slurp(out), gui_state + "\n" + gui_strip + "\n");

  const auto gui_logs = logs(start), replay_logs = logs(copy);
  EXPECT_FALSE(gui_logs.empty());
  EXPECT_EQ(gui_logs, replay_logs);

  fs::remove_all(copy);
  fs::remove(script);
  fs::remove(out);
}

}  // namespace
}  // namespace rokan
