#include "sim/scripted_host.h"

#include <cstdio>

#include "console/console.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "core/view_options.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/text.h"

namespace rokan {
namespace {

const char* dialog_name(int dialog) {
  switch (dialog) {
    case 1:
      return "string input dialog";
    case 2:
      return "quit confirmation";
    default:
      return "log notice";
  }
}

const char* dialog_answer(int dialog) {
  switch (dialog) {
    case 1:
      return "input TEXT or input cancel";
    case 2:
      return "confirm ok or confirm cancel";
    default:
      return "notice ok";
  }
}

const char* event_name(EventKind kind) {
  switch (kind) {
    case EventKind::kTick:
      return "tick";
    case EventKind::kKey:
    case EventKind::kKeyRelease:
      return "key";
    case EventKind::kSlider:
      return "slider";
    case EventKind::kCheckBox:
      return "check box";
    case EventKind::kInput:
    case EventKind::kInputCancel:
      return "input";
    case EventKind::kConfirm:
      return "confirm";
    case EventKind::kNotice:
      return "notice";
    case EventKind::kDump:
      return "dump";
    case EventKind::kOption:
      return "option";
    case EventKind::kDebug:
      return "debugger line";
    case EventKind::kFault:
      return "fault";
    case EventKind::kQuit:
      return "quit";
  }
  return "event";
}

}  // namespace

void ScriptedHost::attach(Controller& c) {
  c_ = &c;
  connect_faults();
}

void ScriptedHost::append(const std::vector<ScriptEvent>& events) {
  events_.insert(events_.end(), events.begin(), events.end());
  for (const ScriptEvent& e : events)
    if (e.kind == EventKind::kFault) has_faults_ = true;
  connect_faults();
}

void ScriptedHost::connect_faults() {
  if (c_ && has_faults_) c_->plant_faults = &faults_;
}

double ScriptedHost::monotonic_seconds() {
  return faults_.clock_seconds(c_ ? c_->params.sampling_time : 0.0);
}

void ScriptedHost::run() {
  while (!closed_ && has_events()) handle(next_event(nullptr), Dialog::kNone);
}

int ScriptedHost::end_run(int status) {
  ending_ = true;
  if (c_ && !c_->cycle.terminated) {
    const int32_t pending = c_->logger.count;
    try {
      c_->cycle.quitting = true;  // the script ended the run, not the controller itself
      terminate(*c_, 1);
    } catch (const ProcessExit&) {
      // The end routine waited for an event: nothing more will come.
    }
    if (pending != 0 && !c_->cycle.log_unsaved)
      std::fprintf(stderr, "rokan-sim: %ld sampling records written to %s\n",
                   static_cast<long>(pending), local_path(c_->logger.written_file).c_str());
  }
  if (c_ && c_->cycle.log_unsaved) return kExitLogUnsaved;
  if (int sig = stop_signal()) return signal_exit_status(sig);
  return status;
}

ScriptEvent ScriptedHost::next_event(const char* waiting_for) {
  if (closed_ || ending_) throw ProcessExit{0};
  if (int sig = stop_signal()) throw StopRequested{sig};
  if (!has_events()) {
    if (!waiting_for) waiting_for = "an event";
    std::string where = last_line_ ? "after line " + std::to_string(last_line_) : "at its start";
    std::string msg = "the script ended " + where + " while the program waits for " + waiting_for;
    if (c_ && c_->cycle.init_in_progress) msg += " during start-up";
    // A key wait is usually a menu or a prompt: its last screen line says which.
    if (c_ && c_->console.wait_depth > 0 && std::string_view(waiting_for) == "a key") {
      for (int line = kTextLines; line >= 1; --line) {
        if (c_->console.screen[line].empty()) continue;
        msg += "; text screen line " + std::to_string(line) + ": \"" +
               cp932_to_utf8(c_->console.screen[line]) + "\"";
        break;
      }
    }
    throw ScriptExhausted(msg);
  }
  const ScriptEvent& front = events_[next_];
  last_line_ = front.line;
  if (front.kind != EventKind::kTick) return events_[next_++];
  ScriptEvent one = front;
  one.count = 1;
  if (++ticks_taken_ >= front.count) {
    ticks_taken_ = 0;
    ++next_;
  }
  return one;
}

bool ScriptedHost::handle(const ScriptEvent& e, Dialog dialog) {
  int open = static_cast<int>(dialog);
  switch (e.kind) {
    case EventKind::kTick:
      sampling_tick(*c_);
      return false;
    case EventKind::kDump:
      if (dump_) dump_(static_cast<DumpKind>(e.index));
      return false;
    case EventKind::kDebug:
      // Not operator input: allowed while a dialog is open, like a dump.
      if (!debug_) throw ScriptError(e.line, "debugger lines need rokan-sim's script mode");
      debug_(e);
      return false;
    case EventKind::kFault:  // the robot breaks whatever dialog is open
      faults_.apply(e.fault, c_->sensor);
      return false;
    case EventKind::kInput:
    case EventKind::kInputCancel:
    case EventKind::kConfirm:
    case EventKind::kNotice: {
      Dialog answers = e.kind == EventKind::kConfirm  ? Dialog::kConfirm
                       : e.kind == EventKind::kNotice ? Dialog::kNotice
                                                      : Dialog::kInput;
      if (answers == dialog) return true;
      std::string msg = std::string("'") + event_name(e.kind) + "' answers the " +
                        dialog_name(static_cast<int>(answers)) + ", but ";
      if (dialog == Dialog::kNone)
        msg += "no dialog is open";
      else
        msg += std::string("the ") + dialog_name(open) + " is open (it takes " +
               dialog_answer(open) + ")";
      throw ScriptError(e.line, msg);
    }
    default:
      break;
  }
  // Operator input: a modal dialog blocks every other window.
  if (dialog != Dialog::kNone)
    throw ScriptError(e.line, std::string("'") + event_name(e.kind) + "' while the " +
                                  dialog_name(open) + " is open (it takes " + dialog_answer(open) +
                                  ")");
  switch (e.kind) {
    case EventKind::kKey:
      key_char(*c_, e.code);
      break;
    case EventKind::kKeyRelease:
      key_release(*c_, e.code);
      break;
    case EventKind::kSlider:
      c_->sensor.vr[e.index] = e.position * 0.1;
      break;
    case EventKind::kCheckBox:
      if (e.index == kAntennaBox)
        c_->sensor.antenna_volt = e.on ? kSwitchClosedVolts : kSwitchOpenVolts;
      else
        faults_.set_paw_switch(c_->sensor, e.index, e.on ? kSwitchClosedVolts : kSwitchOpenVolts);
      break;
    case EventKind::kOption:
      if (e.index == static_cast<int>(OptionKind::kPtLimit))
        set_pt_check_off(*c_, e.on);
      else if (e.index == static_cast<int>(OptionKind::kSkip))
        set_draw_skip(*c_, e.position);
      else
        set_view_scale(*c_, e.code, e.position);
      break;
    case EventKind::kQuit:
      if (!c_->cycle.terminated) confirm_and_quit(*c_);
      break;
    default:
      break;
  }
  return false;
}

void ScriptedHost::process_one_event() {
  handle(next_event("a key"), Dialog::kNone);
}

ScriptEvent ScriptedHost::wait_for_answer(Dialog dialog) {
  std::string what = std::string("the ") + dialog_name(static_cast<int>(dialog)) + " (" +
                     dialog_answer(static_cast<int>(dialog)) + ")";
  for (;;) {
    ScriptEvent e = next_event(what.c_str());
    if (handle(e, dialog)) return e;
  }
}

void ScriptedHost::run_input_dialog(std::string& field) {
  ScriptEvent answer = wait_for_answer(Dialog::kInput);
  field = answer.kind == EventKind::kInputCancel ? std::string() : utf8_to_cp932(answer.text);
}

bool ScriptedHost::run_quit_confirmation() {
  return wait_for_answer(Dialog::kConfirm).on;
}

void ScriptedHost::run_log_notice(const std::string&, const std::string&, const std::string&) {
  if (ending_) return;
  wait_for_answer(Dialog::kNotice);
}

}  // namespace rokan
