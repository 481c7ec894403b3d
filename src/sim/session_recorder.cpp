#include "sim/session_recorder.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/controller.h"
#include "core/param_file.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr std::size_t kRecentCycles = 8;

std::string account_name() {
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name && *pw->pw_name)
    return pw->pw_name;
  if (const char* user = std::getenv("USER"); user && *user) return user;
  return "unknown";
}

std::string utc_now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
  return text;
}

// The numbers an input event carries; which of them count depends on its kind.
struct EventValues {
  int code = 0;
  int index = 0;
  int position = 0;
  bool on = false;
};

ScriptEvent event(EventKind kind, EventValues v) {
  ScriptEvent e;
  e.kind = kind;
  e.code = v.code;
  e.index = v.index;
  e.position = v.position;
  e.on = v.on;
  return e;
}

}  // namespace

uint32_t crc32_of(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void SessionRecorder::add(ScriptEvent e) {
  // A slider dragged between two ticks: only where it stopped reaches a cycle.
  if (e.kind == EventKind::kSlider && !events_.empty()) {
    ScriptEvent& last = events_.back().event;
    if (last.kind == EventKind::kSlider && last.index == e.index) {
      last.position = e.position;
      return;
    }
  }
  events_.push_back({std::move(e), c_.cycle.tick_count, {}});
}

void SessionRecorder::add_debug(ScriptEvent e, bool names_ok, const std::string& what) {
  e.kind = EventKind::kDebug;
  std::string why;
  if (!names_ok) why = "a text of it is not valid Shift-JIS";
  if (why.empty()) {
    // The line must read back as this very action, or the replay would do something else.
    try {
      const std::vector<ScriptEvent> back = parse_script(script_line(e));
      const ScriptEvent& b = back.at(0);
      if (back.size() != 1 || b.kind != e.kind || b.code != e.code || b.count != e.count ||
          b.text != e.text || b.extra != e.extra || b.values != e.values)
        why = "its script line reads back as another action";
    } catch (const std::exception& x) {
      why = std::string("its script line does not read back: ") + x.what();
    }
  }
  add(std::move(e));
  if (!why.empty()) events_.back().not_recorded = what + ": " + why;
}

void SessionRecorder::tick_begins() {
  note_over_run();
  const uint64_t cycle = c_.cycle.tick_count + 1;  // the cycle this tick runs, if it runs one
  if (events_.empty() || events_.back().event.kind != EventKind::kTick) {
    ScriptEvent e;
    e.kind = EventKind::kTick;
    e.count = 0;
    events_.push_back({e, cycle, {}});
  }
  RecordedEvent& run = events_.back();
  const uint64_t offset = run.event.count++;
  // Ticks that return at once (during start-up, after the quit) run no cycle: an over-run of
  // `cycle` belongs to the first tick that could run it.
  if (recent_.empty() || recent_.back().cycle != cycle) {
    if (recent_.size() == kRecentCycles) recent_.erase(recent_.begin());
    recent_.push_back({cycle, events_.size() - 1, offset});
  }
}

void SessionRecorder::tick_ends() {
  note_over_run();
  note_start_up();
}

void SessionRecorder::note_over_run() {
  const uint64_t cycle = c_.cycle.over_run_cycle;
  if (cycle == 0 || cycle == over_run_seen_) return;
  over_run_seen_ = cycle;
  for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
    if (it->cycle == cycle) {
      overruns_.push_back({it->entry, it->offset});
      return;
    }
  }
  // Not reached: an over-run is seen before the tick after it begins. Should it ever be, the
  // replay still gets it, at the latest tick.
  if (!recent_.empty()) overruns_.push_back({recent_.back().entry, recent_.back().offset});
}

void SessionRecorder::note_start_up() {
  if (started_ || c_.cycle.init_request || c_.cycle.init_in_progress) return;
  started_ = true;
  login_ = c_.params.user_name;
  ini_path_ = param_file_path(c_.params);
  std::string bytes;
  if (!read_whole_file(c_.workspace, ini_path_, bytes)) return;
  ini_read_ = true;
  ini_crc32_ = crc32_of(bytes);
}

void SessionRecorder::key(int code) {
  add(event(EventKind::kKey, {.code = code & 0xFF}));
}

void SessionRecorder::key_release(int code) {
  add(event(EventKind::kKeyRelease, {.code = code}));
}

void SessionRecorder::slider(int index, int position) {
  add(event(EventKind::kSlider, {.index = index, .position = position}));
}

void SessionRecorder::check_box(int index, bool on) {
  add(event(EventKind::kCheckBox, {.index = index, .on = on}));
}

void SessionRecorder::input(const std::string& cp932_text) {
  ScriptEvent e = event(EventKind::kInput, {});
  e.text = cp932_to_utf8(cp932_text);
  add(e);
}

void SessionRecorder::input_cancel() {
  add(event(EventKind::kInputCancel, {}));
}

void SessionRecorder::confirm(bool ok) {
  add(event(EventKind::kConfirm, {.on = ok}));
}

void SessionRecorder::notice() {
  add(event(EventKind::kNotice, {}));
}

void SessionRecorder::quit() {
  add(event(EventKind::kQuit, {}));
}

void SessionRecorder::pt_limit(bool check_off) {
  add(event(EventKind::kOption,
            {.index = static_cast<int>(OptionKind::kPtLimit), .on = check_off}));
}

void SessionRecorder::skip(int count) {
  add(event(EventKind::kOption,
            {.index = static_cast<int>(OptionKind::kSkip), .position = std::max(0, count)}));
}

