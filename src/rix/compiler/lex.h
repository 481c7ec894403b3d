// Text handling of the RIX compiler: reading source lines in pieces, and splitting CP932 text
// into comments, statements and tokens. A double-byte character is always one unit: a lead
// byte takes the next byte with it, so a second byte that happens to equal '\', '|' or an
// ASCII letter is never taken for a separator or folded to upper case.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rokan {

inline constexpr std::size_t kRixPieceMax = 1023;  // bytes of source read at a time
// Bytes of the version and heading lines skipped after their first piece: a line that goes on
// beyond them (a source linked to a device that never ends a line) is not a RIX source.
inline constexpr std::size_t kRixHeadLineSkipMax = 65536;

// Reads text lines from a file opened by the caller. A line end is "\n" or "\r\n" and is not
// part of the text returned. A byte 0 is kept as an ordinary byte.
struct RixLineReader {
  explicit RixLineReader(std::FILE* f) : file(f) {}

  // The next piece of at most `max` bytes of the current line, or the whole rest of the line if
  // it is shorter. A piece never ends between the two bytes of a character. False at the end of
  // the file. line is the 1-based number of the line the piece came from.
  bool next_piece(std::string& out, std::size_t max);
  bool next_line(std::string& out) { return next_piece(out, static_cast<std::size_t>(-1)); }
  // Drops what is left of the current line after a piece that did not reach its end, reading
  // at most `limit` bytes; false when the line goes on beyond them.
  bool skip_rest_of_line(std::size_t limit);

  std::FILE* file;
  int line = 0;
  bool at_line_start = true;

 private:
  int get();
  void unget(int ch) { pending[npending++] = ch; }
  int pending[3] = {};
  int npending = 0;
};

inline bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Index of the character after the one starting at i.
std::size_t sjis_next(std::string_view s, std::size_t i);

std::string_view trim_blanks(std::string_view s);

// Position of the first "//", or npos.
std::size_t find_comment(std::string_view s);

// Position of the first ';', or npos.
std::size_t find_semicolon(std::string_view s);

// Tokens separated by blanks (and commas when `commas` is set).
std::vector<std::string_view> split_tokens(std::string_view s, bool commas = false);

// Keywords are ASCII; a token matches when it equals the keyword letter case ignored.
bool keyword_is(std::string_view token, std::string_view upper_keyword);

// s with single-byte lower-case letters made upper case; double-byte characters unchanged.
std::string fold_case(std::string_view s);

// Label names compare without regard to letter case.
inline bool label_names_equal(std::string_view a, std::string_view b) {
  return a.size() == b.size() && fold_case(a) == fold_case(b);
}

// True when the last character of s is a single-byte ':'.
bool ends_with_colon(std::string_view s);

// True when s starts with a complete double-byte or single-byte character at every step up to
// position pos, i.e. pos is a character boundary.
bool is_char_boundary(std::string_view s, std::size_t pos);

}  // namespace rokan
