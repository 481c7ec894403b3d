#include "core/cycle.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "console/console.h"
#include "console/menus.h"
#include "core/controller.h"
#include "core/logger.h"
#include "core/modes.h"
#include "core/param_file.h"
#include "core/safety.h"
#include "core/sensors.h"
#include "core/servo.h"
#include "platform/host.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "plot/plot_sampler.h"
#include "rix/runtime/runtime.h"

namespace rokan {
namespace {

// Start pose of the chain-form angles: legs 0 and 2 point along -x, legs 1 and 3 along +x.
constexpr double kStartAngle[kLegCount][kJointsPerLeg] = {
    {kPi, 0, -kPi / 2}, {0, 0, -kPi / 2}, {kPi, 0, -kPi / 2}, {0, 0, -kPi / 2}};

void draw(Controller& c) {
  if (--c.cycle.draw_countdown >= 0) return;
  if (c.console.info_display) info_refresh(c);
  c.host.paint_views();
  c.host.set_time_field(c.cycle.elapsed);
  c.cycle.draw_countdown = c.cycle.draw_skip;
}

// Opens emg.log for appending and stamps the session; false when it cannot be opened.
bool open_report_log(Controller& c) {
  c.console.emg_log = File::open(c.workspace, c.params.emg_dir + "emg.log", "a+");
  if (!c.console.emg_log) return false;
  std::time_t now = std::time(nullptr);
  std::string stamp = format("----- %s", std::ctime(&now));
  if (!stamp.empty() && stamp.back() == '\n') stamp.pop_back();
  append_report_log(c, stamp);
  return true;
}

}  // namespace

std::string time_field_text(double elapsed) {
  return format("%8.3lf[sec]", elapsed);
}

void startup(Controller& c) {
  set_default_params(c.params, c.sensor);
  if (!login_screen(c)) return;
  msg_paint(c);
  text_put(c, 1, 5, SJ("Rokan初期化開始"));
  read_param_file(c);
  copy_file_to_active(c.params);
  text_put(c, 1, 6, format("ARDO_VERSION : %lf\n", static_cast<double>(kArdoVersion)));
  text_put(c, 1, 7, format("RIX_VERSION  : %lf\n", kRixVersion));

  c.mode.vr2position[0] = 10.0;
  c.mode.vr2position[1] = 10.0;
  c.mode.vr2position[2] = 5.0;
  c.mode.gait_const[0] = 10.0;
  c.mode.gait_const[1] = 15.0;
  c.mode.gait_const[2] = 5.0;

  for (int leg = 0; leg < kLegCount; ++leg) {
    for (int j = 0; j < 3; ++j) {
      c.state.angle[leg][j] = kStartAngle[leg][j];
      c.sensor.raw[leg][j] = kConverterZeroCount;
    }
    c.sensor.paw_volt[leg] = 0;
  }
  for (double& v : c.sensor.vr) v = 0;
  c.sensor.antenna_volt = 0;
  origin_clear(c);
  hold_all(c);
  prime_state(c);

  c.mode.initial_reached = false;
  c.mode.selected_leg = -1;
  c.mode.manual_sub_mode = 1;
  c.mode.moving_to_initial = false;
  c.mode.auto_running = false;
  c.mode.emg_enable = true;

  text_put(c, 1, 8, SJ("非常停止履歴ログファイル・オープン"));
  if (!open_report_log(c)) {
    const int reason = errno;
    std::fputs("\n Can not open file (emg.log)\n", stderr);
    // A GUI has no terminal for that line: its host shows the stop reason and the file before
    // the process ends.
    c.cycle.ended_by_itself = true;
    c.cycle.stop_reason = std::string("Can not open file (emg.log): ") + std::strerror(reason);
    c.cycle.stop_file = c.params.emg_dir + "emg.log";
    c.cycle.quitting = true;
    c.host.exit_process(1);
    return;
  }

  text_put(c, 1, 9, SJ("- ログ領域の確保 -"));
  if (!allocate_log_area(c)) {
    set_mode(c, kEmg);
    fatal_stop(c, SJ("サンプリングデータ領域が確保できませんでした(MAX_BUFを小さくして下さい)"));
    return;
  }

  c.console.info_display = false;
  c.console.info_page = 1;
  text_put(c, 1, 10, SJ("[ROKANシステム初期化完了]"));
  text_put(c, 1, 11, SJ("キーを押してください．"));
  wait_key(c);
  text_put(c, 1, 11, "");  // the prompt is answered; the screen must not look as if it waited
}

int terminate(Controller& c, int /*code*/) {
  if (c.cycle.terminated) return 1;  // a failed log write ends the program from inside here
  if (!c.cycle.quitting) {
    // Not the operator's quit: whatever called the end routine left its reason on the strip.
    c.cycle.ended_by_itself = true;
    if (c.cycle.stop_reason.empty())
      c.cycle.stop_reason = c.console.lines[1].empty() ? c.console.lines[2] : c.console.lines[1];
  }
  c.cycle.quitting = true;
  if (c.logger.count != 0 && !write_log_file(c)) c.cycle.log_unsaved = true;
  close_report_log(c);
  release_log_area(c);
  rix_stop(c);
  c.cycle.terminated = true;
  c.host.close_main_window();
  return 1;
}

void fatal_stop(Controller& c, std::string_view reason) {
  report_message(c, reason);
  if (c.cycle.stop_reason.empty()) c.cycle.stop_reason.assign(reason);
  terminate(c, 1);
}

void confirm_and_quit(Controller& c) {
  bool ok;
  {
    ConsoleWait wait(c);
    ok = c.host.run_quit_confirmation();
  }
  if (!ok) return;
  c.cycle.quitting = true;
  terminate(c, 1);
}

void sampling_tick(Controller& c) {
  CycleState& cy = c.cycle;
  if (cy.quitting || cy.init_in_progress) return;
  if (cy.init_request) {
    cy.init_in_progress = true;
    startup(c);
    if (cy.quitting) return;
    set_mode(c, kManual);
    cy.init_request = false;
    cy.init_in_progress = false;
  }
  ++cy.tick_count;

  // Over-run: only the control work counts, not drawing or the operator's waits. A message
  // line that changes in there is painted after the clock has been read.
  bool over_run;
  {
    StripPaintHold hold(c);
    const double work_start = c.host.monotonic_seconds();
    read_sensors(c);
    update_state(c);
    update_legs(c);
    leg_control(c);
    control(c);
    record_sample(c);
    over_run = c.host.monotonic_seconds() - work_start > c.params.sampling_time;
  }
  if (over_run) {
    cy.over_run_cycle = cy.tick_count;  // for a session recorder: which cycle it was
    c.logger.over_run = true;           // noted in the next sampling log
    c.safety.over_run = true;           // stops the robot until the operator clears it
  }
  if (c.plot) plot_sample(*c.plot, c);  // after the timed work: the plot is a tool, not control

  draw(c);
  safety_check(c);
  c.host.update_lamps();
  if (key_dispatch(c)) {
    confirm_and_quit(c);
    if (cy.quitting) return;
  }
  cy.elapsed += c.params.sampling_time;
  if (cy.elapsed >= 1000.0) cy.elapsed = 0;
  c.host.set_timer_interval(static_cast<int>(c.params.sampling_time * 1000));
}

}  // namespace rokan
