#include "platform/paths.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/text.h"

namespace rokan {

namespace {

// A local byte that no CP932 character stands for travels in a controller path as kRawMark and
// two upper-case hex digits. 0xFD is no CP932 character (nor a lead byte), so the mark never
// occurs in a name that converted.
constexpr char kRawMark = '\xFD';
constexpr char kHex[] = "0123456789ABCDEF";

int hex_value(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// Length of the UTF-8 sequence that starts at s[i], or 1 for a byte that starts none.
std::size_t utf8_length(std::string_view s, std::size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  const std::size_t n = b < 0x80           ? 1
                        : (b >> 5) == 0x6  ? 2
                        : (b >> 4) == 0xE  ? 3
                        : (b >> 3) == 0x1E ? 4
                                           : 1;
  if (i + n > s.size()) return 1;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  return n;
}

}  // namespace

std::string local_path(std::string_view cp932_path) {
  std::string out, run;  // run: CP932 bytes still to convert
  out.reserve(cp932_path.size());
  for (std::size_t i = 0; i < cp932_path.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(cp932_path[i]);
    if (b == static_cast<unsigned char>(kRawMark) && i + 2 < cp932_path.size() &&
        hex_value(cp932_path[i + 1]) >= 0 && hex_value(cp932_path[i + 2]) >= 0) {
      out += cp932_to_utf8(run);
      run.clear();
      out.push_back(
          static_cast<char>(hex_value(cp932_path[i + 1]) * 16 + hex_value(cp932_path[i + 2])));
      i += 2;
    } else if (is_sjis_lead(b) && i + 1 < cp932_path.size()) {
      run.push_back(cp932_path[i]);
      run.push_back(cp932_path[++i]);
    } else {
      run.push_back(b == '\\' ? '/' : cp932_path[i]);
    }
  }
  return out + cp932_to_utf8(run);
}

std::string controller_path(std::string_view local) {
  std::string cp = utf8_to_cp932(local);
  if (cp932_to_utf8(cp) != local) {
    // Not every byte has a CP932 character: convert character by character and keep the
    // others as raw bytes, so that the file opens by the bytes it was named with.
    cp.clear();
    for (std::size_t i = 0; i < local.size();) {
      const std::size_t n = utf8_length(local, i);
      const std::string_view ch = local.substr(i, n);
      const std::string converted =
          static_cast<unsigned char>(ch[0]) < 0x80 ? std::string(ch) : utf8_to_cp932(ch);
      if (static_cast<unsigned char>(ch[0]) < 0x80 || (n > 1 && cp932_to_utf8(converted) == ch)) {
        cp += converted;
      } else {
        for (char byte : ch) {
          const unsigned char u = static_cast<unsigned char>(byte);
          cp += kRawMark;
          cp += kHex[u >> 4];
          cp += kHex[u & 0xF];
        }
      }
      i += n;
    }
  }
  for (std::size_t i = 0; i < cp.size(); ++i) {
    if (cp[i] == kRawMark) {
      i += 2;
    } else if (is_sjis_lead(static_cast<unsigned char>(cp[i]))) {
      ++i;
    } else if (cp[i] == '/') {
      cp[i] = '\\';
    }
  }
  return cp;
}

std::string rooted_path(std::string_view root, std::string_view cp932_path) {
  std::string local = local_path(cp932_path);
  if (root.empty() || (!local.empty() && local[0] == '/')) return local;
  std::string out(root);
  if (out.back() != '/') out += '/';
  return out + local;
}

std::FILE* open_file(std::string_view root, std::string_view cp932_path, const char* mode) {
  return std::fopen(rooted_path(root, cp932_path).c_str(), mode);
}

std::FILE* open_file(std::string_view cp932_path, const char* mode) {
  return open_file({}, cp932_path, mode);
}

bool is_searchable_directory(const std::string& local_dir) {
  std::error_code ec;
  return std::filesystem::is_directory(local_dir, ec) && ::access(local_dir.c_str(), X_OK) == 0;
}

bool path_exists(std::string_view root, std::string_view cp932_path) {
  std::error_code ec;
  return std::filesystem::exists(rooted_path(root, cp932_path), ec);
}

bool is_directory(std::string_view root, std::string_view cp932_path) {
  std::error_code ec;
  return std::filesystem::is_directory(rooted_path(root, cp932_path), ec);
}

bool path_exists(std::string_view cp932_path) {
  return path_exists({}, cp932_path);
}

bool is_directory(std::string_view cp932_path) {
  return is_directory({}, cp932_path);
}

std::vector<std::string> list_files_with_extension(std::string_view cp932_dir,
                                                   std::string_view ext) {
  return list_files_with_extension({}, cp932_dir, ext);
}

std::vector<std::string> list_files_with_extension(std::string_view root,
                                                   std::string_view cp932_dir,
                                                   std::string_view ext) {
  std::vector<std::string> names;
  std::string dir = rooted_path(root, cp932_dir);
  if (dir.empty()) dir = ".";
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::string name = it->path().filename().string();
    auto dot = name.rfind('.');
    if (dot == std::string::npos) continue;
    std::string_view e(name.data() + dot + 1, name.size() - dot - 1);
    bool same =
        e.size() == ext.size() && std::equal(e.begin(), e.end(), ext.begin(), [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) ==
                 std::toupper(static_cast<unsigned char>(b));
        });
    if (!same) continue;
    // The controller can only name a file whose name CP932 holds and that has no backslash
    // (which the controller reads as a separator); anything else would open another file or
    // none, so it is left out of the listing.
    std::string cp932 = utf8_to_cp932(name);
    if (name.find('\\') != std::string::npos || cp932_to_utf8(cp932) != name) continue;
    names.push_back(std::move(cp932));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace rokan
