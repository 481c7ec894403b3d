// Operating modes. set_mode is the one way to change mode: it redraws the mode and prompt lines
// and puts every leg into the control mode the new operating mode needs. The key dispatcher
// handles at most one stored key per cycle.
#include "core/modes.h"

#include <algorithm>
#include <cstdio>

#include "auto/auto_program.h"
#include "console/console.h"
#include "console/menus.h"
#include "core/controller.h"
#include "core/param_file.h"
#include "core/sensors.h"
#include "core/servo.h"
#include "motion/motion.h"
#include "platform/text.h"
#include "rix/runtime/runtime.h"
#include "rix/runtime/watch.h"

namespace rokan {
namespace {

void clear_pending(Controller& c) {
  for (auto& leg : c.servo) leg.pending = false;
}

void set_all_control_modes(Controller& c, uint8_t code) {
  for (int leg = 0; leg < kLegCount; ++leg) set_control_mode(c, leg, code);
}

const std::string& auto_prompt(int program_no) {
  if (program_no < 0) return SJ("   [M]: MANUALモード, [0]: RIX選択 [1-9]:AUTO選択, [SPC/CR]: EMG");
  if (program_no > 0) return SJ("   [M]: MANUALモード, [S]: AUTO自動運転開始, [SPC/CR]: EMG");
  return SJ("   [M]: MANUALモード, [S]: RIX自動運転開始, [SPC/CR]: EMG");
}

// Key S in AUTO with a program chosen. The RIX program is compiled first from the user's RIX
// directory, unless its warnings were just acknowledged (AUTO step 152): then this S is the
// operator's "go on" and starts the program compiled before.
void start_auto_run(Controller& c) {
  ModeState& s = c.mode;
  msg_set_prompt_line(
      c, SJ("   [S]:自動運転停止, [ESC]:停止予約，[SPC]:一時停止，[M]: MANUAL, [CR]: EMG"));
  if (s.program_is_rix) {
    const bool compiled = s.auto_step == kRixWarningsAcknowledged && !c.rix.instructions.empty();
    if (!compiled) {
      const std::string dir = format("%s%s", c.params.user_dir.c_str(), c.params.rix_dir.c_str());
      if (rix_build_for_start(c, dir) != RixBuild::kReady) return;
    }
    rix_start(c.rix);
    c.rix.warning_code = 0;
  }
  s.auto_running = true;
  s.auto_step = 0;
  s.program_ended = false;
}

// A running AUTO program stopped by the operator: the legs stay where they are.
void stop_auto_run(Controller& c) {
  hold_all(c);
  c.mode.initial_reached = false;
  set_mode(c, kManual);
}

void take_leg(Controller& c, int leg) {
  hold_all(c);
  c.mode.selected_leg = leg;
  for (int i = 0; i < 3; ++i) {
    c.sensor.vr_org[i] = c.sensor.vr[i];
    c.mode.position_org[leg][i] = c.state.point[leg][kFoot][i];
  }
}

void manual_key(Controller& c, int key) {
  if (key == '0') {
    hold_all(c);
    set_mode(c, kManual);
  } else if (key >= '1' && key <= '4') {
    if (c.mode.selected_leg == -1 && !c.safety.angle_latch) take_leg(c, key - '1');
  } else if (key == 'O') {
    set_mode(c, kOrigin);
  }
}

void origin_key(Controller& c, int key) {
  switch (key) {
    case 'A':
      if (c.mode.initial_reached) set_mode(c, kAuto);
      break;
    case 'C':
      origin_clear(c);
      break;
    case 'I':
      msg_set_prompt_line(c, SJ("   [Q]: 中断->MANUALモード，[SPC/CR]: EMG"));
      start_initial_posture(c);
      break;
    case 'M':
    case 'Q':  // the prompt after I offers Q to abandon the move
      set_mode(c, kManual);
      break;
    default:
      break;
  }
}

void auto_key(Controller& c, int key) {
  if (c.mode.auto_running) {
    switch (key) {
      case kKeyEsc:
        c.mode.stop_reserved = true;
        msg_set_prompt_line(c, SJ("   [Q/S]:自動運転停止->MANUAL, [SPC]:一時停止，[CR]: EMG"));
        break;
      case kKeySpace:
        c.mode.auto_paused = !c.mode.auto_paused;
        break;
      case 'S':
      case 'Q':  // named by the stop-reserved prompt
      case 'M':  // named by the running prompt
        stop_auto_run(c);
        break;
      default:
        break;
    }
    return;
  }
  if (key == '0') {
    c.mode.program_is_rix = true;
    c.mode.program_no = 0;
    msg_set_prompt_line(c, SJ("   [S]:RIX自動運転開始, [1-9]: Prog_no, [M]: MANUAL, [CR]: EMG"));
  } else if (key >= '1' && key <= '9') {
    int n = key - '0';
    if (auto_program_name(n).empty()) return;
    msg_set_prompt_line(c, SJ("   [S]:AUTO自動運転開始, [1-9]: Prog_no, [M]: MANUAL, [CR]: EMG"));
    c.mode.program_no = n;
    c.mode.program_is_rix = false;
  } else if (key == 'M') {
    set_mode(c, kManual);
  } else if (key == 'S') {
    if (c.mode.program_no >= 0) start_auto_run(c);
  }
}

void emg_key(Controller& c, int key) {
  if (key == 'C') {
    clear_alarms(c);
    set_mode(c, kManual);
  }
  if (key == 'O') top_menu(c);
}

}  // namespace

void set_mode(Controller& c, Mode m) {
  // Never leave the mode byte outside the four modes: stop instead. (The byte is unsigned:
  // nothing lies below kManual.)
  if (m > kEmg) {
    emergency_stop(c, "ABNORMAL_MODE");
    return;
  }
  msg_clear_all(c);
  ModeState& s = c.mode;
  switch (m) {
    case kManual:
      s.selected_leg = -1;
      msg_set_mode_line(c, "MANUAL");
      msg_set_prompt_line(c, SJ("   [1-4]: leg(VR1～3), [0]: 制御停止, [O]: ORIGIN, [E]: 終了，"
                                "[SPC/CR]: EMG"));
      s.moving_to_initial = false;
      s.initial_reached = false;
      s.auto_running = false;
      s.program_no = -1;
      hold_all(c);
      clear_pending(c);
      set_all_control_modes(c, kPositionControl);
      key_wait_end(c);
      copy_file_to_active(c.params);
      c.rix.trace_on = false;
      break;
    case kOrigin:
      msg_set_mode_line(c, "ORIGIN");
      msg_set_prompt_line(
          c, SJ("   [C]: 原点CLR, [I]: 初期姿勢へ, [M]: MANUAL, [A]:AUTO, [SPC/CR]: EMG"));
      s.moving_to_initial = false;
      s.auto_running = false;
      clear_pending(c);
      set_all_control_modes(c, kPositionControl);
      break;
    case kAuto:
      msg_set_mode_line(c, "AUTO");
      msg_set_prompt_line(c, auto_prompt(s.program_no));
      s.auto_running = false;
      clear_pending(c);
      set_all_control_modes(c, kPositionControl);
      s.auto_step = 0;
      s.program_ended = false;
      s.stop_reserved = false;
      s.auto_paused = false;
      c.rix.warning_code = 0;
      s.emg_enable = true;
      copy_file_to_auto_ref(c.params);
      break;
    case kEmg:
      msg_set_mode_line(c, "EMG");
      msg_set_prompt_line(c, SJ("   [C]: アラームクリア, [SPC/CR]: EMG，[O]: メニュー  [E]: 終了"));
      s.initial_reached = false;
      s.moving_to_initial = false;
      s.auto_running = false;
      clear_pending(c);
      set_all_control_modes(c, kNoControl);
      key_wait_end(c);
      rix_stop(c);
      break;
  }
  s.mode = m;
}

Mode get_mode(const Controller& c) {
  return c.mode.mode;
}

void emergency_stop(Controller& c, std::string_view text) {
  set_mode(c, kEmg);
  report_message(c, text);
}

namespace {

void show_running_line(Controller& c) {
  const ModeState& s = c.mode;
  RunningLine& line = c.mode.running_line;
  const int step = s.program_is_rix ? auto_rix_pc(c) : s.auto_step;
  // A debugger holding the RIX program says so, after the halt request's note.
  const RixWatch* w = c.rix_watch;
  const bool held = s.program_is_rix && w && w->held_run != 0 && w->held_run == c.rix.run_count;
  if (!line.valid || line.rix != s.program_is_rix || line.program_no != s.program_no ||
      line.step != step || line.stop_reserved != s.stop_reserved || line.held != held) {
    const char* waiting = s.stop_reserved ? SJ("  終了待ち").c_str() : "";
    const int n = s.program_is_rix
                      ? std::snprintf(line.text, sizeof line.text,
                                      SJ("AUTO:自動プログラム動作中 [RIX:%d]%s%s").c_str(), step,
                                      waiting, held ? SJ("  デバッガ停止中").c_str() : "")
                      : std::snprintf(line.text, sizeof line.text,
                                      SJ("AUTO:自動プログラム動作中 [%d:%d]%s").c_str(),
                                      s.program_no, step, waiting);
    line.length =
        n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line.text - 1);
    line.held = held;
    line.valid = true;
    line.rix = s.program_is_rix;
    line.program_no = s.program_no;
    line.step = step;
    line.stop_reserved = s.stop_reserved;
  }
  msg_set_mode_line(c, std::string_view(line.text, line.length));
}

}  // namespace

