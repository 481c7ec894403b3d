// The main window ("Rokan for Windows"): message strip, side, front and top views, the elapsed
// time, the twelve lamps, the menu bar and the buttons that open the other windows. It owns
// SamplingTimer, whose tick runs the control cycle, and the windows its menu opens.
#pragma once

#include <QMainWindow>
#include <memory>

class QAction;
class QLineEdit;
class QTimer;

namespace rokan {

struct Controller;
class QtHost;
class LampShape;
class MessageStripBox;
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

  QTimer& sampling_timer() { return *sampling_timer_; }
  TtextInformationWindow& text_window() { return *text_window_; }
  TmanualControlBoxForm& manual_box() { return *manual_box_; }
  TOptionScaleForm& scale_form() { return *scale_; }
  TOptionSkipForm& skip_form() { return *skip_; }
  TAboutBox& about_box() { return *about_; }
  ToolWindows& tools() { return *tools_; }

  // Called by the host for the controller; each takes effect before it returns.
  void paint_strip();
  void paint_views();
  void set_time_field(const QString& text);
  void update_lamps();
  // The end routine's close: every window of the program goes.
  void close_all_windows();

  void show_text_window();
  void show_manual_box();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* build_strip();
  QWidget* build_views();
  QWidget* build_control_panel();
  void build_menus();

  Controller& c_;
  QtHost& host_;
  QTimer* sampling_timer_;
  MessageStripBox* strip_ = nullptr;
  RobotViewBox* views_[3] = {};
  QLineEdit* edit_time_ = nullptr;
  LampShape* lamps_[12] = {};
  QAction* pt_limit_ = nullptr;
  // Windows of their own; the dialogs below are children and go with this window.
  std::unique_ptr<TtextInformationWindow> text_window_;
  std::unique_ptr<TmanualControlBoxForm> manual_box_;
  TOptionScaleForm* scale_;
  TOptionSkipForm* skip_;
  TAboutBox* about_;
  std::unique_ptr<ToolWindows> tools_;  // live plots and the log viewer
};

}  // namespace rokan
