// The controller's host under Qt: event processing from inside a running tick, the modal
// dialogs, repaints of the main window and the text screen, the sampling timer's interval,
// closing, and the clock.
#pragma once

#include <functional>
#include <memory>

#include "gui/key_queue.h"
#include "platform/host.h"
#include "sim/session_recorder.h"

class QDialog;

namespace rokan {

struct Controller;
class TmainForm;
class TickDriver;
class TgetstrForm;
class TconfirmForm;
class TLogConfirmForm;

class QtHost final : public Host {
 public:
  QtHost();
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  // Connects the host to the controller and the main window (whose SamplingTimer it drives)
  // and creates the dialogs the controller asks for. Call once, before the timer starts.
  void attach(Controller& c, TmainForm& main);
  // Forgets the windows before they are destroyed.
  void detach();

  // A stop signal (SIGINT, SIGTERM, SIGHUP) came: the run ends through the end routine without
  // waiting for the operator (the log notice is not shown), and the program exits with
  // 128 + signal. When the end routine is already running, it is left to finish.
  void stop(int signal);
  // The status the program exits with once the main window has closed (app.exec() returns 0).
  int exit_status() const;

  // Runs a modal dialog with sampling ticks going on inside it; returns exec()'s result.
  int run_modal(QDialog& dialog);

  // The keys on their way to the controller: the next one enters the key store at a step of a
  // wait for a key, or before a tick that runs outside any wait.
  KeyQueue& keys() { return keys_; }

  // Called after every sampling tick, by tools that watch the cycle (rokan-gui-rate).
  void on_tick_end(std::function<void()> f) { tick_end_ = std::move(f); }

  // Every input the controller gets in this session, with the cycle it came in (File > Save
  // Session As... writes it). The host records keys, dialog answers and ticks itself; the
  // windows report the sliders, check boxes, Option menu changes and File > Quit. Made by
  // attach(), before any window can take an input.
  SessionRecorder& recorder() { return *recorder_; }

  TickDriver& ticks() { return *ticks_; }
  TgetstrForm& getstr_form() { return *getstr_; }
  TconfirmForm& confirm_form() { return *confirm_; }
  TLogConfirmForm& log_confirm_form() { return *log_confirm_; }

  void process_one_event() override;
  void run_input_dialog(std::string& field) override;
  bool run_quit_confirmation() override;
  void run_log_notice(const std::string& file_text, const std::string& over_time_text,
                      const std::string& overflow_text) override;
  void paint_strip() override;
  void paint_views() override;
  void set_time_field(double elapsed) override;
  void update_lamps() override;
  void text_screen_changed() override;
  void set_timer_interval(int milliseconds) override;
  void close_main_window() override;
  [[noreturn]] void exit_process(int code) override;
  double monotonic_seconds() override;

 private:
  // Moves the next typed key into the key store when it is free, and records it.
  bool feed_key();

  Controller* c_ = nullptr;
  std::unique_ptr<SessionRecorder> recorder_;
  TmainForm* main_ = nullptr;
  std::unique_ptr<TickDriver> ticks_;
  // The dialogs are children of the main window, which deletes them.
  TgetstrForm* getstr_ = nullptr;
  TconfirmForm* confirm_ = nullptr;
  TLogConfirmForm* log_confirm_ = nullptr;
  KeyQueue keys_;
  std::function<void()> tick_end_;
  bool main_closed_ = false;
  int stop_signal_ = 0;  // the stop signal that ends the run, or 0
};

}  // namespace rokan