void leg_control(Controller& c) {
  ModeState& s = c.mode;
  switch (s.mode) {
    case kManual:
      if (s.selected_leg >= 0) msg_printf_status_line(c, "leg_control: %d", s.selected_leg + 1);
      break;
    case kOrigin:
      if (s.moving_to_initial) msg_set_status_line(c, SJ("初期姿勢へ移動中..."));
      break;
    case kAuto:
      if (s.auto_running) {
        show_running_line(c);
        if (!run_auto_program(c, s.program_no)) {
          // The RIX program's own report says why; a built-in program has none.
          const bool rix_error = s.program_is_rix && c.rix.error_code != 0;
          emergency_stop(c, rix_error ? std::string_view(c.rix.error_text)
                                      : std::string_view("EMG:Strategy_routine_runtime_error"));
        }
      } else if (s.program_no > 0) {
        msg_printf_mode_line(c, "AUTO: (Prog:%d = %s)", s.program_no,
                             auto_program_name(s.program_no).c_str());
      } else if (s.program_no == 0) {
        msg_printf_mode_line(c, "AUTO: (Prog:%s)", c.rix.source_name.c_str());
      }
      break;
    default:
      break;
  }
}

void manual_input_step(Controller& c) {
  ModeState& s = c.mode;
  if (s.mode != kManual || s.selected_leg == -1 || c.safety.angle_latch) return;
  int leg = s.selected_leg;
  if (leg < 0 || leg > 3) {
    emergency_stop(c, "MANUAL_MODE: abnormal parameter!");
    return;
  }
  switch (s.manual_sub_mode) {
    case 1:
      for (int i = 0; i < 3; ++i)
        c.servo[leg].goal[i] =
            (c.sensor.vr[i] - c.sensor.vr_org[i]) * s.vr2position[i] + s.position_org[leg][i];
      break;
    case 0:
    case 2:
    case 3:
    case 4:
    case 5:
      break;
    default:
      emergency_stop(c, "MANUAL_MODE: abnormal parameter!");
      break;
  }
}

