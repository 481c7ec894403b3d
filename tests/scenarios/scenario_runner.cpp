#include "scenarios/scenario_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/controller.h"
#include "core/lamps.h"
#include "platform/text.h"
#include "sim/script.h"
#include "sim/sim_json.h"
#include "support/scripted_session.h"

namespace rokan::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// One annotation line with the `#|` lines that follow it.
struct Note {
  int line = 0;
  std::string what;  // "expect", "setup" or "do"
  std::string kind;  // its first word: screen, file, mkdir, ...
  std::string rest;  // the rest after one blank, decoded
  Lines block;
};

// The notes between two script lines, checked at one point of the run.
struct Checkpoint {
  std::vector<Note> notes;
  bool refused = false;  // holds an `expect: refused`: the run is cut before it
};

struct Scenario {
  Lines text;  // the file's lines; notes become blank lines and checkpoints `dump lamps`
  std::vector<Note> setup;
  std::vector<Checkpoint> checkpoints;
  std::vector<int> checkpoint_line;  // the file line of each checkpoint
};

std::string decode(std::string s) {
  static const std::pair<std::string_view, char> kNames[] = {
      {"<TAB>", '\t'}, {"<CR>", '\r'}, {"<LF>", '\n'}};
  for (const auto& [name, ch] : kNames)
    for (std::size_t p; (p = s.find(name)) != std::string::npos;) s.replace(p, name.size(), 1, ch);
  return s;
}

bool is_script_line(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t");
  return first != std::string::npos && s[first] != '#';
}

