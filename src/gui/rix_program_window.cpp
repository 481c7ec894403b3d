#include "gui/rix_program_window.h"

#include <Qsci/qsciscintilla.h>
#include <Qsci/qscistyle.h>

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QSet>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/controller.h"
#include "gui/qt_text.h"
#include "gui/rix_lexer.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "rix/compiler/compiler.h"
#include "sim/program_edit.h"
#include "sim/session_recorder.h"

namespace rokan {

namespace {

constexpr int kNumberMargin = 0;
constexpr int kMarkMargin = 1;  // breakpoints, the program pointer, compile errors
constexpr int kLegMargin = 2;   // the legs' motion pointers

// Component names of a POS (mm) and a JNT (deg) variable, as the debugger takes them.
const char* const kPosParts[3] = {"X", "Y", "Z"};
const char* const kJntParts[3] = {"J1", "J2", "J3"};

// Roles of a variable item: its CP932 name for rix_debug_set_variable.
constexpr int kNameRole = Qt::UserRole;

QString value_text(double v) {
  return v == kRixUnset ? QStringLiteral("(unset)") : QString::number(v, 'g', 10);
}

// A leg's motion pointer: its number, white on the leg's colour.
QImage leg_mark(int leg, const QColor& colour) {
  QImage image(14, 14, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 3, 3);
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, QString::number(leg));
  return image;
}

// What the margin and the Breakpoints list show of the breakpoints: it changes when one is
// added, removed, resolved or hit.
constexpr uint64_t kNoSignature = ~uint64_t{0};
uint64_t signature(const std::vector<RixBreakpoint>& breakpoints) {
  uint64_t h = breakpoints.size();
  for (const RixBreakpoint& b : breakpoints) {
    const uint64_t parts[4] = {static_cast<uint64_t>(b.id), b.verified ? 1u : 0u,
                               static_cast<uint64_t>(b.line), b.hits};
    for (uint64_t p : parts) h = (h ^ p) * 1099511628211u;  // FNV-1a step
  }
  return h;
}

}  // namespace

RixProgramWindow::RixProgramWindow(Controller& c, QWidget* parent) : QMainWindow(parent), c_(c) {
  setObjectName(QStringLiteral("RixProgramWindow"));
  setWindowTitle(QStringLiteral("RIX Program"));
  // Opened by a program start, it must not take the keys from the operator's windows.
  setAttribute(Qt::WA_ShowWithoutActivating);
  // A failing program ends in EMG as it always has; the window shows where and why it failed.
  d_.stop_on_error = false;
  rix_debug_attach(d_, c_);
  build_editor();
  build_actions();
  build_docks();
  state_label_ = new QLabel(this);
  state_label_->setMinimumWidth(280);
  statusBar()->addPermanentWidget(state_label_);
  resize(900, 640);
}

RixProgramWindow::~RixProgramWindow() {
  rix_debug_detach(d_, c_);
}

