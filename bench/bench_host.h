// A host that answers every wait from a queue of keys and otherwise does nothing: what is left
// of a sampling cycle under it is the controller's own work.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>

#include "console/console.h"
#include "core/controller.h"
#include "platform/host.h"

namespace rokan::bench {

class BenchHost : public Host {
 public:
  std::deque<int> keys;
  Controller* c = nullptr;

  void process_one_event() override {
    if (keys.empty()) throw std::runtime_error("the controller waited for a key");
    key_char(*c, keys.front());
    keys.pop_front();
  }
  void run_input_dialog(std::string& field) override { field.clear(); }
  bool run_quit_confirmation() override { return false; }
  void run_log_notice(const std::string&, const std::string&, const std::string&) override {}
  void paint_strip() override {}
  void paint_views() override {}
  void set_time_field(const std::string&) override {}
  void update_lamps() override {}
  void text_screen_changed() override {}
  void set_timer_interval(int) override {}
  void close_main_window() override {}
  void exit_process(int code) override { throw std::runtime_error("exit " + std::to_string(code)); }
  double monotonic_seconds() override { return 0; }
};

}  // namespace rokan::bench
