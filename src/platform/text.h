// Text encoding. Every operator text and every file the controller reads or writes is Shift-JIS
// (CP932), and lengths count CP932 bytes, so the controller holds text as CP932 byte strings.
// Literals are written as UTF-8 in the source and converted once, through SJ().
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace rokan {

// Converts UTF-8 to CP932. Characters CP932 cannot hold become '?'.
std::string utf8_to_cp932(std::string_view utf8);
// Converts CP932 to UTF-8. Invalid bytes become U+FFFD.
std::string cp932_to_utf8(std::string_view cp932);

// True when byte b starts a double-byte CP932 character (0x81..0x9F, 0xE0..0xFC).
constexpr bool is_sjis_lead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of the longest prefix of s that is at most max_bytes long and does not end in the
// middle of a double-byte character.
std::size_t sjis_cut(std::string_view s, std::size_t max_bytes);

// s cut at max_bytes without splitting a double-byte character.
inline std::string sjis_truncate(std::string_view s, std::size_t max_bytes) {
  return std::string(s.substr(0, sjis_cut(s, max_bytes)));
}

// `s` without the blanks (spaces and tabs) at either end. A line end is never part of a line
// (LineReader strips it), and a trailing blank can never be the second byte of a double-byte
// character (second bytes are 0x40 and above).
std::string_view trim(std::string_view s);

// How the last piece a LineReader returned ended.
enum class LineEnd : unsigned char {
  kNewline,    // at "\n" or "\r\n", which is not part of the piece
  kEndOfFile,  // at the end of the file: the file's last line has no line end
  kTooLong,    // the line goes on; the rest comes in the next pieces
};

// Reads the text lines of a file opened by the caller, in pieces of bounded size, so memory
// stays bounded whatever the file holds (a device that never ends a line included). A line end
// is "\n" or "\r\n" and is never part of a piece; a NUL byte is an ordinary byte.
class LineReader {
 public:
  enum class Cut {
    kAtAnyByte,         // a piece is the next `max` bytes, as fgets() reads them
    kBetweenCharacters  // a piece never ends between the two bytes of a CP932 character
  };
  explicit LineReader(std::FILE* f, Cut cut = Cut::kAtAnyByte) : file_(f), cut_(cut) {}

  // For files the program wrote itself, whose lines it knows to be short.
  static constexpr std::size_t kWholeLine = static_cast<std::size_t>(-1);

  // The next piece of at most `max` bytes of the current line, or the rest of the line when
  // that is shorter; a line of exactly `max` bytes is one piece (a piece cut between
  // characters may be a byte shorter). False at the end of the file.
  bool next(std::string& out, std::size_t max);
  // Drops what is left of the current line after a kTooLong piece, reading at most `limit`
  // bytes; false when the line goes on beyond them.
  bool skip_rest(std::size_t limit);

  LineEnd end() const { return end_; }
  // True when the last piece reached the end of its line (the next piece starts a new one).
  bool at_line_start() const { return end_ != LineEnd::kTooLong; }
  // The 1-based number of the line the last piece came from.
  int line() const { return line_; }
  // The line end that followed the last piece as the file has it: "\n", "\r\n", or "" when
  // the piece did not reach a line end.
  std::string_view line_end() const {
    return end_ != LineEnd::kNewline ? "" : crlf_ ? "\r\n" : "\n";
  }

 private:
  int get();
  void unget(int ch) { pending_[npending_++] = ch; }

  std::FILE* file_;
  Cut cut_;
  int line_ = 0;
  LineEnd end_ = LineEnd::kNewline;
  bool crlf_ = false;
  int pending_[3] = {};  // bytes read ahead, last in first out
  int npending_ = 0;
};

// The same lines in text already held in memory: splits the next line off `text`, without its
// line end, and leaves `text` at the line after it. False when `text` is empty. `end` (when
// given) tells whether the line had a line end (kNewline) or ended the text (kEndOfFile).
bool next_line(std::string_view& text, std::string_view& line, LineEnd* end = nullptr);

// printf into a std::string (the controller formats its texts with C formats).
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace rokan

// A UTF-8 literal as a CP932 string, converted on first use and kept for the run.
#define SJ(utf8_literal)                                                       \
  ([]() -> const std::string& {                                                \
    static const std::string converted = ::rokan::utf8_to_cp932(utf8_literal); \
    return converted;                                                          \
  }())

namespace rokan {
// Writes CP932 text to the standard error stream as UTF-8 (the terminal's encoding).
void write_stderr(std::string_view cp932);
}  // namespace rokan