void RixProgramWindow::build_editor() {
  editor_ = new QsciScintilla(this);
  editor_->setObjectName(QStringLiteral("RixEditor"));
  editor_->setUtf8(true);
  lexer_ = new RixLexer(editor_);
  editor_->setLexer(lexer_);
  editor_->setMarginType(kNumberMargin, QsciScintilla::NumberMargin);
  editor_->setMarginWidth(kNumberMargin, QStringLiteral("00000"));
  editor_->setMarginType(kMarkMargin, QsciScintilla::SymbolMargin);
  editor_->setMarginWidth(kMarkMargin, 18);
  editor_->setMarginSensitivity(kMarkMargin, true);
  editor_->setMarginMarkerMask(kMarkMargin, (1 << kBreakpointMark) | (1 << kUnverifiedMark) |
                                                (1 << kPointerMark) | (1 << kCompileErrorMark));
  editor_->setMarginType(kLegMargin, QsciScintilla::SymbolMargin);
  editor_->setMarginWidth(kLegMargin, 18);
  editor_->setMarginMarkerMask(kLegMargin, 0xF << kLegMark1);

  editor_->markerDefine(QsciScintilla::Circle, kBreakpointMark);
  editor_->setMarkerBackgroundColor(QColor(220, 0, 0), kBreakpointMark);
  editor_->markerDefine(QsciScintilla::Circle, kUnverifiedMark);
  editor_->setMarkerBackgroundColor(QColor(255, 255, 255), kUnverifiedMark);
  editor_->setMarkerForegroundColor(QColor(220, 0, 0), kUnverifiedMark);
  editor_->markerDefine(QsciScintilla::RightArrow, kPointerMark);
  editor_->setMarkerBackgroundColor(QColor(255, 210, 0), kPointerMark);
  editor_->markerDefine(QsciScintilla::Background, kErrorMark);
  editor_->setMarkerBackgroundColor(QColor(255, 200, 200), kErrorMark);
  editor_->markerDefine(QsciScintilla::Rectangle, kCompileErrorMark);
  editor_->setMarkerBackgroundColor(QColor(230, 90, 0), kCompileErrorMark);
  const QColor legs[kLegCount] = {QColor(0, 120, 215), QColor(0, 150, 60), QColor(200, 100, 0),
                                  QColor(150, 0, 170)};
  for (int k = 0; k < kLegCount; ++k)
    editor_->markerDefine(leg_mark(k + 1, legs[k]), kLegMark1 + k);
  editor_->setAnnotationDisplay(QsciScintilla::AnnotationBoxed);
  editor_->setCaretLineVisible(true);
  editor_->setCaretLineBackgroundColor(QColor(240, 244, 255));
  connect(editor_, &QsciScintilla::marginClicked, this,
          [this](int margin, int line, Qt::KeyboardModifiers mods) {
            if (margin != kMarkMargin) return;
            if (mods & Qt::ShiftModifier)
              edit_breakpoint_dialog(line + 1);
            else
              toggle_breakpoint(line + 1);
          });
  connect(editor_, &QsciScintilla::modificationChanged, this, [this](bool) {
    setWindowTitle(
        QStringLiteral("RIX Program - %1%2")
            .arg(qt_text(file_), editor_->isModified() ? QStringLiteral(" *") : QString()));
    shown_pc_line_ = -2;  // the pointers show or hide with the unsaved changes
  });
  setCentralWidget(editor_);
}

void RixProgramWindow::build_actions() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("File(&F)"));
  QAction* open = file->addAction(QStringLiteral("Open...(&O)"));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] {
    const QString dir = QString::fromStdString(rooted_path(c_.workspace, rix_dir()));
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open RIX Program"), dir,
                                                      QStringLiteral("RIX (*.RIX *.rix)"));
    if (path.isEmpty()) return;
    // Programs run from the RIX directory only, so only its files are shown here.
    const QFileInfo chosen(path);
    if (chosen.absoluteDir() != QDir(dir)) {
      say(QStringLiteral("Only files of the RIX directory %1 can be opened").arg(dir));
      return;
    }
    open_program(controller_path(chosen.fileName().toStdString()));
  });
  QAction* save = file->addAction(QStringLiteral("Save(&S)"));
  save->setObjectName(QStringLiteral("ProgramSave"));
  save->setShortcut(QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this] { save_program(); });
  QAction* compile = file->addAction(QStringLiteral("Compile(&C)"));
  compile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
  connect(compile, &QAction::triggered, this, [this] { compile_program(); });

  QMenu* debug = menuBar()->addMenu(QStringLiteral("Debug(&D)"));
  QToolBar* bar = addToolBar(QStringLiteral("Debug"));
  bar->setObjectName(QStringLiteral("DebugToolBar"));
  auto add = [&](const char* text, const char* name, QKeySequence key, auto slot) {
    QAction* a = debug->addAction(QString::fromUtf8(text));
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    bar->addAction(a);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  continue_ =
      add("Continue", "DebugContinue", QKeySequence(Qt::Key_F5), [this] { continue_run(); });
  pause_ = add("Pause", "DebugPause", QKeySequence(Qt::CTRL | Qt::Key_F5), [this] { pause_run(); });
  step_over_ = add("Step Over", "DebugStepOver", QKeySequence(Qt::Key_F10),
                   [this] { step(RixStep::kOver); });
  step_into_ =
      add("Step Into", "DebugStepInto", QKeySequence(Qt::Key_F11), [this] { step(RixStep::kIn); });
  step_out_ = add("Step Out", "DebugStepOut", QKeySequence(Qt::SHIFT | Qt::Key_F11),
                  [this] { step(RixStep::kOut); });
  run_to_cursor_ = add("Run to Cursor", "DebugRunToCursor", QKeySequence(Qt::CTRL | Qt::Key_F10),
                       [this] { run_to_cursor(); });
  debug->addSeparator();
  QAction* toggle = debug->addAction(QStringLiteral("Toggle Breakpoint"));
  toggle->setShortcut(QKeySequence(Qt::Key_F9));
  connect(toggle, &QAction::triggered, this, [this] {
    int line = 0, index = 0;
    editor_->getCursorPosition(&line, &index);
    toggle_breakpoint(line + 1);
  });
  QAction* edit = debug->addAction(QStringLiteral("Breakpoint Condition..."));
  edit->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
  connect(edit, &QAction::triggered, this, [this] {
    int line = 0, index = 0;
    editor_->getCursorPosition(&line, &index);
    edit_breakpoint_dialog(line + 1);
  });
}

