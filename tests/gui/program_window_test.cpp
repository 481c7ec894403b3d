// The RIX program window on a running controller: breakpoints set in the editor's margin stop
// the program, the pointer marks follow every step kind, the variables dock sets a value, and
// files that do not compile or conditions that do not compile say why.
#include <Qsci/qsciscintilla.h>

#include <QListWidget>
#include <QTreeWidget>

#include "debug/debugger.h"
#include "gui/qt_text.h"
#include "gui/rix_lexer.h"
#include "gui/rix_program_window.h"
#include "gui_fixture.h"
#include "platform/text.h"

namespace rokan {
namespace {

// Lines are numbered as the editor shows them.
constexpr const char* kProgram =
    "3.1\n"
    "デバッガの試験\n"
    "DEF_VAR I, S\n"       // 3
    "S = 0\n"              // 4
    "FOR I = 1 TO 3\n"     // 5
    "  CALL ADD:\n"        // 6
    "NEXT I\n"             // 7
    "REL_PTP F1 0 0 30\n"  // 8
    "WAIT_INPOS F1\n"      // 9
    "EXIT\n"               // 10
    "SUBROUTINE ADD:\n"    // 11
    "  S = S + I\n"        // 12
    "SUBEND\n"             // 13
    "END\n";               // 14

void write_cp932(const std::filesystem::path& ws, const std::string& file,
                 const std::string& utf8) {
  std::ofstream out(ws / "DEFAULT" / "rixs" / file, std::ios::binary);
  out << utf8_to_cp932(utf8);
}

std::string read_all(const std::filesystem::path& ws, const std::string& file) {
  std::ifstream in(ws / "DEFAULT" / "rixs" / file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ProgramWindowTest : public GuiTest {
 protected:
  RixProgramWindow& w() { return main_form().program_window(); }
  RixDebugger& d() { return w().debugger(); }

  void type(char key) {
    QTest::keyClick(qwindow(main_form()), key);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return session_->host().keys().waiting() == 0 && !c().console.key_hit; }, 2000));
  }

  // ORIGIN, the initial posture, AUTO, program 0 (the RIX program) and S, typed into the main
  // window as an operator does.
  void start_rix_program() {
    type('o');
    type('i');
    ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.initial_reached == 1; }, 15000));
    type('a');
    type('0');
    type('s');
  }

  bool wait_paused() {
    return QTest::qWaitFor([this] { return rix_debug_state(d(), c()) == RixRunState::kPaused; },
                           15000);
  }

  // Waits until the controller holds the program and the window's drawing cycle has read that
  // stop; the line of the window's pointer mark then, or 0 when it is not on one line.
  int pointer_line_after_stop() {
    if (!wait_paused()) return 0;
    if (!QTest::qWaitFor([this] { return w().shown_stop() == d().stop_count; }, 3000)) return 0;
    const std::vector<int> lines = w().marked_lines(RixProgramWindow::kPointerMark);
    return lines.size() == 1 ? lines[0] : 0;
  }

  // A click into the breakpoint margin beside `line` (1-based).
  void click_margin(int line) {
    QsciScintilla& e = w().editor();
    const int height = static_cast<int>(e.SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, 0));
    const QPoint at(e.marginWidth(0) + e.marginWidth(1) / 2, (line - 1) * height + height / 2);
    QTest::mouseClick(e.viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }

  QTreeWidgetItem* variable(const QString& name) {
    auto& tree = child<QTreeWidget>(w(), "Variables");
    const auto found = tree.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found[0];
  }
};

