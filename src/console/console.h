// The operator console: the three-line message strip, the 25-line text screen, the key store,
// waiting for a key with nested sampling cycles, and prompted input. Texts are CP932.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace rokan {

struct Controller;

inline constexpr int kTextLines = 25;
inline constexpr std::size_t kMessageLineBytes = 80;

struct ConsoleState {
  std::array<std::string, 3> lines;  // mode, status, prompt line; at most 80 bytes each
  std::array<std::string, kTextLines + 1> screen;  // text screen lines 1..25 (index 0 unused)
  int menu_col = 10, menu_line = 2;                // menu cursor
  int write_col = 1, write_line = 1;               // write cursor of text_write
  int32_t key_code = 0;
  bool key_hit = false;
  int wait_depth = 0;              // > 0 while a wait_key or modal dialog is in progress
  bool info_display = false;       // information display on/off
  uint8_t info_page = 1;           // 0..7
  std::string input_field;         // text of the string input dialog, kept between uses
  File emg_log;                    // report log, open from start-up to the end routine
  bool report_log_failed = false;  // an append failed; standard error has been told why
  bool strip_held = false;         // a StripPaintHold is in force
  bool strip_stale = false;        // a line changed while the strip's paints were held
};

// The strip's lines keep their texts cut to 80 bytes (never inside a double-byte character); a
// setter repaints only when its line changed.
void msg_clear_all(Controller& c);
void msg_set_mode_line(Controller& c, std::string_view text);
void msg_set_status_line(Controller& c, std::string_view text);
void msg_set_prompt_line(Controller& c, std::string_view text);
void msg_paint(Controller& c);
// printf into the mode or status line, for texts rebuilt every cycle: formats on the stack and
// repaints only when the text changed, so a running program's cycle neither allocates nor
// repaints the strip a thousand times a second.
void msg_printf_mode_line(Controller& c, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));
void msg_printf_status_line(Controller& c, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));
// A reason the robot stopped (or a fault): appended to the report log, shown on the status line,
// and the bell rung on standard error.
void report_message(Controller& c, std::string_view text);
// Appends one line to the report log (when open) and checks that it got there. The first failed
// append tells standard error why; the text of every failed append goes to standard error, so no
// report is lost.
void append_report_log(Controller& c, std::string_view text);
// Closes the report log, saying on standard error when what was appended did not reach it.
void close_report_log(Controller& c);
// A file reader's message: standard error, and the text screen from line 13 down (below what is
// already there), bell characters dropped.
void reader_message(Controller& c, std::string_view text);

void text_clear(Controller& c);
// Writes `text` into screen line 1..25 from column `col` (1-based, bytes), overwriting what was
// there; column 1 replaces the whole line. Lines outside the screen are ignored.
void text_put(Controller& c, int col, int line, std::string_view text);
// text_put at the write cursor, which then moves past the text.
void text_write(Controller& c, std::string_view text);

// Codes of the keys that are not printable characters. Tab and Esc reach the controller as key
// releases (key_release), the others as typed characters (key_char).
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyCr = 13;
inline constexpr int kKeyEsc = 27;
inline constexpr int kKeySpace = ' ';
constexpr bool key_arrives_as_release(int code) {
  return code == kKeyTab || code == kKeyEsc;
}

// Key events from the windows: a typed character, or a released Tab or Esc; other released keys
// are ignored. The key is stored for the next wait_key or dispatcher.
void key_char(Controller& c, int ch);
void key_release(Controller& c, int virtual_key);

// Holds back the message strip's paints for its lifetime: a changed line only marks the strip,
// which is painted once when the outermost hold ends. The sampling cycle holds them over its
// timed control work, so that painting is never taken for an over-run.
class StripPaintHold {
 public:
  explicit StripPaintHold(Controller& c);
  ~StripPaintHold();
  StripPaintHold(const StripPaintHold&) = delete;
  StripPaintHold& operator=(const StripPaintHold&) = delete;

 private:
  Controller& c_;
  bool outermost_;
};

// Marks a wait (wait_key or a modal dialog) for its lifetime, so that the key dispatcher of
// nested sampling cycles leaves the key store to the waiting call.
class ConsoleWait {
 public:
  explicit ConsoleWait(Controller& c);
  ~ConsoleWait();
  ConsoleWait(const ConsoleWait&) = delete;
  ConsoleWait& operator=(const ConsoleWait&) = delete;

 private:
  Controller& c_;
};

// Waits for the next key, handling host events meanwhile (timer ticks run nested sampling
// cycles), and returns its code. Returns only with a key: a host without events left throws.
int wait_key(Controller& c);
// The string input dialog (its first 127 bytes count). False on Cancel, an empty entry or text
// that does not start with a number; `out` is then unchanged.
bool input_number(Controller& c, double& out);
// Likewise for a text, cut to `max_len` bytes.
bool input_string(Controller& c, std::string& out, std::size_t max_len);
// A directory name of at most 31 bytes (one trailing backslash dropped) into `out`; true when
// `base` + name is an existing directory.
bool input_directory(Controller& c, std::string_view base, std::string& out);
// Asks for joint 1..3 at the menu cursor; its index 0..2 into `joint`, false for any other key.
bool select_joint(Controller& c, int& joint);

}  // namespace rokan