void RixProgramWindow::build_docks() {
  auto dock = [this](const char* title, const char* name, QWidget* w, Qt::DockWidgetArea area) {
    auto* d = new QDockWidget(QString::fromLatin1(title), this);
    d->setObjectName(QString::fromLatin1(name) + QStringLiteral("Dock"));
    w->setObjectName(QString::fromLatin1(name));
    d->setWidget(w);
    addDockWidget(area, d);
  };
  variables_ = new QTreeWidget(this);
  variables_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
  variables_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  connect(variables_, &QTreeWidget::itemChanged, this, &RixProgramWindow::on_variable_edited);
  dock("Variables", "Variables", variables_, Qt::RightDockWidgetArea);

  frames_ = new QListWidget(this);
  dock("Call Stack", "CallStack", frames_, Qt::RightDockWidgetArea);

  breakpoints_ = new QTreeWidget(this);
  breakpoints_->setRootIsDecorated(false);
  breakpoints_->setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Condition"),
                                 QStringLiteral("Hit count"), QStringLiteral("Hits"),
                                 QStringLiteral("Status")});
  connect(breakpoints_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
    edit_breakpoint_dialog(item->data(0, Qt::UserRole).toInt());
  });
  dock("Breakpoints", "Breakpoints", breakpoints_, Qt::BottomDockWidgetArea);
}

std::string RixProgramWindow::rix_dir() const {
  return program_edit_dir(c_);
}

void RixProgramWindow::say(const QString& text) {
  statusBar()->showMessage(text);
}

QString RixProgramWindow::status_text() const {
  return statusBar()->currentMessage();
}

// --- files -------------------------------------------------------------------------------------

bool RixProgramWindow::open_program(const std::string& file_name) {
  std::string bytes;
  if (!read_whole_file(c_.workspace, rix_dir() + file_name, bytes)) {
    say(QStringLiteral("Cannot read %1").arg(qt_text(rix_dir() + file_name)));
    return false;
  }
  file_ = file_name;
  clear_compile_error();
  editor_->setText(qt_text(bytes));
  editor_->setModified(false);
  shown_pc_line_ = -2;
  for (int& l : shown_leg_lines_) l = -2;
  shown_error_line_ = -2;
  seen_breakpoints_ = kNoSignature;
  setWindowTitle(QStringLiteral("RIX Program - %1").arg(qt_text(file_)));
  say(QStringLiteral("Opened %1").arg(qt_text(file_)));
  return true;
}