TEST_F(ProgramWindowTest, MarginBreakpointStopsTheRunAndThePointerFollowsEachStep) {
  write_cp932(workspace_, "ROKAN.RIX", kProgram);
  start_past_startup();
  w().show();
  ASSERT_TRUE(w().open_program("ROKAN.RIX"));
  click_margin(6);
  ASSERT_EQ(d().breakpoints.size(), 1u) << "the margin click reaches the debugger";
  EXPECT_EQ(d().breakpoints[0].spec.line, 6);
  EXPECT_EQ(w().marked_lines(RixProgramWindow::kUnverifiedMark), std::vector<int>{6})
      << "no program is loaded yet: the breakpoint waits for the run";

  ASSERT_NO_FATAL_FAILURE(start_rix_program());
  EXPECT_EQ(pointer_line_after_stop(), 6);
  EXPECT_EQ(d().stop.reason, RixStopReason::kBreakpoint);
  EXPECT_EQ(w().marked_lines(RixProgramWindow::kBreakpointMark), std::vector<int>{6})
      << "unverified: "
      << testing::PrintToString(w().marked_lines(RixProgramWindow::kUnverifiedMark)) << " "
      << d().breakpoints[0].verified << d().breakpoints[0].hits << " stops " << d().stop_count;
  EXPECT_TRUE(w().isVisible());

  // The variables dock: S was 0 before the first call; a value set there reaches the program.
  (void)QTest::qWaitFor([this] { return variable("S") != nullptr; }, 2000);
  QTreeWidgetItem* s = variable("S");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->text(1).toStdString(), "0");
  s->setText(1, QStringLiteral("40"));
  RixDebugVariable v;
  ASSERT_TRUE(rix_debug_find_variable(c().rix, "S", v));
  EXPECT_EQ(v.value[0], 40.0);
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return variable("S") && variable("S")->text(1) == "40"; }, 2000));

  EXPECT_EQ(w().step(RixStep::kOver), "");
  EXPECT_EQ(pointer_line_after_stop(), 7) << "CALL ran to its return";
  ASSERT_TRUE(rix_debug_find_variable(c().rix, "S", v));
  EXPECT_EQ(v.value[0], 41.0) << "the subroutine added I to the value set in the dock";
  (void)QTest::qWaitFor([this] { return variable("S") && variable("S")->text(1) == "41"; }, 2000);
  EXPECT_NE(variable("S")->background(1), QBrush()) << "changed since the last stop";
  EXPECT_EQ(variable("I")->background(1), QBrush());

  EXPECT_EQ(w().step(RixStep::kIn), "");
  EXPECT_EQ(pointer_line_after_stop(), 5) << "NEXT went back to its FOR";
  EXPECT_EQ(w().step(RixStep::kIn), "");
  EXPECT_EQ(pointer_line_after_stop(), 6);
  EXPECT_EQ(w().step(RixStep::kIn), "");
  EXPECT_EQ(pointer_line_after_stop(), 11) << "into the subroutine, at its heading";
  ASSERT_EQ(child<QListWidget>(w(), "CallStack").count(), 2);
  EXPECT_TRUE(child<QListWidget>(w(), "CallStack").item(0)->text().startsWith("ADD:"));
  EXPECT_EQ(w().step(RixStep::kOut), "");
  EXPECT_EQ(pointer_line_after_stop(), 7) << "out to the statement after the CALL";

  // F9 on the breakpoint's line takes it away, then the run goes on to the cursor's line.
  w().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
  w().editor().setCursorPosition(5, 0);
  QTest::keyClick(qwindow(w()), Qt::Key_F9);
  EXPECT_TRUE(d().breakpoints.empty());
  w().editor().setCursorPosition(7, 0);
  EXPECT_EQ(w().run_to_cursor(), "");
  EXPECT_EQ(pointer_line_after_stop(), 8);
  EXPECT_EQ(d().stop.reason, RixStopReason::kStep);

  // Stopped again at a breakpoint, leg 1 is still making the move REL_PTP commanded: its motion
  // pointer stands on that line.
  click_margin(9);
  EXPECT_EQ(w().continue_run(), "");
  EXPECT_EQ(pointer_line_after_stop(), 9);
  EXPECT_EQ(d().stop.reason, RixStopReason::kBreakpoint);
  ASSERT_TRUE(QTest::qWaitFor(
      [this] {
        return w().marked_lines(RixProgramWindow::Marker(RixProgramWindow::kLegMark1)) ==
               std::vector<int>{8};
      },
      3000));
  EXPECT_TRUE(w().marked_lines(RixProgramWindow::Marker(RixProgramWindow::kLegMark1 + 1)).empty());
  ASSERT_TRUE(rix_debug_find_variable(c().rix, "S", v));
  EXPECT_EQ(v.value[0], 46.0) << "40 + 1 + 2 + 3";

  stop_ticks();
  w().editor().setCursorPosition(8, 0);
  save_screenshot(desktop({&w()}), "screenshot-program-window.png");
}