bool starts_with(const std::string& s, std::string_view prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Splits "WORD REST" at the first blank; REST keeps its trailing blanks.
void split_word(const std::string& s, std::string& word, std::string& rest) {
  const std::size_t blank = s.find(' ');
  word = s.substr(0, blank);
  rest = blank == std::string::npos ? "" : s.substr(blank + 1);
}

// The value `name` of the list below, as text (numbers as %.10g, angles in degrees); false for a
// name not in it. Indexes count legs and joints from 0, as the records do: "km[1][2]".
bool controller_value(const Controller& c, const std::string& name, std::string& out) {
  const std::size_t bracket = name.find('[');
  const std::string base = name.substr(0, bracket);
  int index[2] = {0, 0};
  int dims = 0;
  for (std::size_t at = bracket; at != std::string::npos && dims < 2; at = name.find('[', at + 1))
    index[dims++] = std::atoi(name.c_str() + at + 1);
  if (index[0] < 0 || index[0] > 3 || index[1] < 0 || index[1] > 2) return false;
  const int l = index[0], j = index[1];
  const Params& p = c.params;
  constexpr double kDeg = 180 / kPi;
  auto number = [&](double v, int want_dims) {
    out = format("%.10g", v);
    return dims == want_dims;
  };
  auto text = [&](const std::string& cp932) {
    out = cp932_to_utf8(cp932);
    return dims == 0;
  };
  if (base == "manual_sub_mode") return number(c.mode.manual_sub_mode, 0);
  if (base == "emg_enable") return number(c.mode.emg_enable, 0);
  if (base == "info_display") return number(c.console.info_display, 0);
  if (base == "origin") return number(c.sensor.origin[l][j], 2);
  if (base == "kp") return number(p.kp[l], 1);
  if (base == "km") return number(p.km[l][j], 2);
  if (base == "active.a_max") return number(p.active.b1.a_max[l], 1);
  if (base == "file.position_err") return number(p.file.b2.position_err[l], 1);
  if (base == "active.position_err") return number(p.active.b2.position_err[l], 1);
  if (base == "file.angle_err_deg") return number(p.file.b2.angle_err[l][j] * kDeg, 2);
  if (base == "file.omega_max_deg") return number(p.file.b1.omega_max[l][j] * kDeg, 2);
  if (base == "file.omega_dot_max_deg") return number(p.file.b1.omega_dot_max[l][j] * kDeg, 2);
  if (base == "logger.capacity") return number(c.logger.capacity, 0);
  if (base == "logger.state") return number(c.logger.state, 0);
  if (base == "logger.count") return number(c.logger.count, 0);
  if (base == "max_buf") return number(p.max_buf, 0);
  if (base == "terminated") return number(c.cycle.terminated, 0);
  if (base == "ended_by_itself") return number(c.cycle.ended_by_itself, 0);
  if (base == "stop_reason") return text(c.cycle.stop_reason);
  if (base == "auto_running") return number(c.mode.auto_running, 0);
  if (base == "auto_step") return number(c.mode.auto_step, 0);
  if (base == "stop_reserved") return number(c.mode.stop_reserved, 0);
  if (base == "key_wait_active") return number(c.mode.key_wait_active, 0);
  if (base == "rix.pc") return number(c.rix.pc, 0);
  if (base == "rix.trace_on") return number(c.rix.trace_on, 0);
  if (base == "rix.warning_code") return number(c.rix.warning_code, 0);
  if (base == "rix.sleep_counter") return number(c.rix.sleep_counter, 0);
  for (const RixVar& v : c.rix.vars)  // "rix.var.X": the program's general variable X
    if (base == "rix.var." + cp932_to_utf8(v.name)) return number(v.value, 0);
  if (base == "draw_skip") return number(c.cycle.draw_skip, 0);
  if (base == "draw_countdown") return number(c.cycle.draw_countdown, 0);
  if (base == "view_scale") return number(c.view.scale[std::min(l, 2)], 1);
  if (base == "pt_check_off") return number(c.safety.pt_check_off, 0);
  for (int i = 0; i < kJointLimitCount; ++i)
    if (base == std::string("joint_limit_deg.") + kJointLimitNames[i])
      return number(p.joint_limit[i] * kDeg, 0);
  if (base == "user_name") return text(p.user_name);
  if (base == "user_dir") return text(p.user_dir);
  if (base == "rix_dir") return text(p.rix_dir);
  if (base == "rix_path") return text(p.rix_path);
  if (base == "log_dir") return text(p.log_dir);
  if (base == "ini_dir") return text(p.ini_dir);
  if (base == "rix_source") return text(c.rix.source_name);
  return false;
}

class Runner {
 public:
  explicit Runner(fs::path file) : file_(std::move(file)) {}

  void run() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
      fail(0, "cannot read the scenario file");
      return;
    }
    if (!parse(in)) return;
    ScriptedSession s("scenario_" + file_.stem().string());
    s_ = &s;
    dir_ = s.dir();
    for (const Note& n : scenario_.setup) apply_setup(n);
    s.host.set_dump_handler([this](DumpKind) { at_dump(); });
    run_chunks();
    s_ = nullptr;
  }

 private:
  void fail(int line, const std::string& message) const {
    ADD_FAILURE_AT(file_.string().c_str(), line) << message;
  }

  bool parse(std::istream& in) {
    Note* open_block = nullptr;
    bool in_group = false;  // the previous line was a note (or its block)
    int at = 0;
    for (std::string line; std::getline(in, line);) {
      ++at;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (starts_with(line, "#|")) {
        if (!open_block) {
          fail(at, "a #| line belongs under an expectation or setup that takes a block");
          return false;
        }
        open_block->block.push_back(decode(line.substr(2)));
        scenario_.text.emplace_back();
        continue;
      }
      open_block = nullptr;
      std::string what;
      for (const char* w : {"expect", "setup", "do"})
        if (starts_with(line, std::string("# ") + w + ": ")) what = w;
      if (what.empty()) {
        in_group = false;
        std::string word, rest;
        split_word(line, word, rest);
        if (word == "dump") {
          fail(at, "a scenario says what it looks at with expect lines, not with dump lines");
          return false;
        }
        scenario_.text.push_back(line);
        continue;
      }
      Note n;
      n.line = at;
      n.what = what;
      split_word(line.substr(what.size() + 4), n.kind, n.rest);
      n.rest = decode(n.rest);
      scenario_.text.emplace_back();
      if (what == "setup") {
        scenario_.setup.push_back(n);
        open_block = &scenario_.setup.back();
        in_group = false;
        continue;
      }
      if (!in_group) {
        scenario_.checkpoints.emplace_back();
        scenario_.checkpoint_line.push_back(at);
        scenario_.text.back() = "dump lamps";
      }
      in_group = true;
      Checkpoint& cp = scenario_.checkpoints.back();
      if (n.what == "expect" && n.kind == "refused") cp.refused = true;
      cp.notes.push_back(n);
      open_block = &cp.notes.back();
    }
    // A refused line cuts the run: its checkpoint is checked after the cut, not at a dump.
    for (std::size_t i = 0; i < scenario_.checkpoints.size(); ++i)
      if (scenario_.checkpoints[i].refused)
        scenario_.text[static_cast<std::size_t>(scenario_.checkpoint_line[i] - 1)].clear();
    return true;
  }

  void apply_setup(const Note& n) {
    const fs::path p = dir_ / n.rest;
    std::error_code ec;
    if (n.kind == "file") {
      fs::create_directories(p.parent_path(), ec);
      std::string text;
      for (const std::string& l : n.block) text += l + "\n";
      std::ofstream(p, std::ios::binary) << utf8_to_cp932(text);
    } else if (n.kind == "dir") {
      fs::create_directories(p, ec);
    } else if (n.kind == "remove") {
      fs::remove_all(p, ec);
    } else if (n.kind == "replace" && n.block.size() == 2) {
      std::ifstream in(p, std::ios::binary);
      std::string text = cp932_to_utf8(std::string(std::istreambuf_iterator<char>(in), {}));
      const std::size_t at = text.find(n.block[0]);
      if (at == std::string::npos) return fail(n.line, n.rest + " does not hold " + n.block[0]);
      text.replace(at, n.block[0].size(), n.block[1]);
      std::ofstream(p, std::ios::binary) << utf8_to_cp932(text);
    } else {
      fail(n.line, "unknown setup: " + n.kind);
    }
  }

  // The script in pieces that end at each refused line, so the run goes on after the refusal.
  void run_chunks() {
    std::size_t from = 0;  // first file line (0-based) of the next piece
    for (std::size_t i = 0; i <= scenario_.checkpoints.size(); ++i) {
      const bool last = i == scenario_.checkpoints.size();
      if (!last && !scenario_.checkpoints[i].refused) continue;
      const std::size_t to =
          last ? scenario_.text.size() : static_cast<std::size_t>(scenario_.checkpoint_line[i] - 1);
      std::string piece;
      for (std::size_t l = 0; l < scenario_.text.size(); ++l)
        piece += (l >= from && l < to ? scenario_.text[l] : std::string()) + "\n";
      std::string refusal;
      int refused_at = 0;
      if (!run_piece(piece, refusal, refused_at)) return;
      if (last) {
        if (!refusal.empty()) fail(refused_at, refusal);
        break;
      }
      const Checkpoint& cp = scenario_.checkpoints[i];
      int script_line = static_cast<int>(to);  // the last script line of the piece
      while (script_line > 0 && !is_script_line(scenario_.text[script_line - 1])) --script_line;
      if (refusal.empty()) {
        fail(scenario_.checkpoint_line[i], "the line before was not refused");
      } else if (refused_at != script_line) {
        fail(refused_at, refusal);
        refusal.clear();
      }
      for (const Note& n : cp.notes) {
        if (n.kind == "refused") {
          if (!refusal.empty() && refusal.find(n.rest) == std::string::npos)
            fail(n.line, "refused with \"" + refusal + "\"");
        } else {
          check(n);
        }
      }
      from = to;
    }
    if (next_checkpoint_ == dump_checkpoints()) return;
    // The main window closed (the end routine ran): no event is taken after that, so what is
    // left is checked now, as long as no script line stands between.
    const int line = first_open_checkpoint_line();
    for (std::size_t l = static_cast<std::size_t>(line); l < scenario_.text.size(); ++l)
      if (is_script_line(scenario_.text[l]) && scenario_.text[l] != "dump lamps")
        return fail(line, "the run ended before this point (main window closed: " +
                              std::string(s_->host.window_closed() ? "yes" : "no") + ")");
    if (!s_->host.window_closed()) return fail(line, "the run ended before this point");
    while (next_checkpoint_ < dump_checkpoints()) at_dump();
  }

  // Runs one piece; false when the run cannot go on. A refused line is handed back.
  bool run_piece(const std::string& piece, std::string& refusal, int& refused_at) {
    try {
      s_->host.append(parse_script(piece));
      s_->host.run();
    } catch (const ScriptError& e) {
      refusal = e.what();
      refused_at = e.line();
    } catch (const ScriptExhausted& e) {
      fail(s_->host.last_line(), e.what());
      return false;
    } catch (const ProcessExit& e) {
      fail(s_->host.last_line(), "the controller ended the process with " + std::to_string(e.code));
      return false;
    }
    return true;
  }

  std::size_t dump_checkpoints() const {
    std::size_t n = 0;
    for (const Checkpoint& cp : scenario_.checkpoints) n += cp.refused ? 0 : 1;
    return n;
  }

  int first_open_checkpoint_line() const {
    std::size_t k = 0;
    for (std::size_t i = 0; i < scenario_.checkpoints.size(); ++i) {
      if (scenario_.checkpoints[i].refused) continue;
      if (k++ == next_checkpoint_) return scenario_.checkpoint_line[i];
    }
    return 0;
  }

  void at_dump() {
    // The k-th dump is the k-th checkpoint that is not cut off by a refusal.
    std::size_t k = 0;
    for (const Checkpoint& cp : scenario_.checkpoints) {
      if (cp.refused) continue;
      if (k++ != next_checkpoint_) continue;
      ++next_checkpoint_;
      for (const Note& n : cp.notes) check(n);
      return;
    }
  }

  Lines screen() const {
    Lines lines;
    const auto dump = sim_json(s_->c, DumpKind::kScreen);
    for (const auto& l : dump["lines"]) lines.push_back(l.get<std::string>());
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }

  void check(const Note& n) {
    if (n.what == "do") {
      std::error_code ec;
      if (n.kind == "mkdir") {
        fs::create_directories(dir_ / n.rest, ec);
      } else if (n.kind == "remove") {
        fs::remove_all(dir_ / n.rest, ec);
      } else if (n.kind == "file") {
        apply_setup(n);
      } else {
        fail(n.line, "unknown do: " + n.kind);
      }
      return;
    }
    if (n.kind == "screen") return check_screen(n);
    if (n.kind == "strip") return check_strip(n);
    if (n.kind == "state") return check_state(n);
    if (n.kind == "file") return check_file(n);
    if (n.kind == "value") return check_value(n);
    if (n.kind == "lamps") {
      std::string bits;
      for (bool lit : lamp_states(s_->c)) bits += lit ? '1' : '0';
      return same(n, bits, n.rest);
    }
    if (n.kind == "window") return same(n, s_->host.window_closed() ? "closed" : "open", n.rest);
    if (n.kind == "timer") return same(n, std::to_string(s_->host.timer_interval()), n.rest);
    fail(n.line, "unknown expectation: " + n.kind);
  }

  void same(const Note& n, const std::string& actual, const std::string& expected) const {
    if (actual != expected)
      fail(n.line, "expect: " + n.kind + " " + n.rest + "\n  expected: \"" + expected +
                       "\"\n    actual: \"" + actual + "\"");
  }

  void same_lines(const Note& n, const Lines& actual, const Lines& expected) const {
    if (actual == expected) return;
    std::ostringstream why;
    why << "expect: " << n.kind << " " << n.rest << "\n";
    for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
      const std::string a = i < actual.size() ? actual[i] : "(none)";
      const std::string e = i < expected.size() ? expected[i] : "(none)";
      why << (a == e ? "    " : "  ! ") << i + 1 << ": \"" << a << "\"";
      if (a != e) why << "  expected \"" << e << "\"";
      why << "\n";
    }
    fail(n.line, why.str());
  }

  void check_screen(const Note& n) {
    const Lines now = screen();
    std::string word, text;
    split_word(n.rest, word, text);
    if (n.rest.empty()) {
      same_lines(n, now, n.block);
    } else if (word == "unchanged") {
      if (!have_screen_) fail(n.line, "no screen expectation before this one");
      same_lines(n, now, last_screen_);
    } else if (word == "last") {
      same(n, now.empty() ? "" : now.back(), text);
    } else if (word == "lines") {
      same(n, std::to_string(now.size()), text);
    } else {
      const int at = std::atoi(word.c_str());
      if (at < 1 || at > kTextLines) return fail(n.line, "no screen line " + word);
      same(n, static_cast<std::size_t>(at) <= now.size() ? now[at - 1] : "", text);
    }
    last_screen_ = now;
    have_screen_ = true;
  }

  void check_strip(const Note& n) {
    std::string line, text;
    split_word(n.rest, line, text);
    const auto strip = sim_json(s_->c, DumpKind::kStrip);
    const char* key = line == "mode"     ? "mode_line"
                      : line == "status" ? "status_line"
                      : line == "prompt" ? "prompt_line"
                                         : nullptr;
    if (!key) return fail(n.line, "the strip has mode, status and prompt lines");
    same(n, strip[key].get<std::string>(), text);
  }

  void check_state(const Note& n) {
    std::string pointer, expected;
    split_word(n.rest, pointer, expected);
    const auto state = sim_json(s_->c, DumpKind::kState);
    const nlohmann::ordered_json::json_pointer ptr(pointer);
    if (!state.contains(ptr)) return fail(n.line, "the state dump has no " + pointer);
    const auto& v = state[ptr];
    if (v.is_number()) {
      // "VALUE within TOLERANCE" for a measured value; else equal to 1e-9.
      const double e = std::atof(expected.c_str());
      const std::size_t within = expected.find(" within ");
      const double tolerance = within == std::string::npos
                                   ? 1e-9 * std::max(1.0, std::fabs(e))
                                   : std::atof(expected.c_str() + within + 8);
      if (!(std::fabs(v.get<double>() - e) <= tolerance))
        fail(n.line, pointer + " is " + v.dump() + ", expected " + expected);
      return;
    }
    same(n, v.is_string() ? v.get<std::string>() : v.dump(), expected);
  }

  void check_file(const Note& n) {
    std::string path, rest, word, text;
    split_word(n.rest, path, rest);
    split_word(rest, word, text);
    std::ifstream in(dir_ / path, std::ios::binary);
    if (!in) return fail(n.line, "cannot read " + path);
    const std::string content = cp932_to_utf8(std::string(std::istreambuf_iterator<char>(in), {}));
    if (rest.empty()) {
      std::string expected;
      for (const std::string& l : n.block) expected += l + "\n";
      same(n, content, expected);
    } else if (word == "contains") {
      if (content.find(text) == std::string::npos)
        fail(n.line, path + " does not contain \"" + text + "\"; it holds:\n" + content);
    } else if (word == "lacks") {
      if (content.find(text) != std::string::npos)
        fail(n.line, path + " contains \"" + text + "\"; it holds:\n" + content);
    } else if (word == "lines") {
      std::size_t lines = 0;
      for (char ch : content) lines += ch == '\n';
      same(n, std::to_string(lines), text);
    } else if (word == "line") {
      std::string number, expected;
      split_word(text, number, expected);
      std::istringstream lines(content);
      std::string line;
      int at = 0;
      while (at < std::atoi(number.c_str()) && std::getline(lines, line)) ++at;
      same(n, at == std::atoi(number.c_str()) ? line : "(no line " + number + ")", expected);
    } else {
      fail(n.line, "expect: file PATH [contains TEXT | lacks TEXT | lines N | line N TEXT]");
    }
  }

  // Values of the controller that no dump or file shows: the parameters in effect, settings
  // between their edit and the file, the logger's area.
  void check_value(const Note& n) {
    std::string name, expected;
    split_word(n.rest, name, expected);
    std::string actual;
    if (!controller_value(s_->c, name, actual)) return fail(n.line, "no value named " + name);
    same(n, actual, expected);
  }

  fs::path file_;
  Scenario scenario_;
  ScriptedSession* s_ = nullptr;
  fs::path dir_;
  std::size_t next_checkpoint_ = 0;
  Lines last_screen_;
  bool have_screen_ = false;
};

}  // namespace

void run_scenario(const fs::path& file) {
  Runner(file).run();
}

fs::path scenario_dir() {
  return fs::path(ROKAN_SOURCE_DIR) / "tests" / "scenarios" / "scripts";
}

}  // namespace rokan::test