bool RixProgramWindow::save_program() {
  if (file_.empty()) {
    say(QStringLiteral("No file is open"));
    return false;
  }
  const std::string bytes = cp932_text(editor_->text());
  std::string why;
  if (!save_program_file(c_, file_, bytes, why)) {
    say(QStringLiteral("Cannot write %1: %2")
            .arg(qt_text(rix_dir() + file_), QString::fromLocal8Bit(why.c_str())));
    return false;
  }
  if (recorder_) recorder_->program_saved(file_, bytes);
  editor_->setModified(false);
  return compile_shown();
}

bool RixProgramWindow::compile_program() {
  if (file_.empty()) {
    clear_compile_error();
    say(QStringLiteral("No file is open"));
    return false;
  }
  if (recorder_) recorder_->program_compiled(file_);
  return compile_shown();
}

bool RixProgramWindow::compile_shown() {
  clear_compile_error();
  // An image of its own: the controller's program (running or not) stays as it is.
  auto image = std::make_unique<RixImage>();
  if (compile_program_file(c_, file_, *image)) {
    say(image->warning_code != 0 ? QStringLiteral("Compiled with warnings (see WARNING.LOG)")
                                 : QStringLiteral("Compiled without errors"));
    return true;
  }
  compile_error_ = qt_text(image->error_text);
  if (image->error_line > 0 && image->error_line <= editor_->lines()) {
    const int line = image->error_line - 1;
    editor_->markerAdd(line, kCompileErrorMark);
    QsciStyle style(-1, QStringLiteral("compile error"), QColor(150, 0, 0), QColor(255, 235, 225),
                    editor_font());
    editor_->annotate(line, compile_error_, style);
    editor_->ensureLineVisible(line);
  }
  say(compile_error_);
  return false;
}

void RixProgramWindow::clear_compile_error() {
  compile_error_.clear();
  editor_->markerDeleteAll(kCompileErrorMark);
  editor_->clearAnnotations();
  shown_error_line_ = -2;  // a runtime error's annotation is put back by refresh()
}

// --- breakpoints -------------------------------------------------------------------------------

void RixProgramWindow::toggle_breakpoint(int line) {
  if (line < 1) return;
  if (rix_debug_clear_breakpoint(d_, line)) {
    if (recorder_) recorder_->breakpoint_cleared(line);
  } else {
    RixBreakpointSpec spec;
    spec.line = line;
    const RixBreakpoint& b = rix_debug_add_breakpoint(d_, c_.rix, spec);
    if (recorder_) recorder_->breakpoint_set(line, {}, {});
    if (!b.verified && !c_.rix.instructions.empty()) say(qt_text(b.message));
  }
  refresh_breakpoints();
}

QString RixProgramWindow::set_breakpoint(int line, const QString& condition,
                                         const QString& hit_condition) {
  if (line < 1) return QStringLiteral("No line chosen");
  RixBreakpointSpec spec;
  spec.line = line;
  spec.condition = cp932_text(condition.trimmed());
  spec.hit_condition = cp932_text(hit_condition.trimmed());
  // The condition is tried against the program's variables before anything changes: the running
  // program's, or else those of the shown file.
  if (!spec.condition.empty()) {
    std::unique_ptr<RixImage> compiled;
    const RixImage* program = &c_.rix;
    if (c_.rix.instructions.empty() && !file_.empty()) {
      compiled = std::make_unique<RixImage>();
      // The compiler writes its work files: the replay compiles here too.
      if (recorder_) recorder_->program_compiled(file_);
      if (!compile_program_file(c_, file_, *compiled))
        return QStringLiteral(
                   "The program does not compile, so the condition cannot be checked: ") +
               qt_text(compiled->error_text);
      program = compiled.get();
    }
    RixInstruction code{};
    std::string error;
    if (!program->instructions.empty() &&
        !rix_compile_condition(*program, spec.condition, code, error))
      return QStringLiteral("The condition does not compile: ") + qt_text(error);
  }
  if (rix_debug_clear_breakpoint(d_, line) && recorder_) recorder_->breakpoint_cleared(line);
  if (recorder_) recorder_->breakpoint_set(line, spec.condition, spec.hit_condition);
  const RixBreakpoint& b = rix_debug_add_breakpoint(d_, c_.rix, spec);
  QString reason;
  if (!b.verified && !c_.rix.instructions.empty()) reason = qt_text(b.message);
  refresh_breakpoints();
  return reason;
}