TEST_F(ProgramWindowTest, ARuntimeErrorMarksItsLineAndTheOperatorKeysStayWithTheController) {
  write_cp932(workspace_, "ROKAN.RIX",
              "3.1\nerror\nDEF_VAR A\nA = -1\nA = SQRT A\nEND\n");  // line 5 fails
  start_past_startup();
  ASSERT_NO_FATAL_FAILURE(start_rix_program());
  ASSERT_TRUE(QTest::qWaitFor(
      [this] { return w().marked_lines(RixProgramWindow::kErrorMark) == std::vector<int>{5}; },
      15000));
  EXPECT_FALSE(w().editor().annotation(4).isEmpty());
  EXPECT_EQ(w().editor().annotation(4), qt_text(d().error.text));
  EXPECT_TRUE(w().isVisible()) << "a RIX start opens the window";

  // With the cycle stopped, a key stays in the operator's queue: the editor's keys never get
  // there, the main window's do.
  stop_ticks();
  const std::size_t before = session_->host().keys().waiting();
  w().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
  w().editor().setFocus();
  w().editor().setCursorPosition(0, 0);
  QTest::keyClick(qwindow(w()), 'x');
  EXPECT_EQ(w().editor().text(0), "x3.1\n");
  EXPECT_EQ(session_->host().keys().waiting(), before);
  QTest::keyClick(qwindow(main_form()), 'x');
  EXPECT_EQ(session_->host().keys().waiting(), before + 1);
}

TEST_F(ProgramWindowTest, AFileThatDoesNotCompileShowsItsErrorUnderItsLine) {
  start_past_startup();
  write_cp932(workspace_, "BAD.RIX", "3.1\n壊れた\nDEF_VAR A\nA = 1\nNO_SUCH_COMMAND 3\nEND\n");
  ASSERT_TRUE(w().open_program("BAD.RIX"));
  EXPECT_FALSE(w().compile_program());
  EXPECT_EQ(w().marked_lines(RixProgramWindow::kCompileErrorMark), std::vector<int>{5});
  EXPECT_FALSE(w().compile_error().isEmpty());
  EXPECT_EQ(w().editor().annotation(4), w().compile_error());
  EXPECT_EQ(w().status_text(), w().compile_error());

  // Corrected and saved: written back in CP932, compiled, the marks gone.
  w().editor().setText(QStringLiteral("3.1\n直した\nDEF_VAR A\nA = 1\nA = A + 2\nEND\n"));
  EXPECT_TRUE(w().save_program());
  EXPECT_EQ(read_all(workspace_, "BAD.RIX"),
            utf8_to_cp932("3.1\n直した\nDEF_VAR A\nA = 1\nA = A + 2\nEND\n"));
  EXPECT_TRUE(w().marked_lines(RixProgramWindow::kCompileErrorMark).empty());
  EXPECT_TRUE(w().editor().annotation(4).isEmpty());
  EXPECT_FALSE(w().editor().isModified());

  EXPECT_FALSE(w().open_program("NONE.RIX"));
  EXPECT_EQ(w().file_name(), "BAD.RIX") << "a file that cannot be read leaves the shown one";
}

// A save that cannot be put in place says why and keeps the edit: the editor stays modified, so
// nothing typed is lost, and no half-written copy is left beside the program.
TEST_F(ProgramWindowTest, ASaveThatFailsSaysWhyAndKeepsTheEdit) {
  start_past_startup();
  write_cp932(workspace_, "KEEP.RIX", "3.1\nkeep\nEND\n");
  ASSERT_TRUE(w().open_program("KEEP.RIX"));
  w().editor().setText(QStringLiteral("3.1\nedited\nEND\n"));
  const std::filesystem::path rixs = workspace_ / "DEFAULT" / "rixs";
  std::filesystem::remove(rixs / "KEEP.RIX");
  std::filesystem::create_directory(rixs / "KEEP.RIX");  // the rename over it fails, also for root
  EXPECT_FALSE(w().save_program());
  EXPECT_TRUE(w().status_text().startsWith(QStringLiteral("Cannot write")))
      << qPrintable(w().status_text());
  EXPECT_TRUE(w().status_text().contains(QStringLiteral("directory")))
      << qPrintable(w().status_text());
  EXPECT_TRUE(w().editor().isModified());
  EXPECT_EQ(w().editor().text(1), QStringLiteral("edited\n"));
  for (const auto& e : std::filesystem::directory_iterator(rixs))
    EXPECT_EQ(e.path().filename().string().find("KEEP.RIX."), std::string::npos) << e.path();
}

