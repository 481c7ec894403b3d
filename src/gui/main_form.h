// The main window ("Rokan for Windows"): message strip, side, front and top views, the elapsed
// time, the twelve lamps, the menu bar and the buttons that open the other windows. It owns
// SamplingTimer, whose tick runs the control cycle, and the windows its menu opens.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <initializer_list>
#include <memory>

#include "gui/period_timer.h"
#include "gui/window_placement.h"

class QAction;
class QLineEdit;

namespace rokan {

struct Controller;
class QtHost;
class LampShape;
class MessageStripBox;
class RepaintPacer;
class RixProgramWindow;
class RobotViewBox;
class TAboutBox;
class TOptionScaleForm;
class TOptionSkipForm;
class TmanualControlBoxForm;
class TtextInformationWindow;
class ToolWindows;

class TmainForm : public QMainWindow {
  Q_OBJECT

 public:
  TmainForm(Controller& c, QtHost& host);
  ~TmainForm() override;

  PeriodTimer& sampling_timer() { return *sampling_timer_; }
  TtextInformationWindow& text_window() { return *text_window_; }
  TmanualControlBoxForm& manual_box() { return *manual_box_; }
  TOptionScaleForm& scale_form() { return *scale_; }
  TOptionSkipForm& skip_form() { return *skip_; }
  TAboutBox& about_box() { return *about_; }
  ToolWindows& tools() { return *tools_; }
  RixProgramWindow& program_window() { return *program_window_; }

  // Called by the host for the controller. The strip is painted at once (at most once a frame;
  // see paint_strip); the views, the time field and the text screen change at the next frame
  // (RepaintPacer), the lamps at once.
  void paint_strip();
  void paint_views();
  void set_time_field(const QString& text);
  void text_screen_changed();
  void update_lamps();
  // Applies the changes waiting for their frame now (before a still picture is taken).
  void flush_paints();
  // The end routine's close: every window of the program goes.
  void close_all_windows();

  // Show, restore from minimised, raise and activate the window. The first time, it is placed
  // beside this window, where the window manager has put it (call after this one is shown).
  void show_text_window();
  void show_manual_box();
  // The RIX program window; the main window shows it (without taking the keys) when a RIX run
  // starts.
  void show_program_window();
  // Places the text window beside this one without showing it (the first time only).
  void place_text_window();

  // Writes the session recorded so far as a rokan-sim script to `path` (File > Save Session
  // As...); false with the reason in `error` when it cannot be written.
  bool save_session(const QString& path, QString& error);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* build_strip();
  QWidget* build_views();
  QWidget* build_control_panel();
  void build_menus();
  void ask_and_save_session();
  void place_once(QWidget& w, bool& placed, std::initializer_list<Side> order,
                  const QWidget* other);

  Controller& c_;
  QtHost& host_;
  PeriodTimer* sampling_timer_;
  RepaintPacer* pacer_;
  MessageStripBox* strip_ = nullptr;
  QElapsedTimer strip_painted_;  // since the strip was last painted at once
  RobotViewBox* views_[3] = {};
  QLineEdit* edit_time_ = nullptr;
  LampShape* lamps_[12] = {};
  QAction* pt_limit_ = nullptr;
  // Windows of their own; the dialogs below are children and go with this window.
  std::unique_ptr<TtextInformationWindow> text_window_;
  std::unique_ptr<TmanualControlBoxForm> manual_box_;
  std::unique_ptr<RixProgramWindow> program_window_;  // owns the session's RIX debugger
  TOptionScaleForm* scale_;
  TOptionSkipForm* skip_;
  TAboutBox* about_;
  bool text_window_placed_ = false;
  bool manual_box_placed_ = false;
  std::unique_ptr<ToolWindows> tools_;  // live plots and the log viewer
};

}  // namespace rokan