void RixProgramWindow::edit_breakpoint_dialog(int line) {
  if (line < 1) return;
  RixBreakpointSpec current;
  for (const RixBreakpoint& b : d_.breakpoints)
    if (b.spec.line == line || b.line == line) current = b.spec;
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Breakpoint at line %1").arg(line));
  auto* form = new QFormLayout(&dialog);
  auto* condition = new QLineEdit(qt_text(current.condition), &dialog);
  condition->setPlaceholderText(QStringLiteral("always (e.g. I >= 3)"));
  auto* hits = new QLineEdit(qt_text(current.hit_condition), &dialog);
  hits->setPlaceholderText(QStringLiteral("every hit (e.g. >= 5, % 2)"));
  auto* message = new QLabel(&dialog);
  message->setStyleSheet(QStringLiteral("color: #a00000"));
  message->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(QStringLiteral("Condition"), condition);
  form->addRow(QStringLiteral("Hit count"), hits);
  form->addRow(message);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const QString reason = set_breakpoint(line, condition->text(), hits->text());
    if (reason.isEmpty())
      dialog.accept();
    else
      message->setText(reason);  // the dialog stays open to correct it
  });
  dialog.exec();
}

void RixProgramWindow::refresh_breakpoints() {
  seen_breakpoints_ = signature(d_.breakpoints);
  editor_->markerDeleteAll(kBreakpointMark);
  editor_->markerDeleteAll(kUnverifiedMark);
  breakpoints_->clear();
  for (const RixBreakpoint& b : d_.breakpoints) {
    const int line = b.verified ? b.line : b.spec.line;
    if (line >= 1 && line <= editor_->lines())
      editor_->markerAdd(line - 1, b.verified ? kBreakpointMark : kUnverifiedMark);
    auto* item = new QTreeWidgetItem(breakpoints_);
    item->setText(0, QString::number(line));
    item->setData(0, Qt::UserRole, line);
    item->setText(1, qt_text(b.spec.condition));
    item->setText(2, qt_text(b.spec.hit_condition));
    item->setText(3, QString::number(b.hits));
    item->setText(4, b.verified ? QStringLiteral("set") : qt_text(b.message));
  }
}

// --- run control -------------------------------------------------------------------------------

QString RixProgramWindow::run_control(const std::string& reason, DebugOp op, int line) {
  const QString text = qt_text(reason);
  if (!text.isEmpty())
    say(text);
  else if (recorder_)
    recorder_->run_control(op, line);
  return text;
}

QString RixProgramWindow::continue_run() {
  return run_control(rix_debug_continue(d_, c_), DebugOp::kContinue);
}

QString RixProgramWindow::pause_run() {
  return run_control(rix_debug_pause(d_, c_), DebugOp::kPause);
}

QString RixProgramWindow::step(RixStep kind) {
  const DebugOp op = kind == RixStep::kIn     ? DebugOp::kStepIn
                     : kind == RixStep::kOver ? DebugOp::kStepOver
                                              : DebugOp::kStepOut;
  return run_control(rix_debug_step(d_, c_, kind), op);
}

QString RixProgramWindow::run_to_cursor() {
  int line = 0, index = 0;
  editor_->getCursorPosition(&line, &index);
  return run_control(rix_debug_run_to_line(d_, c_, line + 1), DebugOp::kRunTo, line + 1);
}

// --- drawing cycle -----------------------------------------------------------------------------

bool RixProgramWindow::pointers_valid() const {
  return !file_.empty() && file_ == c_.rix.loaded_name && !editor_->isModified();
}

