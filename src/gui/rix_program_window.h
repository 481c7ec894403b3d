// The RIX program window: the program's source in an editor with breakpoints, the program
// pointer and each leg's motion pointer in its margins, the debugger's run controls, and docks
// for the variables, the call stack and the breakpoints. It also edits, saves and compiles any
// .RIX file of the RIX directory.
//
// The window owns the session's RixDebugger and attaches it to the controller for as long as it
// lives; with no breakpoint set and no step asked for, the debugger only watches. A runtime
// error is not held: the run ends in EMG as without the window, and the failing line and the
// error text stay marked until the next run. The records
// are read in refresh(), which the main window calls at its drawing cycle; nothing here runs a
// part of the sampling cycle.
//
// Keys: this is not an operator window. Keys typed here go to the editor and the window's own
// shortcuts (F5, F9, F10, F11, ...), never to the controller's console; the operator's keys are
// typed into the main window, the text information window or the manual control box.
//
// A program edited here runs only once it is saved: the AUTO start compiles the file on disk.
// While the editor holds unsaved changes of the running program, its lines may no longer match
// the running statements, so the pointers are hidden until the file is saved or reloaded.
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "core/robot_state.h"
#include "debug/debugger.h"
#include "sim/script_debug.h"

class QAction;
class QLabel;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QsciScintilla;

namespace rokan {

struct Controller;
class RixLexer;
class SessionRecorder;

class RixProgramWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Margin markers; each leg's motion pointer has its own.
  enum Marker {
    kBreakpointMark = 0,
    kUnverifiedMark,
    kPointerMark,
    kErrorMark,
    kCompileErrorMark,
    kLegMark1,  // legs 1..4 are kLegMark1 + 0..3
  };

  explicit RixProgramWindow(Controller& c, QWidget* parent = nullptr);
  ~RixProgramWindow() override;

  RixDebugger& debugger() { return d_; }
  // Where the window reports what it did to the debugger and the RIX files, for a saved
  // session's replay; nullptr: nowhere.
  void set_recorder(SessionRecorder* recorder) { recorder_ = recorder; }
  QsciScintilla& editor() { return *editor_; }

  // Reads the debugger's and the program's records and updates the marks and docks. Opens the
  // running program when a new run starts and the editor holds nothing unsaved; returns true
  // when a run started since the last call (the main window then shows this window).
  bool refresh();

  // Loads `file_name` (a file of the RIX directory, CP932 name) into the editor; false with the
  // reason in the status bar when it cannot be read.
  bool open_program(const std::string& file_name);
  // Writes the editor's text as CP932 to the shown file and compiles it; false when the file
  // cannot be written or does not compile (the errors are marked in the editor).
  bool save_program();
  // Compiles the shown file as rixc does, into an image of its own (the running program is not
  // touched). Marks the failing line; true when it compiles.
  bool compile_program();

  // Breakpoint at a 1-based source line: toggled; or set with a condition and a hit condition.
  // set_breakpoint returns "" or why the breakpoint cannot stop there (for the dialog).
  void toggle_breakpoint(int line);
  QString set_breakpoint(int line, const QString& condition, const QString& hit_condition);

  // The debugger's run controls, as the toolbar and the Debug menu call them; the reason when
  // nothing was done goes to the status bar and is returned.
  QString continue_run();
  QString pause_run();
  QString step(RixStep kind);
  QString run_to_cursor();

  // Lines (1-based) that carry marker `m`.
  std::vector<int> marked_lines(Marker m) const;
  // The file shown, the compile error text shown ("" when none), the status bar text.
  const std::string& file_name() const { return file_; }
  const QString& compile_error() const { return compile_error_; }
  QString status_text() const;
  // The debugger's stop_count as of the last refresh(): the stop the window shows.
  uint32_t shown_stop() const { return seen_stop_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_editor();
  void build_actions();
  void build_docks();
  // Shows why a run control did nothing, or records it as done.
  QString run_control(const std::string& reason, DebugOp op, int line = 0);
  void edit_breakpoint_dialog(int line);
  void show_markers();
  void refresh_breakpoints();
  void refresh_stop();
  void refresh_variables();
  void on_variable_edited(QTreeWidgetItem* item, int column);
  bool compile_shown();
  void clear_compile_error();
  std::string rix_dir() const;
  bool pointers_valid() const;
  void say(const QString& text);

  Controller& c_;
  RixDebugger d_;
  SessionRecorder* recorder_ = nullptr;
  QsciScintilla* editor_ = nullptr;
  RixLexer* lexer_ = nullptr;
  QTreeWidget* variables_ = nullptr;
  QListWidget* frames_ = nullptr;
  QTreeWidget* breakpoints_ = nullptr;
  QLabel* state_label_ = nullptr;
  QAction* continue_ = nullptr;
  QAction* pause_ = nullptr;
  QAction* step_over_ = nullptr;
  QAction* step_into_ = nullptr;
  QAction* step_out_ = nullptr;
  QAction* run_to_cursor_ = nullptr;

  std::string file_;  // CP932 file name inside the RIX directory; empty: none shown
  QString compile_error_;
  // What the marks show now, so that refresh() changes the editor only when a record changed.
  int shown_pc_line_ = -1;
  int shown_leg_lines_[kLegCount] = {-1, -1, -1, -1};
  int shown_error_line_ = -1;
  uint32_t seen_run_ = 0;
  uint32_t seen_stop_ = 0;
  uint64_t seen_breakpoints_ = ~uint64_t{0};  // signature of the breakpoints shown
  RixRunState seen_state_ = RixRunState::kNone;
  // The values at the last stop, to highlight what changed since.
  std::vector<RixDebugVariable> last_values_;
  bool filling_variables_ = false;
};

}  // namespace rokan
