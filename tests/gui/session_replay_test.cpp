// A session driven through the windows, saved with File > Save Session As..., and replayed by
// rokan-sim on a copy of the workspace it started on: the replay must end where the GUI session
// ended, byte for byte.
#include <Qsci/qsciscintilla.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "core/cycle.h"
#include "core/modes.h"
#include "debug/debugger.h"
#include "faults/fault_injector.h"
#include "gui/getstr_form.h"
#include "gui/log_confirm_form.h"
#include "gui/manual_control_box_form.h"
#include "gui/qt_host.h"
#include "gui/rix_program_window.h"
#include "gui_fixture.h"
#include "platform/text.h"
#include "sim/debug_json.h"
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

  fs::path replay_workspace() const { return workspace_.string() + "_replay"; }

  // The workspace as the session finds it, copied for the replay (removed by TearDown).
  fs::path copy_start() {
    const fs::path copy = replay_workspace();
    fs::remove_all(copy);
    fs::copy(workspace_, copy, fs::copy_options::recursive);
    return copy;
  }

  // ORIGIN, the initial posture, AUTO, program 0 (ROKAN.RIX) and S.
  void start_rix_program() {
    ASSERT_NO_FATAL_FAILURE(keys("OI"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c().mode.initial_reached != 0; }, 30000));
    ASSERT_NO_FATAL_FAILURE(keys("A0S"));
    ASSERT_NO_FATAL_FAILURE(wait_ticks(3));
    if (!c().mode.auto_running && c().mode.auto_step == kRixWarningsAcknowledged) {
      ASSERT_NO_FATAL_FAILURE(keys("S"));
    }
  }

  // Saves the session with File > Save Session As...'s writer, ends the GUI session as a quit
  // does, replays the script (dumps added at its end) headless on the copy made by copy_start(),
  // and compares the dumps and the sampling logs with the GUI's. `text`: the saved script.
  // `gui_rix`: the debugger's view at the end, compared with the replay's `dump rix` (empty: not
  // compared).
  void save_end_and_replay(std::string& text, const std::string& gui_rix = {}) {
    const fs::path start = workspace_, copy = replay_workspace();
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

    text = slurp(script);
    parse_script(text);  // throws on a line the replay could not read
    std::ofstream(script, std::ios::app) << "dump state\ndump strip\n"
                                         << (gui_rix.empty() ? "" : "dump rix\n");
    const fs::path out = copy.string() + ".out", err = copy.string() + ".err";
    // A replay that hangs is stopped: the test fails instead of waiting for ever.
    const std::string cmd = "timeout 300 " + std::string(ROKAN_BIN_DIR) +
                            "/rokan-sim --workspace " + copy.string() + " --script " +
                            script.string() + " > " + out.string() + " 2> " + err.string();
    const int rc = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << rc << "\n" << slurp(err);
    EXPECT_EQ(slurp(out),
              gui_state + "\n" + gui_strip + "\n" + (gui_rix.empty() ? "" : gui_rix + "\n"))
        << slurp(err);

    const auto gui_logs = logs(start), replay_logs = logs(copy);
    EXPECT_FALSE(gui_logs.empty());
    EXPECT_EQ(gui_logs, replay_logs);

    fs::remove(script);
    fs::remove(out);
    fs::remove(err);
  }

  void TearDown() override {
    fs::remove_all(replay_workspace());
    GuiTest::TearDown();
  }
};

TEST_F(SessionReplay, ASavedGuiSessionReplaysHeadlessToTheSameStateStripAndLog) {
  copy_start();

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

  // A RIX program start.
  ASSERT_NO_FATAL_FAILURE(start_rix_program());
  ASSERT_NO_FATAL_FAILURE(wait_ticks(300));
  EXPECT_TRUE(c().mode.auto_running);

  stop_ticks();
  std::string text;
  ASSERT_NO_FATAL_FAILURE(save_end_and_replay(text));
  c().plant_faults = nullptr;

  EXPECT_EQ(text.rfind("# Rokan session recorded ", 0), 0u) << text.substr(0, 200);
  EXPECT_NE(text.find("CRC-32 "), std::string::npos);
  EXPECT_NE(text.find("\ninput 7.5\n"), std::string::npos);
  EXPECT_NE(text.find("\nvr1 1.5\n"), std::string::npos);
  EXPECT_EQ(text.find("\nvr1 0.8\n"), std::string::npos) << "no tick between the two positions";
  EXPECT_NE(text.find("\npaw2 on\n"), std::string::npos);
  EXPECT_NE(text.find("\nfault overrun\n"), std::string::npos);
  EXPECT_EQ(text.find("debugger window"), std::string::npos) << "the program window was not used";
}