bool RixProgramWindow::refresh() {
  bool started = false;
  if (c_.rix.run_count != seen_run_) {
    seen_run_ = c_.rix.run_count;
    started = true;
    last_values_.clear();
    if (!c_.rix.loaded_name.empty() && !editor_->isModified() && file_ != c_.rix.loaded_name)
      open_program(c_.rix.loaded_name);
    seen_breakpoints_ = kNoSignature;  // resolved again at the run's start
  }
  show_markers();
  if (signature(d_.breakpoints) != seen_breakpoints_) refresh_breakpoints();
  const RixRunState state = rix_debug_state(d_, c_);
  if (d_.stop_count != seen_stop_ || state != seen_state_) {
    seen_stop_ = d_.stop_count;
    seen_state_ = state;
    refresh_stop();
  }
  return started;
}

void RixProgramWindow::show_markers() {
  const bool valid = pointers_valid();
  const RixRunState state = rix_debug_state(d_, c_);
  const bool going = state == RixRunState::kRunning || state == RixRunState::kPaused;
  auto line_of = [this](int32_t pc) { return pc < 0 ? 0 : rix_debug_line_of(c_.rix, pc); };
  const int pc_line = valid && going ? line_of(rix_debug_pc(d_, c_)) : 0;
  if (pc_line != shown_pc_line_) {
    shown_pc_line_ = pc_line;
    editor_->markerDeleteAll(kPointerMark);
    if (pc_line > 0) {
      editor_->markerAdd(pc_line - 1, kPointerMark);
      if (state == RixRunState::kPaused) editor_->ensureLineVisible(pc_line - 1);
    }
  }
  for (int leg = 0; leg < kLegCount; ++leg) {
    const int line = valid && going ? line_of(rix_debug_motion_pc(d_, c_, leg)) : 0;
    if (line == shown_leg_lines_[leg]) continue;
    shown_leg_lines_[leg] = line;
    editor_->markerDeleteAll(kLegMark1 + leg);
    if (line > 0) editor_->markerAdd(line - 1, kLegMark1 + leg);
  }
  const int error_line = valid && d_.error.reason == RixStopReason::kError ? d_.error.line : 0;
  if (error_line != shown_error_line_) {
    if (shown_error_line_ > 0) editor_->clearAnnotations(shown_error_line_ - 1);
    shown_error_line_ = error_line;
    editor_->markerDeleteAll(kErrorMark);
    if (error_line > 0 && error_line <= editor_->lines()) {
      editor_->markerAdd(error_line - 1, kErrorMark);
      QsciStyle style(-1, QStringLiteral("runtime error"), QColor(150, 0, 0), QColor(255, 225, 225),
                      editor_font());
      editor_->annotate(error_line - 1, qt_text(d_.error.text), style);
      editor_->ensureLineVisible(error_line - 1);
    }
  }
}

void RixProgramWindow::refresh_stop() {
  const RixRunState state = rix_debug_state(d_, c_);
  const bool paused = state == RixRunState::kPaused;
  continue_->setEnabled(paused);
  step_over_->setEnabled(paused);
  step_into_->setEnabled(paused);
  step_out_->setEnabled(paused);
  run_to_cursor_->setEnabled(paused);
  pause_->setEnabled(state == RixRunState::kRunning);

  QString text;
  switch (state) {
    case RixRunState::kNone:
      text = QStringLiteral("No run");
      break;
    case RixRunState::kRunning:
      text = QStringLiteral("Running");
      break;
    case RixRunState::kPaused:
      text = QStringLiteral("Paused at line %1: %2")
                 .arg(d_.stop.line)
                 .arg(QString::fromLatin1(rix_stop_reason_name(d_.stop.reason)));
      break;
    case RixRunState::kEnded:
      text = QStringLiteral("Ended");
      break;
  }
  if (d_.error.reason == RixStopReason::kError)
    text += QStringLiteral(": ") + qt_text(d_.error.text);
  state_label_->setText(text);

  frames_->clear();
  for (const RixDebugFrame& f : rix_debug_frames(d_, c_))
    frames_->addItem(QStringLiteral("%1  line %2").arg(qt_text(f.name)).arg(f.line));
  refresh_variables();
  if (paused) {
    last_values_ = rix_debug_variables(c_.rix);
  }
}

