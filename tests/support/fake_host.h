// A host for unit tests: events are closures queued by the test; repaints and dialogs are
// counted or answered from queues. Waiting with no event queued is a test failure, not a hang.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "console/console.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "platform/host.h"
#include "support/workspace_copy.h"

namespace rokan::test {

// exit_process never returns: the fake host throws this to the test, as the headless hosts
// throw to their run loop.
struct ProcessExited {
  int code;
};

struct NoPendingEvent : std::runtime_error {
  NoPendingEvent() : std::runtime_error("the controller waited with no event queued") {}
};

class FakeHost : public Host {
 public:
  std::deque<std::function<void()>> events;
  std::deque<std::optional<std::string>> input_answers;  // nullopt = Cancel
  std::deque<bool> quit_answers;
  int strip_paints = 0, view_paints = 0, lamp_updates = 0, notices = 0;
  std::string time_field;
  int timer_interval = -1;
  bool window_closed = false;
  int exit_code = -1;
  double clock = 0;
  double clock_step = 0;            // seconds the clock advances at each reading
  double strip_paint_seconds = 0;   // seconds a strip paint takes on that clock
  std::function<void()> on_notice;  // runs while the log notice is open

  void process_one_event() override {
    if (events.empty()) throw NoPendingEvent();
    auto e = std::move(events.front());
    events.pop_front();
    e();
  }
  void run_input_dialog(std::string& field) override {
    if (input_answers.empty()) throw NoPendingEvent();
    auto a = input_answers.front();
    input_answers.pop_front();
    field = a ? *a : std::string();
  }
  bool run_quit_confirmation() override {
    if (quit_answers.empty()) throw NoPendingEvent();
    bool ok = quit_answers.front();
    quit_answers.pop_front();
    return ok;
  }
  void run_log_notice(const std::string&, const std::string&, const std::string&) override {
    ++notices;
    if (on_notice) on_notice();
  }
  void paint_strip() override {
    ++strip_paints;
    clock += strip_paint_seconds;
  }
  void paint_views() override { ++view_paints; }
  void set_time_field(double elapsed) override { time_field = time_field_text(elapsed); }
  void update_lamps() override { ++lamp_updates; }
  void text_screen_changed() override {}
  void set_timer_interval(int ms) override { timer_interval = ms; }
  void close_main_window() override { window_closed = true; }
  [[noreturn]] void exit_process(int code) override {
    exit_code = code;
    throw ProcessExited{code};
  }
  double monotonic_seconds() override {
    double t = clock;
    clock += clock_step;
    return t;
  }
};

// A controller on a fake host, working in a fresh copy of the bundled workspace.
struct Rig {
  FakeHost host;
  std::filesystem::path dir;
  Controller c;

  explicit Rig(const std::string& name)
      : dir(fresh_workspace("rokan_test_" + name)), c(host, dir.string()) {}
  ~Rig() { std::filesystem::remove_all(dir); }

  void key(int ch) {
    host.events.push_back([this, ch] { key_char(c, ch); });
  }
  // Runs the first tick (login left with Q, start-up ended by a key) so the controller is in
  // MANUAL.
  void start() {
    key('Q');
    key(' ');
    sampling_tick(c);
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) sampling_tick(c);
  }
};

}  // namespace rokan::test