bool initial_posture_moves(Controller& c) {
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* p = kInitialPosture[leg];
    if (!move_leg_to(c, leg, p[0], p[1], p[2])) return false;
  }
  return true;
}

bool initial_posture_moves_or_stop(Controller& c) {
  if (initial_posture_moves(c)) return true;
  emergency_stop(c, "EMG:Can not origin");
  return false;
}

void start_initial_posture(Controller& c) {
  if (initial_posture_moves_or_stop(c)) c.mode.moving_to_initial = true;
}

bool key_dispatch(Controller& c) {
  ConsoleState& con = c.console;
  // A wait in progress (menu, prompt, modal dialog) owns the key store: the key that ends the
  // wait must reach the waiting call, not a nested cycle's dispatcher.
  if (con.wait_depth > 0 || !con.key_hit) return false;
  int key = con.key_code;
  if (key >= 'a' && key <= 'z') key -= 'a' - 'A';
  con.key_hit = false;

  ModeState& s = c.mode;
  if (s.key_wait_active) {
    if (key == kKeyCr) {
      emergency_stop(c, "EMG Key input");
      key_wait_end(c);
    }
    s.captured_key = key;
    return false;
  }

  switch (key) {
    case ';':
      c.logger.state = kLogOneShot;
      break;
    case kKeyTab:
      if (con.info_display) {
        con.info_page = static_cast<uint8_t>((con.info_page + 1) % 8);
        text_clear(c);
        msg_paint(c);
      }
      break;
    case kKeyCr:
      emergency_stop(c, "EMG Key input");
      break;
    case kKeySpace:
      if (!s.auto_running) emergency_stop(c, "EMG Key input");
      break;
    case 'E':
      if (s.mode == kManual || s.mode == kEmg) return true;
      set_mode(c, kManual);
      break;
    case 'L':
      c.logger.state = c.logger.state == kLogContinuous ? kLogOff : kLogContinuous;
      break;
    case 'T':
      if (con.info_display) {
        con.info_display = false;
        text_clear(c);
        msg_paint(c);
      } else {
        con.info_display = true;
      }
      break;
    default:
      break;
  }

  switch (s.mode) {
    case kManual:
      manual_key(c, key);
      break;
    case kOrigin:
      origin_key(c, key);
      break;
    case kAuto:
      auto_key(c, key);
      break;
    case kEmg:
      emg_key(c, key);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace rokan
