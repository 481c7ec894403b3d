#include "gui/main_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/controller.h"
#include "core/cycle.h"
#include "core/lamps.h"
#include "gui/about_box.h"
#include "gui/lamp_shape.h"
#include "gui/manual_control_box_form.h"
#include "gui/message_strip_box.h"
#include "gui/option_scale_form.h"
#include "gui/option_skip_form.h"
#include "gui/qt_host.h"
#include "gui/qt_text.h"
#include "gui/repaint_pacer.h"
#include "gui/rix_program_window.h"
#include "gui/robot_view_box.h"
#include "gui/text_information_window.h"
#include "gui/tool_windows.h"
#include "gui/window_placement.h"

namespace rokan {
namespace {

constexpr const char* kLampLabels[kLampCount] = {
    "MANUAL MODE",     "ORIGIN MODE",    "AUTO   MODE",    "EMG    MODE",
    "ORIGIN FINISHED", "AUTO RUNNING",   "EMG ENABLE",     "LOGGING",
    "PTP-RUNNING/F1",  "PTP-RUNNING/F2", "PTP-RUNNING/F3", "PTP-RUNNING/F4"};

constexpr int kTimeFieldChange = 1;
constexpr int kProgramWindowFrame = 2;
constexpr int kSettleMs = 300;  // time a window manager takes to frame a new window
constexpr int kPlacementGap = 8, kTitleRoom = 24;  // pixels  // the pacer's
                                                   // key for the time field's text

// Frame and inner margins of a line edit, pixels, beyond the width of its text.
constexpr int kTimeFieldPadding = 14;

QFrame* panel(const QString& name, QWidget* parent) {
  auto* p = new QFrame(parent);
  p->setObjectName(name);
  p->setFrameStyle(QFrame::Panel | QFrame::Raised);
  return p;
}

// Brings a window to the operator: shown, restored if minimised, on top and active.
void show_window(QWidget& w) {
  if (w.isMinimized()) w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
  w.show();
  w.raise();
  w.activateWindow();
}

}  // namespace

TmainForm::TmainForm(Controller& c, QtHost& host)
    : c_(c),
      host_(host),
      sampling_timer_(new PeriodTimer(this)),
      pacer_(new RepaintPacer(this)),
      text_window_(std::make_unique<TtextInformationWindow>(c)),
      manual_box_(std::make_unique<TmanualControlBoxForm>(c)),
      program_window_(std::make_unique<RixProgramWindow>(c)),
      scale_(new TOptionScaleForm(c, this)),
      skip_(new TOptionSkipForm(c, this)),
      about_(new TAboutBox(this)) {
  setObjectName(QStringLiteral("TmainForm"));
  setWindowTitle(QStringLiteral("Rokan for Windows"));
  // The console keys go to the window itself; nothing in it takes the focus away.
  setFocusPolicy(Qt::StrongFocus);

  sampling_timer_->setObjectName(QStringLiteral("SamplingTimer"));
  sampling_timer_->setInterval(1);  // the first tick; the cycle sets SAMPLING_TIME afterwards

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(build_strip());
  layout->addWidget(build_views(), 1);
  layout->addWidget(build_control_panel());
  setCentralWidget(central);
  build_menus();
  resize(640, 368 + menuBar()->sizeHint().height());
}

TmainForm::~TmainForm() = default;

QWidget* TmainForm::build_strip() {
  QFrame* p = panel(QStringLiteral("PsystemMessage"), this);
  p->setFixedHeight(50);
  strip_ = new MessageStripBox(c_, p);
  strip_->setObjectName(QStringLiteral("PBox_systemMessage"));
  auto* l = new QVBoxLayout(p);
  l->setContentsMargins(1, 1, 1, 1);
  l->addWidget(strip_);
  return p;
}

QWidget* TmainForm::build_views() {
  // One panel per view: the paint box fills it, its label (and, on the side view, the time
  // field) sits on top.
  struct Spec {
    View view;
    const char* panel;
    const char* box;
    const char* label;
  };
  static constexpr Spec kSpecs[3] = {
      {kSideView, "PmainView", "PBox_mainView", "Side View"},
      {kFrontView, "PfrontView", "PBox_frontView", "Front View"},
      {kTopView, "PtopView", "PBox_topView", "Top View"},
  };
  QFrame* panels[3];
  for (const Spec& s : kSpecs) {
    QFrame* p = panel(QString::fromLatin1(s.panel), this);
    views_[s.view] = new RobotViewBox(c_, s.view, p);
    views_[s.view]->setObjectName(QString::fromLatin1(s.box));
    auto* label = new QLabel(QString::fromLatin1(s.label), p);
    label->setContentsMargins(6, 6, 0, 0);  // text at (8, 8) inside the panel
    auto* grid = new QGridLayout(p);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->addWidget(views_[s.view], 0, 0);
    grid->addWidget(label, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    if (s.view == kSideView) {
      edit_time_ = new QLineEdit(p);
      edit_time_->setObjectName(QStringLiteral("Edit_time"));
      edit_time_->setReadOnly(true);
      edit_time_->setEnabled(false);
      // Room for the widest text the field shows, whatever the font.
      edit_time_->setFixedWidth(std::max(
          81, edit_time_->fontMetrics().horizontalAdvance(QStringLiteral("1000.000[sec]")) +
                  kTimeFieldPadding));
      grid->addWidget(edit_time_, 0, 0, Qt::AlignRight | Qt::AlignTop);
    }
    panels[s.view] = p;
  }

  auto* right = new QSplitter(Qt::Vertical, this);
  right->addWidget(panels[kFrontView]);
  right->addWidget(panels[kTopView]);
  right->setSizes({81, 152});
  right->setChildrenCollapsible(false);
  auto* middle = new QSplitter(Qt::Horizontal, this);
  middle->setObjectName(QStringLiteral("Pmiddle"));
  middle->addWidget(panels[kSideView]);
  middle->addWidget(right);
  middle->setStretchFactor(0, 1);
  middle->setSizes({400, 236});
  middle->setChildrenCollapsible(false);
  middle->setMinimumHeight(233);
  return middle;
}

QWidget* TmainForm::build_control_panel() {
  QFrame* p = panel(QStringLiteral("PcontrolPanel"), this);
  p->setFixedHeight(85);
  QFont label_font = console_font();
  label_font.setPixelSize(12);

  auto* lamps = new QGridLayout;
  lamps->setHorizontalSpacing(6);
  lamps->setVerticalSpacing(4);
  for (int i = 0; i < kLampCount; ++i) {
    const int column = i / 4, row = i % 4;
    lamps_[i] = new LampShape(p);
    lamps_[i]->setObjectName(QStringLiteral("LAMP") + QString::number(i + 1));
    auto* label = new QLabel(QString::fromLatin1(kLampLabels[i]), p);
    label->setFont(label_font);
    lamps->addWidget(lamps_[i], row, 2 * column);
    lamps->addWidget(label, row, 2 * column + 1);
    lamps->setColumnMinimumWidth(2 * column + 1, 120);
  }

  auto* text_button = new QToolButton(p);
  text_button->setObjectName(QStringLiteral("SpeedButton_TextWindow"));
  text_button->setText(QStringLiteral("T"));
  auto* manual_button = new QToolButton(p);
  manual_button->setObjectName(QStringLiteral("SpeedButton_ManualBox"));
  manual_button->setText(QStringLiteral("M"));
  for (QToolButton* b : {text_button, manual_button}) {
    b->setFocusPolicy(Qt::NoFocus);  // Space and Return stay operator keys
    b->setFixedSize(25, 25);
  }
  connect(text_button, &QToolButton::clicked, this, &TmainForm::show_text_window);
  connect(manual_button, &QToolButton::clicked, this, &TmainForm::show_manual_box);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(text_button);
  buttons->addWidget(manual_button);
  buttons->addStretch();

  auto* l = new QHBoxLayout(p);
  l->setContentsMargins(8, 6, 6, 4);
  l->addLayout(lamps);
  l->addStretch();
  l->addLayout(buttons);
  return p;
}

void TmainForm::build_menus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("File(&F)"));
  QAction* quit = file->addAction(QStringLiteral("Quit(&Q)"));
  quit->setObjectName(QStringLiteral("FileQuit"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  connect(quit, &QAction::triggered, this, [this] {
    if (c_.cycle.terminated) return;
    host_.recorder().quit();
    confirm_and_quit(c_);
  });
  QAction* save_session = new QAction(QStringLiteral("Save Session As...(&A)"), file);
  save_session->setObjectName(QStringLiteral("FileSaveSession"));
  file->insertAction(quit, save_session);
  connect(save_session, &QAction::triggered, this, &TmainForm::ask_and_save_session);

  QMenu* option = menuBar()->addMenu(QStringLiteral("Option(&O)"));
  connect(option->addAction(QStringLiteral("Scale(&S)")), &QAction::triggered, this,
          [this] { show_window(*scale_); });
  connect(option->addAction(QStringLiteral("DrawingSkipCycle")), &QAction::triggered, this, [this] {
    if (host_.run_modal(*skip_) == QDialog::Accepted) host_.recorder().skip(c_.cycle.draw_skip);
  });
  connect(scale_, &TOptionScaleForm::scale_changed, this, [this](int view) {
    host_.recorder().scale(view, static_cast<int>(std::lround(c_.view.scale[view] * 1000)));
  });
  connect(manual_box_.get(), &TmanualControlBoxForm::slider_moved, this,
          [this](int index, int position) { host_.recorder().slider(index, position); });
  connect(manual_box_.get(), &TmanualControlBoxForm::switch_toggled, this,
          [this](int index, bool on) { host_.recorder().check_box(index, on); });
  pt_limit_ = option->addAction(QStringLiteral("PT_LIMIT OFF"));
  pt_limit_->setObjectName(QStringLiteral("PTLIMITCHECK"));
  pt_limit_->setCheckable(true);
  pt_limit_->setChecked(c_.safety.pt_check_off);
  connect(pt_limit_, &QAction::triggered, this, [this] {
    set_pt_check_off(c_, !c_.safety.pt_check_off);
    host_.recorder().pt_limit(c_.safety.pt_check_off);
    pt_limit_->setChecked(c_.safety.pt_check_off);
  });

  QMenu* window = menuBar()->addMenu(QStringLiteral("Window(&W)"));
  connect(window->addAction(QStringLiteral("TextInformation(&T)")), &QAction::triggered, this,
          &TmainForm::show_text_window);
  connect(window->addAction(QStringLiteral("ManualControl(&M)")), &QAction::triggered, this,
          &TmainForm::show_manual_box);
  tools_ = std::make_unique<ToolWindows>(c_, sampling_timer_);
  tools_->add_to_menus(*file, *window);
  QAction* program = window->addAction(QStringLiteral("RixProgram(&R)"));
  program->setObjectName(QStringLiteral("WindowRixProgram"));
  connect(program, &QAction::triggered, this, [this] {
    show_program_window();
    program_window_->activateWindow();
  });

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help(&H)"));
  QAction* about = help->addAction(QStringLiteral("About(&A)"));
  about->setObjectName(QStringLiteral("HelpAbout"));
  connect(about, &QAction::triggered, this, [this] {
    about_->prepare();
    host_.run_modal(*about_);
  });
}

bool TmainForm::save_session(const QString& path, QString& error) {
  const std::string text = host_.recorder().script();
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !file.commit()) {
    error = file.errorString();
    return false;
  }
  return true;
}

void TmainForm::ask_and_save_session() {
  QFileDialog dialog(this, QStringLiteral("Save Session As"), QDir::currentPath(),
                     QStringLiteral("rokan-sim scripts (*.txt);;All files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.selectFile(QStringLiteral("session.txt"));
  // Modal with the ticks going on, like every dialog of the program.
  if (host_.run_modal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().constFirst();
  QString error;
  if (save_session(path, error)) {
    // Written, but the replay would not do all the session did: the operator must know.
    const std::vector<std::string> missing = host_.recorder().not_recorded();
    if (missing.empty()) return;
    QString list;
    for (const std::string& what : missing)
      list += QStringLiteral("\n- ") + QString::fromStdString(what);
    QMessageBox warning(QMessageBox::Warning, QStringLiteral("Rokan"),
                        QStringLiteral("The session was saved to %1, but its replay is not "
                                       "faithful: these actions could not be written as script "
                                       "lines (the script names them in comments):%2")
                            .arg(path, list),
                        QMessageBox::Ok, this);
    host_.run_modal(warning);
    return;
  }
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Rokan"),
                  QStringLiteral("The session could not be written to %1: %2").arg(path, error),
                  QMessageBox::Ok, this);
  host_.run_modal(box);
}

void TmainForm::paint_strip() {
  // A changed line is painted at once, so that it shows even while the controller is busy
  // (the "Saving..." count of a long log write), but at most once a frame: a line that
  // changes every cycle is left to update(), which Qt paints between the cycles.
  constexpr qint64 kFrameMs = 20;
  if (strip_painted_.isValid() && strip_painted_.elapsed() < kFrameMs) {
    strip_->update();
    return;
  }
  strip_->repaint();
  strip_painted_.start();
}

void TmainForm::paint_views() {
  for (RobotViewBox* v : views_) pacer_->mark(v);
  // The program window reads the debugger's records once a frame, like the views.
  pacer_->defer(kProgramWindowFrame, [this] {
    if (program_window_->refresh()) show_program_window();
  });
}

void TmainForm::set_time_field(const QString& text) {
  pacer_->defer(kTimeFieldChange, [this, text] { edit_time_->setText(text); });
}

void TmainForm::text_screen_changed() {
  pacer_->mark(text_window_.get());
}

void TmainForm::flush_paints() {
  pacer_->flush();
}

void TmainForm::update_lamps() {
  const std::array<bool, kLampCount> lit = lamp_states(c_);
  for (int i = 0; i < kLampCount; ++i) lamps_[i]->set_lit(lit[i]);
}

void TmainForm::close_all_windows() {
  sampling_timer_->stop();
  text_window_->close();
  manual_box_->close();
  program_window_->hide();
  scale_->close();
  tools_->close_all();
  close();
}

void TmainForm::show_text_window() {
  place_text_window();
  show_window(*text_window_);
}

void TmainForm::show_program_window() {
  if (program_window_->isMinimized())
    program_window_->setWindowState(program_window_->windowState() & ~Qt::WindowMinimized);
  program_window_->show();
}

void TmainForm::show_manual_box() {
  place_once(*manual_box_, manual_box_placed_, {Side::kBelow, Side::kAbove, Side::kLeft},
             text_window_.get());
  show_window(*manual_box_);
}

void TmainForm::place_text_window() {
  place_once(*text_window_, text_window_placed_, {Side::kRight, Side::kLeft, Side::kBelow},
             manual_box_.get());
}

void TmainForm::place_once(QWidget& w, bool& placed, std::initializer_list<Side> order,
                           const QWidget* other) {
  // Once only: where the operator moves the window afterwards, it stays.
  if (placed) return;
  placed = true;
  // Until the window manager has framed the window, its frame is taken to be like the main
  // window's (title bar, borders). With no frame at all (no window manager yet, or none), the
  // gap leaves room for a title bar that may come.
  const QSize decoration = frameGeometry().size() - geometry().size();
  const int gap = decoration.height() > 0 ? kPlacementGap : kPlacementGap + kTitleRoom;
  auto place = [this, &w, sides = std::vector<Side>(order), other, gap](QSize size) {
    const QRect taken = other && other->isVisible() ? other->frameGeometry() : QRect();
    w.move(place_beside(frameGeometry(), size, screen()->availableGeometry(), sides, taken, gap));
  };
  place((w.testAttribute(Qt::WA_Resized) ? w.size() : w.sizeHint()) + decoration);
  // Once it is framed, a frame that came out larger is placed again with its real size.
  QTimer::singleShot(kSettleMs, &w, [this, &w, place] {
    if (w.isVisible() && w.frameGeometry().intersects(frameGeometry()))
      place(w.frameGeometry().size());
  });
}

void TmainForm::closeEvent(QCloseEvent* event) {
  // Closing the main window quits the program: through the quit confirmation, so that the end
  // routine writes pending sampling data and closes the report log.
  if (!c_.cycle.terminated) {
    host_.recorder().quit();
    confirm_and_quit(c_);
  }
  if (c_.cycle.terminated) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace rokan
