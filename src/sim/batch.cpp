#include "sim/batch.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "console/console.h"
#include "core/cycle.h"
#include "core/modes.h"
#include "core/units.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/text.h"
#include "sim/batch_suite.h"
#include "sim/key_names.h"

namespace rokan {
namespace {

// Simulated time is a sum of sampling times; this much rounding still counts as "reached".
constexpr double kTimeSlack = 1e-9;
// Start-up asks for a login choice, the login's Q and one key; more waits mean it is stuck.
constexpr int kMaxStartupKeys = 16;

struct ProcessExit {
  int code;
};

bool parse_double(std::string_view text, double& out) {
  std::string s(text);
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// "VALUE" or "VALUE@T": splits off the time (0 when absent).
bool split_at(std::string_view arg, std::string_view& value, double& at) {
  std::size_t pos = arg.find('@');
  value = arg.substr(0, pos);
  at = 0;
  if (pos == std::string_view::npos) return true;
  return parse_double(arg.substr(pos + 1), at) && at >= 0;
}

bool parse_vr(std::string_view arg, BatchInput& in) {
  std::string_view value;
  if (!split_at(arg, value, in.at)) return false;
  double v;
  if (!parse_double(value, v)) return false;
  // The sliders of the control box: whole tenths of a volt within -10..10 V.
  double tenths = std::round(v * 10);
  if (tenths < -100 || tenths > 100 || std::fabs(v * 10 - tenths) > 1e-6) return false;
  in.volts = tenths * 0.1;
  return true;
}

bool parse_switch(std::string_view arg, BatchInput& in) {
  std::string_view value;
  if (!split_at(arg, value, in.at)) return false;
  if (value != "on" && value != "off") return false;
  in.on = value == "on";
  return true;
}

// The input option `name` (without the dashes): its kind and index, false when it is none.
bool input_option(std::string_view name, BatchInput& in) {
  if (name.size() == 3 && name.substr(0, 2) == "vr" && name[2] >= '1' && name[2] <= '3') {
    in.kind = BatchInput::kVr;
    in.index = name[2] - '1';
    return true;
  }
  if (name.size() == 4 && name.substr(0, 3) == "paw" && name[3] >= '1' && name[3] <= '4') {
    in.kind = BatchInput::kPaw;
    in.index = name[3] - '1';
    return true;
  }
  if (name == "antenna") {
    in.kind = BatchInput::kAntenna;
    return true;
  }
  return false;
}

// "K" or "K@T": a key name (sim/key_names.h).
bool parse_key(std::string_view arg, BatchInput& in) {
  std::string_view value;
  if (!split_at(arg, value, in.at)) return false;
  return parse_key_name(value, in.key);
}

bool usage_error(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

}  // namespace

const char* rokan_sim_usage() {
  return "usage: rokan-sim --workspace DIR [--script FILE]\n"
         "       rokan-sim --workspace DIR --auto N [--seconds S] [--vr1 V@T] [--vr2 V@T]\n"
         "                 [--vr3 V@T] [--paw1 on|off@T] ... [--paw4 on|off@T]\n"
         "                 [--antenna on|off@T] [--key K@T] [--fault KIND:TARGET[:VALUE]@T]\n"
         "                 [--trace]\n"
         "       rokan-sim --workspace DIR --run FILE.RIX [the options of --auto]\n"
         "       rokan-sim --dap   (a Debug Adapter Protocol server on stdin/stdout)\n"
         "       rokan-sim --workspace DIR --run FILE.RIX|DIR... [--jobs N] [--shard K/N]\n"
         "                 [--junit FILE] [the options of --auto]\n"
         "K is a character or esc, tab, cr, space; T is seconds after the program starts.\n"
         "--shard K/N runs the K-th of N shards of the sorted programs, K from 1 to N.\n";
}

bool is_batch_command(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--auto") == 0 || std::strcmp(argv[i], "--run") == 0) return true;
  return false;
}

bool parse_batch_options(int argc, char** argv, BatchOptions& out, std::string& error) {
  out = BatchOptions{};
  bool has_seconds = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view opt = argv[i];
    if (opt == "--trace") {
      out.trace = true;
      continue;
    }
    if (i + 1 >= argc) return usage_error(error, "'" + std::string(opt) + "' needs a value");
    std::string_view arg = argv[++i];
    BatchInput in;
    if (opt == "--workspace") {
      out.workspace = arg;
    } else if (opt == "--auto") {
      double n;
      if (out.auto_program >= 0 || !parse_double(arg, n) || n != std::floor(n) || n < 0 || n > 9)
        return usage_error(
            error, "--auto takes one program number 1..6 or 9, not '" + std::string(arg) + "'");
      out.auto_program = static_cast<int>(n);
      if (out.auto_program == 0)
        return usage_error(error, "program 0 is the RIX program: use --run FILE.RIX");
      if (out.auto_program == 7 || out.auto_program == 8)
        return usage_error(error, "AUTO program " + std::string(arg) + " does not exist");
    } else if (opt == "--run") {
      if (!out.rix_file.empty() || arg.empty())
        return usage_error(error, "--run takes one RIX file");
      out.rix_file = arg;
    } else if (opt == "--seconds") {
      if (has_seconds || !parse_double(arg, out.seconds) || out.seconds <= 0)
        return usage_error(
            error, "--seconds takes one time in seconds above 0, not '" + std::string(arg) + "'");
      has_seconds = true;
    } else if (opt == "--key") {
      in.kind = BatchInput::kKey;
      if (!parse_key(arg, in))
        return usage_error(error,
                           "--key takes K@T: a character or esc, tab, cr, space, T in "
                           "seconds from 0, not '" +
                               std::string(arg) + "'");
      out.inputs.push_back(in);
    } else if (opt == "--fault") {
      BatchFault f;
      if (!parse_fault_option(arg, f, error)) return false;
      out.faults.push_back(f);
    } else if (opt.substr(0, 2) == "--" && input_option(opt.substr(2), in)) {
      bool ok = in.kind == BatchInput::kVr ? parse_vr(arg, in) : parse_switch(arg, in);
      if (!ok)
        return usage_error(
            error, std::string(opt) +
                       (in.kind == BatchInput::kVr ? " takes V@T: -10.0 to 10.0 V in steps of 0.1"
                                                   : " takes on@T or off@T") +
                       ", T in seconds from 0, not '" + std::string(arg) + "'");
      out.inputs.push_back(in);
    } else {
      return usage_error(error, "unexpected argument '" + std::string(opt) + "'");
    }
  }
  if (out.workspace.empty()) return usage_error(error, "--workspace DIR is required");
  if ((out.auto_program >= 0) == !out.rix_file.empty())
    return usage_error(error, "give either --auto N or --run FILE.RIX");
  return true;
}

BatchProgram builtin_batch_program(int n) {
  BatchProgram p;
  p.start = [n](BatchSession& s) {
    Controller& c = s.controller();
    s.press('0' + n);
    if (c.mode.program_no != n) return s.fail(format("AUTO program %d cannot be chosen", n));
    s.press('S');
    if (!c.mode.auto_running) return s.fail(format("AUTO program %d did not start", n));
    return kBatchRunning;
  };
  p.trace = [last = -1](BatchSession& s) mutable {
    const Controller& c = s.controller();
    if (c.mode.mode != kAuto || c.mode.auto_step == last) return;
    last = c.mode.auto_step;
    std::fprintf(s.out(), "step %d at %.3f s\n", last, s.program_time());
  };
  // Back in MANUAL by the gait's own end, not by a key (S, Q, M, E) that stopped it.
  p.reached_end = [](const Controller& c) { return c.mode.program_ended; };
  return p;
}

BatchSession::BatchSession(const BatchOptions& options, std::FILE* out, std::FILE* err,
                           std::string launch_dir)
    : options_(options),
      out_(out),
      err_(err),
      launch_dir_(std::move(launch_dir)),
      c_(*this, options.workspace) {
  if (options_.faults.empty()) return;
  c_.plant_faults = &faults_;
  due_ = options_.faults;
  std::stable_sort(due_.begin(), due_.end(),
                   [](const BatchFault& a, const BatchFault& b) { return a.at < b.at; });
}

void BatchSession::tick() {
  if (int sig = stop_signal()) throw StopRequested{sig};
  sampling_tick(c_);
}

void BatchSession::press(int key) {
  key_char(c_, key);
  tick();
}

int BatchSession::fail(const std::string& what) {
  if (c_.mode.mode == kEmg) return emg();
  std::fprintf(err_, "rokan-sim: %s\n", what.c_str());
  return kBatchUsage;
}

int BatchSession::emg() {
  echo_ = false;
  std::fprintf(err_, "%s\n", cp932_to_utf8(c_.console.lines[1]).c_str());
  return kBatchEmg;
}

// Only the start-up waits for keys in a batch run: the login screen (choose entry 0, then Q),
// a missing parameter file and the final "press a key".
void BatchSession::process_one_event() {
  if (!c_.cycle.init_in_progress)
    throw BatchStuck("the program waits for a key, which a batch run cannot give");
  if (++startup_keys_ > kMaxStartupKeys) throw BatchStuck("the start-up does not finish");
  bool login = c_.console.screen[3].find("<LOGIN :") != std::string::npos;
  int key = ' ';
  if (login) {
    key = user_chosen_ ? 'Q' : '0';
    user_chosen_ = true;
  }
  key_char(c_, key);
}

void BatchSession::paint_strip() {
  const std::string& status = c_.console.lines[1];
  if (!echo_ || status == last_status_) return;
  last_status_ = status;
  std::fprintf(out_, "%s\n", cp932_to_utf8(status).c_str());
}

void BatchSession::exit_process(int code) {
  throw ProcessExit{code};
}

void BatchSession::apply(const BatchInput& in) {
  Sensor& s = c_.sensor;
  switch (in.kind) {
    case BatchInput::kVr:
      s.vr[in.index] = in.volts;
      break;
    case BatchInput::kPaw:
      faults_.set_paw_switch(s, in.index, in.on ? kSwitchClosedVolts : kSwitchOpenVolts);
      break;
    case BatchInput::kAntenna:
      s.antenna_volt = in.on ? kSwitchClosedVolts : kSwitchOpenVolts;
      break;
    case BatchInput::kKey:
      if (key_arrives_as_release(in.key))
        key_release(c_, in.key);  // Tab and Esc arrive as key releases, as from the windows
      else
        key_char(c_, in.key);
      break;
  }
}

int BatchSession::prepare() {
  tick();  // start-up, then the first cycle in MANUAL
  if (c_.cycle.terminated) {
    std::fprintf(err_, "rokan-sim: the start-up failed: %s\n",
                 cp932_to_utf8(c_.console.lines[1]).c_str());
    return kBatchUsage;
  }
  if (!(c_.params.sampling_time > 0)) return fail("SAMPLING_TIME must be above 0");
  press('O');
  if (c_.mode.mode != kOrigin) return fail("ORIGIN mode was not entered");
  press('I');
  double t = 0;
  while (!c_.mode.initial_reached) {
    if (c_.mode.mode != kOrigin || !c_.mode.moving_to_initial)
      return fail("the move to the initial posture stopped");
    if (t >= options_.seconds - kTimeSlack) {
      std::fprintf(err_, "rokan-sim: the initial posture was not reached in %g s\n",
                   options_.seconds);
      return kBatchTimeout;
    }
    tick();
    t += c_.params.sampling_time;
  }
  press('A');
  if (c_.mode.mode != kAuto) return fail("AUTO mode was not entered");
  return kBatchRunning;
}

int BatchSession::run_cycle(const BatchProgram& program, bool count_time) {
  // Time 0 is the cycle after the one whose key dispatcher started the program.
  double& t = program_time_;
  // The key store holds one key: a second key due in the same cycle waits for the next one.
  bool key_given = false;
  while (next_input_ < inputs_.size() && inputs_[next_input_].at <= t + kTimeSlack) {
    if (inputs_[next_input_].kind == BatchInput::kKey) {
      if (key_given) break;
      key_given = true;
    }
    apply(inputs_[next_input_++]);
  }
  apply_faults(next_fault_);
  if (t >= options_.seconds - kTimeSlack) {
    std::fprintf(err_, "rokan-sim: the program still runs after %g s of simulated time\n",
                 options_.seconds);
    return kBatchTimeout;
  }
  tick();
  if (options_.trace && program.trace) program.trace(*this);
  if (c_.mode.mode == kEmg) return emg();
  if (c_.mode.mode == kManual) {
    if (!program.reached_end || program.reached_end(c_)) return kBatchEnded;
    std::fprintf(err_, "rokan-sim: the run was stopped before the program ended\n");
    return kBatchEmg;
  }
  if (c_.cycle.terminated) return fail("the controller ended the program");
  if (!(c_.params.sampling_time > 0)) return fail("SAMPLING_TIME must be above 0");
  if (count_time) t += c_.params.sampling_time;
  return kBatchRunning;
}

int BatchSession::guarded(const std::function<int()>& f) {
  try {
    return f();
  } catch (const BatchStuck& e) {
    std::fprintf(err_, "rokan-sim: %s\n", e.what());
    return kBatchUsage;
  } catch (const ProcessExit& e) {
    exited_ = true;  // the controller ended the process itself, without its end routine
    return e.code;
  } catch (const StopRequested& e) {
    std::fprintf(err_, "rokan-sim: stopped by signal %d (%s)\n", e.signal, strsignal(e.signal));
    return signal_exit_status(e.signal);
  }
}

int BatchSession::begin(const BatchProgram& program) {
  return guarded([&] {
    int status = prepare();
    if (status == kBatchRunning) status = program.start(*this);
    if (status == kBatchRunning) {
      echo_ = true;
      last_status_ = c_.console.lines[1];
      inputs_ = options_.inputs;
      std::stable_sort(inputs_.begin(), inputs_.end(),
                       [](const BatchInput& a, const BatchInput& b) { return a.at < b.at; });
      next_input_ = 0;
      next_fault_ = 0;
      program_time_ = 0;
    }
    return status;
  });
}

int BatchSession::step(const BatchProgram& program, bool count_time) {
  // One reference captured: the closure fits in std::function's own storage, so a cycle does
  // not allocate (three captures would, in every cycle).
  struct Call {
    BatchSession& session;
    const BatchProgram& program;
    bool count_time;
  } call{*this, program, count_time};
  return guarded([&call] { return call.session.run_cycle(call.program, call.count_time); });
}

int BatchSession::finish(int status) {
  if (exited_) return status;
  echo_ = false;  // writing the log shows a status line per record
  if (!c_.cycle.terminated) {
    const int32_t pending = c_.logger.count;
    c_.cycle.quitting = true;  // the run ends from outside, not by the controller itself
    terminate(c_, 1);
    if (pending != 0 && !c_.cycle.log_unsaved && stop_signal() != 0)
      std::fprintf(err_, "rokan-sim: %ld sampling records written to %s\n",
                   static_cast<long>(pending), local_path(c_.logger.written_file).c_str());
  }
  // Data that could not be written outweigh whatever else the run would have returned.
  if (c_.cycle.log_unsaved) status = kExitLogUnsaved;
  std::fflush(out_);
  std::fflush(err_);
  return status;
}

int BatchSession::run(const BatchProgram& program) {
  int status = begin(program);
  while (status == kBatchRunning) status = step(program);
  return finish(status);
}

int run_batch(const BatchOptions& options, const BatchProgram& program, std::FILE* out,
              std::FILE* err) {
  std::error_code ec;
  std::filesystem::path launch = std::filesystem::current_path(ec);
  if (!is_searchable_directory(options.workspace)) {
    std::fprintf(err, "rokan-sim: cannot enter the workspace '%s'\n", options.workspace.c_str());
    return kBatchUsage;
  }
  BatchSession session(options, out, err, launch.string());
  return session.run(program);
}

int batch_main(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (const int status = suite_main(argc, argv, out, err); status != kNotASuite) return status;
  BatchOptions options;
  std::string error;
  if (!parse_batch_options(argc, argv, options, error)) {
    std::fprintf(err, "rokan-sim: %s\n%s", error.c_str(), rokan_sim_usage());
    return kBatchUsage;
  }
  const BatchProgram program = options.rix_file.empty()
                                   ? builtin_batch_program(options.auto_program)
                                   : rix_batch_program(options.rix_file);
  return run_batch(options, program, out, err);
}

}  // namespace rokan
