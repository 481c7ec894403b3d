#include "rix/compiler/lex.h"

#include "platform/text.h"

namespace rokan {

std::size_t sjis_next(std::string_view s, std::size_t i) {
  if (is_sjis_lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) return i + 2;
  return i + 1;
}

std::size_t find_comment(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i = sjis_next(s, i)) {
    if (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '/') return i;
  }
  return std::string_view::npos;
}

std::size_t find_semicolon(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i = sjis_next(s, i)) {
    if (s[i] == ';') return i;
  }
  return std::string_view::npos;
}

std::vector<std::string_view> split_tokens(std::string_view s, bool commas) {
  std::vector<std::string_view> tokens;
  auto is_sep = [&](char c) { return is_blank(c) || (commas && c == ','); };
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && is_sep(s[i])) ++i;
    if (i >= s.size()) break;
    std::size_t start = i;
    while (i < s.size() && !is_sep(s[i])) i = sjis_next(s, i);
    tokens.push_back(s.substr(start, i - start));
  }
  return tokens;
}

bool keyword_is(std::string_view token, std::string_view upper_keyword) {
  if (token.size() != upper_keyword.size()) return false;
  for (std::size_t i = 0; i < token.size(); ++i) {
    char c = token[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper_keyword[i]) return false;
  }
  return true;
}

std::string fold_case(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i = sjis_next(out, i)) {
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
  }
  return out;
}

bool is_char_boundary(std::string_view s, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos) i = sjis_next(s, i);
  return i == pos;
}

bool ends_with_colon(std::string_view s) {
  return !s.empty() && s.back() == ':' && is_char_boundary(s, s.size() - 1);
}

}  // namespace rokan