void RixProgramWindow::refresh_variables() {
  filling_variables_ = true;
  const std::vector<RixDebugVariable> vars = rix_debug_variables(c_.rix);
  const bool paused = rix_debug_state(d_, c_) == RixRunState::kPaused;
  // Expanded POS/JNT items stay expanded across stops.
  QSet<QString> expanded;
  for (int i = 0; i < variables_->topLevelItemCount(); ++i)
    if (variables_->topLevelItem(i)->isExpanded())
      expanded.insert(variables_->topLevelItem(i)->text(0));
  variables_->clear();
  const QBrush changed(QColor(255, 240, 150));
  for (const RixDebugVariable& v : vars) {
    const RixDebugVariable* before = nullptr;
    for (const RixDebugVariable& b : last_values_)
      if (b.kind == v.kind && b.index == v.index) before = &b;
    auto differs = [&](int k) { return before && before->value[k] != v.value[k]; };
    auto* item = new QTreeWidgetItem(variables_);
    const QString name = qt_text(v.name);
    item->setText(0, name);
    item->setData(0, kNameRole, QByteArray::fromStdString(v.name));
    if (v.count == 1) {
      item->setText(1, value_text(v.value[0]));
      if (paused) item->setFlags(item->flags() | Qt::ItemIsEditable);
      if (differs(0)) item->setBackground(1, changed);
      continue;
    }
    const char* const* parts = v.kind == RixVarKind::kPos ? kPosParts : kJntParts;
    QStringList whole;
    bool any = false;
    for (int k = 0; k < 3; ++k) {
      whole << value_text(v.value[k]);
      auto* part = new QTreeWidgetItem(item);
      part->setText(0, name + QLatin1Char('.') + QString::fromLatin1(parts[k]));
      part->setData(0, kNameRole, QByteArray::fromStdString(v.name + '.' + parts[k]));
      part->setText(1, value_text(v.value[k]));
      if (paused) part->setFlags(part->flags() | Qt::ItemIsEditable);
      if (differs(k)) {
        part->setBackground(1, changed);
        any = true;
      }
    }
    item->setText(1, whole.join(QStringLiteral(", ")));
    if (any) item->setBackground(1, changed);
    item->setExpanded(expanded.contains(name));
  }
  variables_->resizeColumnToContents(0);
  filling_variables_ = false;
}

void RixProgramWindow::on_variable_edited(QTreeWidgetItem* item, int column) {
  if (filling_variables_ || column != 1) return;
  bool number = false;
  const double value = item->text(1).trimmed().toDouble(&number);
  const std::string name = item->data(0, kNameRole).toByteArray().toStdString();
  QString reason;
  if (!number)
    reason = QStringLiteral("Not a number: %1").arg(item->text(1));
  else
    reason = qt_text(rix_debug_set_variable(d_, c_, name, {value}));
  if (!reason.isEmpty())
    say(reason);
  else if (recorder_)
    recorder_->variable_set(name, value);
  // Shows what the program holds now (the new value, or the old one when it was refused).
  QTimer::singleShot(0, this, [this] { refresh_variables(); });
}

std::vector<int> RixProgramWindow::marked_lines(Marker m) const {
  std::vector<int> lines;
  for (int line = editor_->markerFindNext(0, 1u << m); line >= 0;
       line = editor_->markerFindNext(line + 1, 1u << m))
    lines.push_back(line + 1);
  return lines;
}

void RixProgramWindow::closeEvent(QCloseEvent* event) {
  // The window is hidden, not destroyed: it owns the session's debugger.
  hide();
  event->ignore();
}

}  // namespace rokan
