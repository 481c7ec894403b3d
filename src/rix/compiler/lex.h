// Text handling of the RIX compiler: splitting CP932 text (read by the platform's LineReader,
// cut between characters) into comments, statements and tokens. A double-byte character is always
// one unit: a lead byte takes the next byte with it, so a second byte that happens to equal '\',
// '|' or an ASCII letter is never taken for a separator or folded to upper case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rokan {

inline constexpr std::size_t kRixPieceMax = 1023;  // bytes of source read at a time
// Bytes of the version and heading lines skipped after their first piece: a line that goes on
// beyond them (a source linked to a device that never ends a line) is not a RIX source.
inline constexpr std::size_t kRixHeadLineSkipMax = 65536;

inline bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Index of the character after the one starting at i.
std::size_t sjis_next(std::string_view s, std::size_t i);

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
