#include "platform/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace rokan {
namespace {

// One iconv pass; `replacement` stands in for each byte sequence that cannot be converted.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char buf[256];
  while (src_left > 0) {
    char* dst = buf;
    size_t dst_left = sizeof buf;
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip one byte (a whole UTF-8 sequence for UTF-8 input).
      size_t skip = 1;
      if (std::string_view(from) == "UTF-8") {
        while (skip < src_left && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
      } else if (is_sjis_lead(static_cast<unsigned char>(*src)) && src_left >= 2) {
        skip = 2;
      }
      out.append(replacement);
      src += skip;
      src_left -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string utf8_to_cp932(std::string_view utf8) {
  return convert("CP932", "UTF-8", utf8, "?");
}

std::string cp932_to_utf8(std::string_view cp932) {
  return convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD");
}

std::size_t sjis_cut(std::string_view s, std::size_t max_bytes) {
  if (s.size() <= max_bytes) return s.size();
  std::size_t i = 0;
  while (i < max_bytes) {
    std::size_t step = is_sjis_lead(static_cast<unsigned char>(s[i])) ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return i;
}

std::string format(const char* fmt, ...) {
  char small[256];
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(small, sizeof small, fmt, ap);
  va_end(ap);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  va_start(ap, fmt);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  va_end(ap);
  return std::string(big.data(), static_cast<size_t>(n));
}

}  // namespace rokan

namespace rokan {
void write_stderr(std::string_view cp932) {
  std::string utf8 = cp932_to_utf8(cp932);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}
std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool next_line(std::string_view& text, std::string_view& line, LineEnd* end) {
  if (text.empty()) return false;
  const std::size_t nl = text.find('\n');
  line = text.substr(0, nl);
  if (nl == std::string_view::npos) {
    text = {};
    if (end) *end = LineEnd::kEndOfFile;
    return true;
  }
  text.remove_prefix(nl + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (end) *end = LineEnd::kNewline;
  return true;
}

int LineReader::get() {
  if (npending_ > 0) return pending_[--npending_];
  return std::getc(file_);
}

bool LineReader::next(std::string& out, std::size_t max) {
  out.clear();
  const bool starts_line = at_line_start();
  if (starts_line) ++line_;
  bool in_char = false;  // the last byte of out is the lead byte of an unfinished character
  for (;;) {
    int ch = get();
    if (ch == EOF) {
      if (out.empty() && starts_line) {
        --line_;
        end_ = LineEnd::kEndOfFile;
        return false;
      }
      end_ = LineEnd::kEndOfFile;
      return true;
    }
    if (ch == '\n') {
      crlf_ = !out.empty() && out.back() == '\r';
      if (crlf_) out.pop_back();
      end_ = LineEnd::kNewline;
      return true;
    }
    if (out.size() >= max) {
      // The piece is full and the line goes on with ch, unless ch starts the line end.
      if (ch == '\r') {
        int after = get();
        if (after == '\n') {
          crlf_ = true;
          end_ = LineEnd::kNewline;
          return true;
        }
        if (after == EOF) {
          end_ = LineEnd::kEndOfFile;
          return true;
        }
        unget(after);
      }
      unget(ch);
      if (in_char) {
        unget(static_cast<unsigned char>(out.back()));
        out.pop_back();
      }
      end_ = LineEnd::kTooLong;
      return true;
    }
    out.push_back(static_cast<char>(ch));
    in_char =
        cut_ == Cut::kBetweenCharacters && !in_char && is_sjis_lead(static_cast<unsigned char>(ch));
  }
}

bool LineReader::skip_rest(std::size_t limit) {
  if (at_line_start()) return true;
  for (std::size_t skipped = 0;; ++skipped) {
    if (skipped >= limit) return false;
    int ch = get();
    if (ch == EOF) {
      end_ = LineEnd::kEndOfFile;
      return true;
    }
    if (ch == '\n') break;
  }
  crlf_ = false;  // what preceded the '\n' was skipped unseen
  end_ = LineEnd::kNewline;
  return true;
}

}  // namespace rokan
