// Text encoding. Every operator text and every file the controller reads or writes is Shift-JIS
// (CP932), and lengths count CP932 bytes, so the controller holds text as CP932 byte strings.
// Literals are written as UTF-8 in the source and converted once, through SJ().
#pragma once

#include <cstddef>
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

// printf into a std::string (the controller formats its texts with C formats).
// `s` without the blanks and tabs around it, and without a line end's '\r'.
std::string_view trim_line(std::string_view s);

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
