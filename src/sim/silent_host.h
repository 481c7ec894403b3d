// A host without a screen, dialogs or clock for headless runs that only need the controller's
// own work: input dialogs are cancelled, quitting is refused, the log notice is acknowledged and
// every repaint is dropped. What answers a wait and what ending the process means is left to the
// run (a batch run, a benchmark, a fuzz target).
#pragma once

#include <string>

#include "platform/host.h"

namespace rokan {

class SilentHost : public Host {
 public:
  void run_input_dialog(std::string& field) override { field.clear(); }
  bool run_quit_confirmation() override { return false; }
  void run_log_notice(const std::string&, const std::string&, const std::string&) override {}
  void paint_strip() override {}
  void paint_views() override {}
  void set_time_field(double) override {}
  void update_lamps() override {}
  void text_screen_changed() override {}
  void set_timer_interval(int) override {}
  void close_main_window() override {}
  double monotonic_seconds() override { return 0; }
};

}  // namespace rokan