TEST_F(ProgramWindowTest, AConditionThatDoesNotCompileIsRefusedWithItsReason) {
  start_past_startup();
  ASSERT_TRUE(w().open_program("ROKAN.RIX"));  // DEF_VAR ROUND, LEG, LIFT
  const QString reason = w().set_breakpoint(16, QStringLiteral("NOSUCH >= 2"), QString());
  EXPECT_TRUE(reason.startsWith("The condition does not compile: ")) << reason.toStdString();
  EXPECT_TRUE(d().breakpoints.empty()) << "nothing set";
  EXPECT_EQ(w().set_breakpoint(16, QStringLiteral("ROUND >= 2"), QStringLiteral(">= 2")), "");
  ASSERT_EQ(d().breakpoints.size(), 1u);
  EXPECT_EQ(d().breakpoints[0].spec.condition, "ROUND >= 2");
  EXPECT_EQ(d().breakpoints[0].spec.hit_condition, ">= 2");
  // Set again at the same line: replaced, not doubled.
  EXPECT_EQ(w().set_breakpoint(16, QStringLiteral("LEG == 3"), QString()), "");
  ASSERT_EQ(d().breakpoints.size(), 1u);
  EXPECT_EQ(d().breakpoints[0].spec.condition, "LEG == 3");
  auto& list = child<QTreeWidget>(w(), "Breakpoints");
  ASSERT_EQ(list.topLevelItemCount(), 1);
  EXPECT_EQ(list.topLevelItem(0)->text(1), "LEG == 3");
}

TEST(RixLexer, ColoursTheWordsTheCompilerKnows) {
  test_app();
  RixLexer lexer;
  EXPECT_EQ(lexer.word_style("PTP"), RixLexer::kCommand);
  EXPECT_EQ(lexer.word_style("wait_inpos"), RixLexer::kCommand);
  EXPECT_EQ(lexer.word_style("SUBROUTINE"), RixLexer::kCommand);
  EXPECT_EQ(lexer.word_style("F1"), RixLexer::kTarget);
  EXPECT_EQ(lexer.word_style("J43"), RixLexer::kTarget);
  EXPECT_EQ(lexer.word_style("HALT_REQUEST"), RixLexer::kFlag);
  EXPECT_EQ(lexer.word_style("INPOS_F2"), RixLexer::kFlag);
  EXPECT_EQ(lexer.word_style("FINISH:"), RixLexer::kLabel);
  EXPECT_EQ(lexer.word_style("-12.5"), RixLexer::kNumber);
  EXPECT_EQ(lexer.word_style("ROUND"), RixLexer::kDefault);

  QsciScintilla editor;
  editor.setUtf8(true);
  editor.setLexer(&lexer);
  editor.setText(QStringLiteral("3.1\n見出し\nPTP F1 0 0 -5 // 脚を下ろす\nEND\n"));
  editor.recolor();
  auto style_at = [&](int line, int index) {
    return static_cast<int>(editor.SendScintilla(QsciScintilla::SCI_GETSTYLEAT,
                                                 editor.positionFromLineIndex(line, index)));
  };
  EXPECT_EQ(style_at(2, 0), RixLexer::kCommand);
  EXPECT_EQ(style_at(2, 4), RixLexer::kTarget);
  EXPECT_EQ(style_at(2, 7), RixLexer::kNumber);
  EXPECT_EQ(style_at(2, 11), RixLexer::kNumber);
  EXPECT_EQ(style_at(2, 14), RixLexer::kComment);
  EXPECT_EQ(style_at(2, 17), RixLexer::kComment);
  EXPECT_EQ(style_at(3, 0), RixLexer::kCommand) << "styles counted in bytes past Japanese text";
  editor.setLexer(nullptr);
}

}  // namespace
}  // namespace rokan
