// Whole operator sessions: the input is decoded into timer ticks, typed keys, key releases,
// slider moves, check boxes, Option menu changes, over-runs and dialog answers, which drive one
// controller through start-up, the modes, every menu (parameter writer and origin file
// included), the sampling logger and AUTO programs, in a fresh copy of the workspace. When the
// input runs out inside a wait, the session is unwound the way an operator would leave it (q,
// Cancel) and ended through the end routine; a wait that cannot be left is a finding.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "core/view_options.h"
#include "fuzz/fuzz_support.h"

namespace {

// Keys worth typing: every menu's letters and digits, both cases, and the mode keys.
constexpr char kKeys[] = "QqMmOoAaEePpLlCcDdIiSsTtWwGgNnRrXxUuVvBbHhJjKkFfYyZz0123456789 \r+-.";

// Answers of the string input dialog. Numbers stay small enough that a log area of that many
// records fits the fuzzer's memory limit and is written within its time limit.
constexpr const char* kAnswers[] = {
    "0",   "1",    "2",   "3",      "4",   "5",   "9",     "10",      "100",  "0.5",  "-1",
    "-10", "1000", "abc", "",       "1e3", "4.2", "rixs",  "log",     "init", "none", "..",
    "3.1", "1,2",  "nan", "-0.001", "inf", "7",   "log\\", "DEFAULT", "20000"};

class SessionHost : public rokan::SilentHost {
 public:
  SessionHost(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  rokan::Controller* c = nullptr;
  bool exhausted() const { return pos_ >= size_; }
  bool closed() const { return closed_; }

  void process_one_event() override {
    if (closed_ || exhausted()) return unwind();
    event();
  }
  void run_input_dialog(std::string& field) override {
    if (exhausted()) {
      field.clear();
      return;
    }
    const uint8_t b = byte();
    if (b % 5 == 0)
      field.clear();  // Cancel
    else if (b % 5 == 1)
      field = std::to_string(static_cast<int>(byte()) - 64);
    else
      field = kAnswers[b % std::size(kAnswers)];
  }
  bool run_quit_confirmation() override { return !exhausted() && (byte() & 1); }
  void close_main_window() override { closed_ = true; }
  void exit_process(int) override { closed_ = true; }
  double monotonic_seconds() override {
    const double t = clock_;
    if (over_run_) {  // the next reading ends the cycle's timed span: a second later
      clock_ += 1.0;
      over_run_ = false;
    }
    return t;
  }

 private:
  uint8_t byte() { return exhausted() ? 0 : data_[pos_++]; }

  // Cycles are rationed so that one input stays well inside the fuzzer's time limit.
  void ticks(int n) {
    for (int i = 0; i < n && !closed_ && tick_budget_ > 0; ++i, --tick_budget_)
      rokan::sampling_tick(*c);
  }

  void event() {
    rokan::Controller& k = *c;
    const uint8_t op = byte();
    const uint8_t arg = byte();
    switch (op % 16) {
      case 0:
      case 1:
      case 2:
      case 3:
        ticks(1 + arg % 32);
        break;
      case 4:
        ticks((1 + arg) * 16);  // long enough for a move or a gait step
        break;
      case 5:
      case 6:
      case 7:
      case 8:
        rokan::key_char(k, kKeys[arg % (sizeof kKeys - 1)]);
        break;
      case 9:
        rokan::key_release(k, arg & 1 ? 9 : 27);
        break;
      case 10:
        k.sensor.vr[arg % 3] = ((static_cast<int>(byte()) % 201) - 100) * 0.1;
        break;
      case 11:
        if (arg % 5 == 4)
          k.sensor.antenna_volt = arg & 8 ? 2.5 : 0.0;
        else
          k.sensor.paw_volt[arg % 5] = arg & 8 ? 2.5 : 0.0;
        break;
      case 12:
        if (arg % 3 == 0) {
          rokan::set_pt_check_off(k, arg & 4);
        } else if (arg % 3 == 1) {
          rokan::set_draw_skip(k, (arg >> 2) - 8);
        } else {
          const int view = (arg >> 2) % 3;
          const rokan::ViewScaleRange r = rokan::kViewScaleRange[view];
          rokan::set_view_scale(k, view, r.min + byte() * (r.max - r.min) / 255);
        }
        break;
      case 13:
        over_run_ = true;
        ticks(1);
        break;
      default:
        rokan::key_char(k, arg);  // any byte as a typed character
        break;
    }
  }

  // Leaves whatever waits: q closes every menu and screen, other keys end prompts and the
  // start-up wait; dialogs are cancelled above.
  void unwind() {
    if (++unwinds_ > 100000) {
      std::fprintf(stderr, "a wait that q, Esc and CR do not end (text line 2: %s)\n",
                   c->console.screen[2].c_str());
      std::abort();
    }
    static constexpr int kLeave[] = {'q', 'q', 'q', 27, 13};
    const int key = kLeave[unwinds_ % std::size(kLeave)];
    if (key == 27)
      rokan::key_release(*c, key);
    else
      rokan::key_char(*c, key);
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  int unwinds_ = 0;
  int tick_budget_ = 200000;
  bool closed_ = false;
  bool over_run_ = false;
  double clock_ = 0;
};

// The run directory, emptied and refilled from the bundled workspace for every input, so that
// a parameter file written by one input does not change the next.
void fresh_workspace(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> old;
  for (const auto& e : std::filesystem::directory_iterator(dir)) old.push_back(e.path());
  for (const auto& p : old) std::filesystem::remove_all(p);
  std::filesystem::copy(std::filesystem::path(ROKAN_SOURCE_DIR) / "workspace", dir,
                        std::filesystem::copy_options::recursive);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto dir = rokan::fuzz::fuzz_dir("keys");
  fresh_workspace(dir);
  SessionHost host(data, size);
  rokan::Controller c{host, dir.string()};
  host.c = &c;
  while (!host.exhausted() && !host.closed()) host.process_one_event();
  // ROKAN_FUZZ_SHOW=1 with one input file tells where a seed leads, for keeping seeds useful.
  if (std::getenv("ROKAN_FUZZ_SHOW")) {
    std::fprintf(stderr, "ticks %llu mode %d auto_running %d program %d rix phase %d pc %d\n",
                 static_cast<unsigned long long>(c.cycle.tick_count), c.mode.mode,
                 c.mode.auto_running, c.mode.program_no, c.rix.phase, c.rix.pc);
    for (int line = 1; line <= rokan::kTextLines; ++line)
      if (!c.console.screen[line].empty())
        std::fprintf(stderr, "%2d|%s\n", line, c.console.screen[line].c_str());
    std::fprintf(stderr, "status|%s\nprompt|%s\n", c.console.lines[1].c_str(),
                 c.console.lines[2].c_str());
  }
  if (!c.cycle.terminated) rokan::terminate(c, 1);  // writes what the logger holds
  return 0;
}
