#include "sim/base64.h"

#include <cstdint>

namespace rokan {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int value_of(char ch) {
  if (ch >= 'A' && ch <= 'Z') return ch - 'A';
  if (ch >= 'a' && ch <= 'z') return ch - 'a' + 26;
  if (ch >= '0' && ch <= '9') return ch - '0' + 52;
  if (ch == '+') return 62;
  if (ch == '/') return 63;
  return -1;
}

}  // namespace

std::string base64_encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k)
      group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

bool base64_decode(std::string_view text, std::string& bytes) {
  if (text.size() % 4 != 0) return false;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    std::size_t pad = 0;
    uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char ch = text[i + k];
      int v = 0;
      if (ch == '=' && last && k >= 2) {
        ++pad;
      } else {
        if (pad != 0) return false;  // a character after padding
        v = value_of(ch);
        if (v < 0) return false;
      }
      group = (group << 6) | static_cast<uint32_t>(v);
    }
    // Padding leaves unused bits that must be zero: one text, one meaning.
    if ((pad == 1 && (group & 0xFF) != 0) || (pad == 2 && (group & 0xFFFF) != 0)) return false;
    for (std::size_t k = 0; k < 3 - pad; ++k)
      out += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
  }
  bytes = std::move(out);
  return true;
}

}  // namespace rokan
