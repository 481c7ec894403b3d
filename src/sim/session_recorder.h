// A record of everything an operator gives the controller in one session, written as a rokan-sim
// script that gives the same inputs at the same cycles.
//
// The host that runs the controller reports each input where it reaches the controller (a key
// entering the key store, a slider or check box setting the sensor record, an Option menu change,
// a dialog's answer) and brackets each sampling tick it runs with tick_begins/tick_ends. The
// record is a sequence of script events: ticks in runs, the inputs between them in the order they
// came. Replayed by the scripted host, which handles one event at a time in the same order, a
// wait inside the controller takes the same events nested as it did under the recording host.
//
// The wall clock is the one input that does not come from the operator: a cycle whose control
// work over-ran its period (CycleState::over_run_cycle) is written as `fault overrun` before the
// first tick event that ran that cycle, so the replay's clock jumps in the same cycle.
//
// The RIX program window reports what its debugger did (a breakpoint set or removed, a run
// control, a variable set) and the files it saved or compiled, each only when it took effect.
// They become the script's debugger lines and `save`/`compile` lines, preceded once by
// `debugger window` so that the replay's debugger acts as the window's. An action whose line
// would not read back as the same action (a text that has no line form) is written as a
// `# NOT RECORDED:` comment and named in the leading comment: such a script is not a faithful
// replay, and the window that saves it tells the operator so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/script.h"
#include "sim/script_debug.h"

namespace rokan {

struct Controller;

// What the script's leading comment says about where and by whom the session was recorded.
struct SessionHeader {
  std::string date;        // "2026-12-06 23:59:00 UTC"
  std::string user;        // the account that ran the program
  std::string login;       // the controller's user (user.ini), empty before the login
  std::string ini_path;    // the parameter file the controller read, as it names it (CP932)
  bool ini_read = false;   // false: the file could not be read when the checksum was taken
  uint32_t ini_crc32 = 0;  // CRC-32 of the file's bytes (as zlib's crc32)
  std::vector<std::string> not_recorded;  // actions the script cannot repeat (UTF-8)
};

// One recorded event and when it came: the cycles run before it (CycleState::tick_count), so it
// takes effect in the next one; for a tick run, the cycle its first tick runs.
struct RecordedEvent {
  ScriptEvent event;
  uint64_t cycle = 0;
  std::string not_recorded;  // non-empty: why the event has no faithful line (UTF-8)
};

class SessionRecorder {
 public:
  explicit SessionRecorder(const Controller& c) : c_(c) {}

  // Around every sampling tick the host runs, nested ones included.
  void tick_begins();
  void tick_ends();

  void key(int code);                    // a typed character (one CP932 byte) entered the key store
  void key_release(int code);            // a released Tab (9) or Esc (27) entered it
  void slider(int index, int position);  // VR index 0..2 at position -100..100 (0.1 V)
  void check_box(int index, bool on);    // PAW1..PAW4 (0..3), ANTENNA (kAntennaBox)
  void input(const std::string& cp932_text);  // the string input dialog's OK
  void input_cancel();
  void confirm(bool ok);
  void notice();
  void quit();  // File > Quit, or the main window's close button
  void pt_limit(bool check_off);
  void skip(int count);
  void scale(int view, int pixels_per_metre);

  // The RIX program window. Texts and names are CP932 as the controller holds them.
  void breakpoint_set(int line, const std::string& condition, const std::string& hits);
  void breakpoint_cleared(int line);
  // kContinue, kPause, kStepIn, kStepOver, kStepOut, or kRunTo with its line.
  void run_control(DebugOp op, int line = 0);
  void variable_set(const std::string& name, double value);
  void program_saved(const std::string& file, const std::string& bytes);  // then compiled
  void program_compiled(const std::string& file);
  // What the script so far cannot repeat, one text per action (UTF-8).
  std::vector<std::string> not_recorded() const;

  const std::vector<RecordedEvent>& events() const { return events_; }
  // The header as it stands: date and account now, login and rokan.ini checksum from start-up.
  SessionHeader header() const;
  // The script of the session so far, with its leading comment.
  std::string script() const { return session_script(header(), events_, overruns_); }

  // Where an over-run goes: before tick `offset` (0-based) of the tick run events_[entry].
  struct Overrun {
    std::size_t entry;
    uint64_t offset;
  };
  // The writer: the leading comment, then one line per event, `fault overrun` before the ticks
  // that over-ran. Independent of any controller, for tests.
  static std::string session_script(const SessionHeader& header,
                                    const std::vector<RecordedEvent>& events,
                                    const std::vector<Overrun>& overruns);
  const std::vector<Overrun>& overruns() const { return overruns_; }

 private:
  void add(ScriptEvent e);
  // A debugger or file event; `names_ok` false when a text of it did not survive conversion.
  void add_debug(ScriptEvent e, bool names_ok, const std::string& what);
  void note_over_run();
  void note_start_up();

  const Controller& c_;
  std::vector<RecordedEvent> events_;
  std::vector<Overrun> overruns_;
  // The first tick event of the most recent cycles: an over-run is seen at the latest when the
  // next tick begins, so a few are enough.
  struct TickAt {
    uint64_t cycle;
    std::size_t entry;
    uint64_t offset;
  };
  std::vector<TickAt> recent_;
  uint64_t over_run_seen_ = 0;
  bool started_ = false;  // start-up done; login and checksum taken
  std::string login_, ini_path_;
  bool ini_read_ = false;
  uint32_t ini_crc32_ = 0;
};

// CRC-32 (IEEE 802.3, as zlib's crc32) of `bytes`.
uint32_t crc32_of(std::string_view bytes);

}  // namespace rokan