// A RIX program for the program window's sessions: a loop that calls a subroutine, then a move
// of leg 1 (lines as the editor numbers them).
constexpr const char* kProgram =
    "3.1\n"
    "記録の試験\n"
    "DEF_VAR I, S\n"      // 3
    "S = 0\n"             // 4
    "FOR I = 1 TO 3\n"    // 5
    "  CALL ADD:\n"       // 6
    "NEXT I\n"            // 7
    "REL_PTP F1 0 0 S\n"  // 8
    "WAIT_INPOS F1\n"     // 9
    "EXIT\n"              // 10
    "SUBROUTINE ADD:\n"   // 11
    "  S = S + I\n"       // 12
    "SUBEND\n"            // 13
    "END\n";              // 14

class ProgramWindowSession : public SessionReplay {
 protected:
  RixProgramWindow& w() { return main_form().program_window(); }
  RixDebugger& d() { return w().debugger(); }

  void SetUp() override {
    SessionReplay::SetUp();
    std::ofstream(workspace_ / "DEFAULT" / "rixs" / "ROKAN.RIX", std::ios::binary)
        << utf8_to_cp932(kProgram);
  }

  // Waits for a new stop of the debugger; its line.
  int next_stop(uint32_t after) {
    if (!QTest::qWaitFor(
            [&] {
              return d().stop_count > after && rix_debug_state(d(), c()) == RixRunState::kPaused;
            },
            30000))
      return 0;
    return d().stop.line;
  }

  bool wait_ended() {
    return QTest::qWaitFor([&] { return rix_debug_state(d(), c()) == RixRunState::kEnded; }, 30000);
  }

  QTreeWidgetItem* variable(const QString& name) {
    auto& tree = child<QTreeWidget>(w(), "Variables");
    const auto found = tree.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found[0];
  }
};

