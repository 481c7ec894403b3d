#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/text.h"

namespace rokan {

std::string local_path(std::string_view cp932_path) {
  std::string with_slashes;
  with_slashes.reserve(cp932_path.size());
  for (std::size_t i = 0; i < cp932_path.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(cp932_path[i]);
    if (is_sjis_lead(b) && i + 1 < cp932_path.size()) {
      with_slashes.push_back(cp932_path[i]);
      with_slashes.push_back(cp932_path[++i]);
    } else {
      with_slashes.push_back(b == '\\' ? '/' : cp932_path[i]);
    }
  }
  return cp932_to_utf8(with_slashes);
}

std::string controller_path(std::string_view local) {
  std::string cp = utf8_to_cp932(local);
  for (std::size_t i = 0; i < cp.size(); ++i) {
    if (is_sjis_lead(static_cast<unsigned char>(cp[i]))) {
      ++i;
    } else if (cp[i] == '/') {
      cp[i] = '\\';
    }
  }
  return cp;
}

std::FILE* open_file(std::string_view cp932_path, const char* mode) {
  return std::fopen(local_path(cp932_path).c_str(), mode);
}

bool read_text_line(std::FILE* f, std::string& line) {
  line.clear();
  int ch;
  while ((ch = std::fgetc(f)) != EOF) {
    if (ch == '\n') return true;
    line.push_back(static_cast<char>(ch));
  }
  return !line.empty();
}

bool read_line_piece(std::FILE* f, std::string& piece, std::size_t max, bool* ended) {
  piece.clear();
  bool line_end = true;
  int ch = 0;
  while (piece.size() < max && (ch = std::fgetc(f)) != EOF && ch != '\n')
    piece.push_back(static_cast<char>(ch));
  if (piece.size() >= max && ch != '\n') {
    // Full: the line end right after the piece still belongs to it.
    ch = std::fgetc(f);
    if (ch != '\n' && ch != EOF) {
      std::ungetc(ch, f);
      line_end = false;
    }
    if (ch == EOF && piece.empty()) return false;
  } else if (ch == EOF && piece.empty()) {
    return false;
  }
  if (ended) *ended = line_end;
  return true;
}

bool skip_line(std::FILE* f, std::size_t limit) {
  for (std::size_t n = 0; n < limit; ++n) {
    int ch = std::fgetc(f);
    if (ch == '\n' || ch == EOF) return true;
  }
  return false;
}

bool path_exists(std::string_view cp932_path) {
  std::error_code ec;
  return std::filesystem::exists(local_path(cp932_path), ec);
}

bool is_directory(std::string_view cp932_path) {
  std::error_code ec;
  return std::filesystem::is_directory(local_path(cp932_path), ec);
}

std::vector<std::string> list_files_with_extension(std::string_view cp932_dir,
                                                   std::string_view ext) {
  std::vector<std::string> names;
  std::string dir = local_path(cp932_dir);
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