void SessionRecorder::scale(int view, int pixels_per_metre) {
  add(event(
      EventKind::kOption,
      {.code = view, .index = static_cast<int>(OptionKind::kScale), .position = pixels_per_metre}));
}

namespace {

ScriptEvent debug_event(DebugOp op) {
  ScriptEvent e;
  e.kind = EventKind::kDebug;
  e.code = static_cast<int>(op);
  return e;
}

// `cp932` as UTF-8 for a script line; false when it does not come back unchanged.
bool to_utf8(const std::string& cp932, std::string& utf8) {
  utf8 = cp932_to_utf8(cp932);
  return utf8_to_cp932(utf8) == cp932;
}

}  // namespace

void SessionRecorder::breakpoint_set(int line, const std::string& condition,
                                     const std::string& hits) {
  ScriptEvent e = debug_event(DebugOp::kBreak);
  e.count = static_cast<uint64_t>(line);
  const bool ok = to_utf8(condition, e.text) && to_utf8(hits, e.extra);
  add_debug(std::move(e), ok, "breakpoint at line " + std::to_string(line));
}

void SessionRecorder::breakpoint_cleared(int line) {
  ScriptEvent e = debug_event(DebugOp::kClear);
  e.count = static_cast<uint64_t>(line);
  add_debug(std::move(e), true, "breakpoint removed at line " + std::to_string(line));
}

void SessionRecorder::run_control(DebugOp op, int line) {
  ScriptEvent e = debug_event(op);
  if (op == DebugOp::kRunTo) e.count = static_cast<uint64_t>(line);
  add_debug(std::move(e), true, "run control");
}

void SessionRecorder::variable_set(const std::string& name, double value) {
  ScriptEvent e = debug_event(DebugOp::kSet);
  const bool ok = to_utf8(name, e.text);
  e.values = {value};
  add_debug(std::move(e), ok, "variable " + cp932_to_utf8(name) + " set");
}

void SessionRecorder::program_saved(const std::string& file, const std::string& bytes) {
  ScriptEvent e = debug_event(DebugOp::kSave);
  const bool ok = to_utf8(file, e.text);
  e.extra = bytes;
  add_debug(std::move(e), ok, cp932_to_utf8(file) + " saved");
}

void SessionRecorder::program_compiled(const std::string& file) {
  ScriptEvent e = debug_event(DebugOp::kCompile);
  const bool ok = to_utf8(file, e.text);
  add_debug(std::move(e), ok, cp932_to_utf8(file) + " compiled");
}

std::vector<std::string> SessionRecorder::not_recorded() const {
  std::vector<std::string> out;
  for (const RecordedEvent& r : events_)
    if (!r.not_recorded.empty()) out.push_back(r.not_recorded);
  return out;
}

SessionHeader SessionRecorder::header() const {
  SessionHeader h;
  h.date = utc_now();
  h.user = account_name();
  h.login = login_;
  h.ini_path = ini_path_;
  h.ini_read = ini_read_;
  h.ini_crc32 = ini_crc32_;
  h.not_recorded = not_recorded();
  return h;
}

std::string SessionRecorder::session_script(const SessionHeader& h,
                                            const std::vector<RecordedEvent>& events,
                                            const std::vector<Overrun>& overruns) {
  std::string out = "# Rokan session recorded " + h.date + " by " + h.user + "\n";
  if (h.login.empty()) {
    out += "# recorded before the login: no parameter file read yet\n";
  } else if (h.ini_read) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", h.ini_crc32);
    out += "# login " + cp932_to_utf8(h.login) + ", " + cp932_to_utf8(h.ini_path) + " CRC-32 " +
           crc + "\n";
  } else {
    out += "# login " + cp932_to_utf8(h.login) + ", " + cp932_to_utf8(h.ini_path) +
           " could not be read\n";
  }
  out +=
      "# replay on a copy of the workspace as it was: rokan-sim --workspace COPY --script FILE\n";
  for (const std::string& what : h.not_recorded)
    out += "# NOT A FAITHFUL REPLAY: not recorded: " + what + "\n";
  // The program window's debugger is attached all session long; the replay's acts as it does
  // from the start.
  for (const RecordedEvent& r : events) {
    if (r.event.kind == EventKind::kDebug) {
      out += "debugger window\n";
      break;
    }
  }

  std::vector<Overrun> marks = overruns;
  std::sort(marks.begin(), marks.end(), [](const Overrun& a, const Overrun& b) {
    return a.entry != b.entry ? a.entry < b.entry : a.offset < b.offset;
  });
  auto mark = marks.begin();
  for (std::size_t i = 0; i < events.size(); ++i) {
    const ScriptEvent& e = events[i].event;
    while (mark != marks.end() && mark->entry < i) ++mark;
    if (!events[i].not_recorded.empty()) {
      out += "# NOT RECORDED: " + events[i].not_recorded + "\n";
      continue;
    }
    if (e.kind != EventKind::kTick) {
      out += script_line(e) + "\n";
      continue;
    }
    uint64_t done = 0;    // ticks of this run written so far
    bool marked = false;  // an over-run was written before tick `done`
    for (; mark != marks.end() && mark->entry == i; ++mark) {
      if (mark->offset >= e.count || (marked && mark->offset == done)) continue;
      if (mark->offset > done) out += "tick " + std::to_string(mark->offset - done) + "\n";
      out += "fault overrun\n";
      done = mark->offset;
      marked = true;
    }
    if (e.count > done) out += "tick " + std::to_string(e.count - done) + "\n";
  }
  return out;
}

}  // namespace rokan