TEST_F(ProgramWindowSession, BreakpointsStepsRunToCursorAndAVariableSetReplayTheSame) {
  copy_start();

  ASSERT_NO_FATAL_FAILURE(start_past_startup());
  ASSERT_NO_FATAL_FAILURE(keys("L"));  // continuous sampling log
  ASSERT_TRUE(w().open_program("ROKAN.RIX"));
  w().toggle_breakpoint(9);
  w().toggle_breakpoint(9);  // and away again
  // No program is loaded yet: the window compiles the file to check the condition.
  EXPECT_EQ(w().set_breakpoint(12, QStringLiteral("I >= 2"), QStringLiteral(">= 1")), "");
  w().toggle_breakpoint(30);  // after the last statement: kept unverified
  ASSERT_NO_FATAL_FAILURE(start_rix_program());

  uint32_t stops = 0;
  ASSERT_EQ(next_stop(stops), 12) << "I is 2 at the second call";
  stops = d().stop_count;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return variable("S") && (variable("S")->flags() & Qt::ItemIsEditable); }, 5000));
  variable("S")->setText(1, QStringLiteral("20.5"));  // the variables dock
  RixDebugVariable v;
  ASSERT_TRUE(rix_debug_find_variable(c().rix, "S", v));
  ASSERT_EQ(v.value[0], 20.5);
  ASSERT_NO_FATAL_FAILURE(wait_ticks(7));  // held: the cycles go on

  EXPECT_EQ(w().step(RixStep::kOver), "");
  ASSERT_EQ(next_stop(stops), 13);
  stops = d().stop_count;
  EXPECT_EQ(w().step(RixStep::kOut), "");
  ASSERT_EQ(next_stop(stops), 7);
  stops = d().stop_count;
  EXPECT_EQ(w().step(RixStep::kIn), "");
  ASSERT_EQ(next_stop(stops), 5) << "NEXT goes back to its FOR";
  stops = d().stop_count;
  w().editor().setCursorPosition(8, 0);  // line 9
  EXPECT_EQ(w().run_to_cursor(), "");
  ASSERT_EQ(next_stop(stops), 12) << "the breakpoint stops the run first, at the third call";
  stops = d().stop_count;
  EXPECT_EQ(w().run_to_cursor(), "");
  ASSERT_EQ(next_stop(stops), 9);
  stops = d().stop_count;
  ASSERT_NO_FATAL_FAILURE(wait_ticks(5));
  // Let go and held again in the same cycle, while WAIT_INPOS waits for leg 1.
  EXPECT_EQ(w().continue_run(), "");
  EXPECT_EQ(w().pause_run(), "");
  ASSERT_NE(next_stop(stops), 0);
  ASSERT_NO_FATAL_FAILURE(wait_ticks(40));  // leg 1 moves while the program is held
  EXPECT_EQ(w().continue_run(), "");
  ASSERT_TRUE(wait_ended());
  ASSERT_NO_FATAL_FAILURE(wait_ticks(50));
  ASSERT_TRUE(rix_debug_find_variable(c().rix, "S", v));
  EXPECT_EQ(v.value[0], 25.5) << "20.5 + 2 + 3: the value set reached the program";

  stop_ticks();
  const std::string gui_rix = rix_debug_json_line(d(), c());
  std::string text;
  ASSERT_NO_FATAL_FAILURE(save_end_and_replay(text, gui_rix));
  for (const char* line :
       {"\ndebugger window\n", "\nbreak 9\n", "\nclear 9\n", "\ncompile ROKAN.RIX\n",
        "\nbreak 12 hits >= 1 if I >= 2\n", "\nbreak 30\n", "\nset S 20.5\n", "\nnext\n", "\nout\n",
        "\nrun-to 9\n", "\nstep\n", "\npause\n", "\ncontinue\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(text.find("NOT"), std::string::npos);
}

TEST_F(ProgramWindowSession, AProgramEditedSavedAndCompiledInTheWindowReplaysTheSame) {
  const fs::path start = workspace_;
  const fs::path copy = copy_start();

  ASSERT_NO_FATAL_FAILURE(start_past_startup());
  ASSERT_NO_FATAL_FAILURE(keys("L"));
  ASSERT_TRUE(w().open_program("ROKAN.RIX"));
  // First a version that does not compile, then one that moves leg 2 instead, saved with CR LF.
  w().editor().setText(QStringLiteral("3.1\nbroken\nFLY F1\nEND\n"));
  EXPECT_FALSE(w().save_program());
  const QString edited = QString::fromUtf8(
      "3.1\r\n編集した版\r\nDEF_VAR I\r\nREL_PTP F2 0 0 25\r\nWAIT_INPOS F2\r\n"
      "I = 7\r\nEND\r\n");
  w().editor().setText(edited);
  ASSERT_TRUE(w().save_program()) << w().status_text().toStdString();
  EXPECT_TRUE(w().compile_program());
  ASSERT_NO_FATAL_FAILURE(start_rix_program());
  ASSERT_TRUE(wait_ended());
  ASSERT_NO_FATAL_FAILURE(wait_ticks(50));
  RixDebugVariable v;
  ASSERT_TRUE(rix_debug_find_variable(c().rix, "I", v)) << "the edited program ran";
  EXPECT_EQ(v.value[0], 7.0);

  stop_ticks();
  std::string text;
  ASSERT_NO_FATAL_FAILURE(save_end_and_replay(text, rix_debug_json_line(d(), c())));
  const fs::path rixs = fs::path("DEFAULT") / "rixs";
  EXPECT_EQ(slurp(copy / rixs / "ROKAN.RIX"), slurp(start / rixs / "ROKAN.RIX"));
  EXPECT_EQ(slurp(start / rixs / "ROKAN.RIX"), utf8_to_cp932(edited.toStdString()));
  EXPECT_EQ(slurp(copy / rixs / "WARNING.LOG"), slurp(start / rixs / "WARNING.LOG"));
  EXPECT_NE(text.find("\nsave ROKAN.RIX "), std::string::npos);
  EXPECT_NE(text.find("\ncompile ROKAN.RIX\n"), std::string::npos);
  EXPECT_EQ(text.find("NOT"), std::string::npos);
}

}  // namespace
}  // namespace rokan
