#include "console/console.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/controller.h"
#include "platform/host.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr std::size_t kInputMax = 127;  // bytes of the input dialog's text that are read
constexpr std::size_t kScreenLineReserve = 256;

void set_line(Controller& c, int index, std::string_view text) {
  text = text.substr(0, sjis_cut(text, kMessageLineBytes));
  std::string& line = c.console.lines[index];
  if (line == text) return;  // nothing to repaint
  // Room for the longest line from its first use on: a line rewritten every cycle (a running
  // program's step, a MESSAGE) never allocates again.
  if (line.capacity() < kMessageLineBytes) line.reserve(kMessageLineBytes);
  line.assign(text);
  msg_paint(c);
}

void vprintf_line(Controller& c, int index, const char* fmt, va_list ap) {
  char buf[kMessageLineBytes * 2];
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  if (n < 0) n = 0;
  set_line(c, index, std::string_view(buf, std::min<std::size_t>(n, sizeof buf - 1)));
}

std::string read_input_dialog(Controller& c) {
  {
    ConsoleWait wait(c);
    c.host.run_input_dialog(c.console.input_field);
  }
  return sjis_truncate(c.console.input_field, kInputMax);
}

}  // namespace

ConsoleWait::ConsoleWait(Controller& c) : c_(c) {
  ++c.console.wait_depth;
}
ConsoleWait::~ConsoleWait() {
  --c_.console.wait_depth;
}

void msg_clear_all(Controller& c) {
  for (std::string& line : c.console.lines) line.clear();
  msg_paint(c);
}

void msg_set_mode_line(Controller& c, std::string_view text) {
  set_line(c, 0, text);
}
void msg_set_status_line(Controller& c, std::string_view text) {
  set_line(c, 1, text);
}
void msg_set_prompt_line(Controller& c, std::string_view text) {
  set_line(c, 2, text);
}
void msg_paint(Controller& c) {
  if (c.console.strip_held) {
    c.console.strip_stale = true;
    return;
  }
  c.host.paint_strip();
}

StripPaintHold::StripPaintHold(Controller& c) : c_(c), outermost_(!c.console.strip_held) {
  c.console.strip_held = true;
}

StripPaintHold::~StripPaintHold() {
  if (!outermost_) return;
  c_.console.strip_held = false;
  if (c_.console.strip_stale) {
    c_.console.strip_stale = false;
    msg_paint(c_);
  }
}

void msg_printf_mode_line(Controller& c, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vprintf_line(c, 0, fmt, ap);
  va_end(ap);
}

void msg_printf_status_line(Controller& c, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vprintf_line(c, 1, fmt, ap);
  va_end(ap);
}

namespace {

void report_log_failed(Controller& c, const char* what) {
  const int err = errno;
  ConsoleState& con = c.console;
  if (con.report_log_failed) return;
  con.report_log_failed = true;
  std::fprintf(stderr, "rokan: %s %s: %s; reports that do not reach it follow here\n", what,
               local_path(c.params.emg_dir + "emg.log").c_str(), std::strerror(err));
}

}  // namespace

void append_report_log(Controller& c, std::string_view text) {
  std::FILE* f = c.console.emg_log;
  if (!f) return;
  // Flushed at once: the record of why the robot stopped must survive a crash.
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
            std::fputc('\n', f) != EOF && std::fflush(f) == 0;
  if (ok) return;
  report_log_failed(c, "cannot append to");
  std::clearerr(f);  // the next report tries again (the disk may have room by then)
  write_stderr(std::string(text) + "\n");
  std::fflush(stderr);
}

void close_report_log(Controller& c) {
  if (!c.console.emg_log) return;
  if (!c.console.emg_log.close()) report_log_failed(c, "cannot close");
}

void report_message(Controller& c, std::string_view text) {
  append_report_log(c, text);
  msg_set_status_line(c, text);
  std::fputs("\a\a", stderr);
  std::fflush(stderr);
}

void text_clear(Controller& c) {
  for (std::string& line : c.console.screen) line.clear();
  c.host.text_screen_changed();
}

void text_put(Controller& c, int col, int line, std::string_view text) {
  if (line < 1 || line > kTextLines) return;
  std::string& s = c.console.screen[line];
  // Room for a page line from the first use on, so that redrawing the information display in
  // every drawing cycle does not allocate.
  if (s.capacity() < kScreenLineReserve) s.reserve(kScreenLineReserve);
  if (col == 1) {
    s.assign(text);
  } else if (col < 1) {
    s.insert(0, text);
  } else {
    std::size_t pos = static_cast<std::size_t>(col - 1);
    if (pos >= s.size()) {
      s.append(text);
    } else {
      s.erase(pos, text.size());
      s.insert(pos, text);
    }
  }
  c.host.text_screen_changed();
}

void text_write(Controller& c, std::string_view text) {
  text_put(c, c.console.write_col, c.console.write_line, text);
  c.console.write_col += static_cast<int>(text.size());
}

void key_char(Controller& c, int ch) {
  c.console.key_code = static_cast<signed char>(ch);
  c.console.key_hit = true;
}

void key_release(Controller& c, int virtual_key) {
  if (!key_arrives_as_release(virtual_key)) return;
  c.console.key_code = virtual_key;
  c.console.key_hit = true;
}

int wait_key(Controller& c) {
  ConsoleWait wait(c);
  c.console.key_hit = false;
  while (!c.console.key_hit) c.host.process_one_event();
  // The key that ends the wait belongs to this call, not to the next dispatcher.
  c.console.key_hit = false;
  return c.console.key_code;
}

bool input_number(Controller& c, double& out) {
  std::string text = read_input_dialog(c);
  if (text.empty()) return false;
  double v;
  if (std::sscanf(text.c_str(), "%lf", &v) != 1) return false;
  out = v;
  return true;
}

bool input_string(Controller& c, std::string& out, std::size_t max_len) {
  std::string text = read_input_dialog(c);
  if (text.empty()) return false;
  out = sjis_truncate(text, max_len);
  return true;
}

bool input_directory(Controller& c, std::string_view base, std::string& out) {
  std::string name;
  if (!input_string(c, name, 31)) return false;
  // Drop one trailing backslash, unless that byte is the second half of a double-byte character.
  if (!name.empty() && name.back() == '\\' && sjis_cut(name, name.size() - 1) == name.size() - 1)
    name.pop_back();
  out = name;
  return is_directory(c.workspace, std::string(base) + name);
}

bool select_joint(Controller& c, int& joint) {
  text_put(c, c.console.menu_col, c.console.menu_line++, SJ("    関節番号(1,2,3,Q)  ＝"));
  int key = std::toupper(static_cast<unsigned char>(wait_key(c)));
  if (key < '1' || key > '3') return false;
  joint = key - '1';
  return true;
}

}  // namespace rokan
