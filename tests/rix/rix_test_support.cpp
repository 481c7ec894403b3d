#include "rix/rix_test_support.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/tables.h"

namespace rokan::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "rixtest_XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (!made) std::abort();
  path = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

std::string TempDir::rix_path() const {
  return controller_path(path.string()) + "\\";
}

void TempDir::write(const std::string& name, std::string_view bytes) const {
  std::ofstream(path / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string TempDir::read(const std::string& name) const {
  return read_file(path / name);
}

namespace {

CompileResult compile_file(const TempDir& dir, std::string_view bytes) {
  dir.write("T.RIX", bytes);
  CompileResult r;
  r.ok = rix_compile(r.image, dir.rix_path(), "T.RIX");
  if (!r.ok) r.report = cp932_to_utf8(r.image.error_text);
  r.warnings = cp932_to_utf8(dir.read(kRixWarningFile));
  return r;
}

}  // namespace

CompileResult compile_in(const TempDir& dir, std::string_view utf8_source) {
  return compile_file(dir, utf8_to_cp932(utf8_source));
}

CompileResult compile_bytes(std::string_view bytes) {
  TempDir dir;
  return compile_file(dir, bytes);
}

CompileResult compile_source(std::string_view utf8_source) {
  TempDir dir;
  return compile_in(dir, utf8_source);
}

CompileResult compile_body(std::string_view utf8_body) {
  return compile_source("3.1\nheading\n" + std::string(utf8_body) + "\n");
}

std::string describe(const RixInstruction& r) {
  std::string out = rix_command_name(r.command) ? rix_command_name(r.command) : "?";
  if (r.target != rix::NO_TARGET) {
    out += ' ';
    out += rix_target_name(r.target) ? rix_target_name(r.target) : "?";
  }
  for (int i = 0; i < kRixArgs; ++i) {
    if (r.arg_type[i] == rix::ARG_NONE && r.arg_value[i] == 0) continue;
    const char* kind = rix_arg_name(r.arg_type[i]);
    out += format(" %d=%s:%g", i, kind ? kind : "?", r.arg_value[i]);
  }
  return out;
}

std::vector<std::string> words_of(std::string_view text) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t blank = std::min(text.find(' ', at), text.size());
    words.emplace_back(text.substr(at, blank - at));
    at = blank + 1;
  }
  return words;
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> files_in(const std::filesystem::path& dir, std::string_view ext) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().extension() == ext) names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string name_of(std::string_view text, std::string_view stops) {
  std::string name(text.substr(0, text.find_first_of(stops)));
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

bool expectation(const std::string& line, std::string& what, std::string& rest) {
  std::size_t at = line.find("// expect: ");
  if (at == std::string::npos) return false;
  std::istringstream in(line.substr(at + 11));
  in >> what;
  std::getline(in >> std::ws, rest);
  return true;
}

std::string unescape_tabs(std::string s) {
  for (std::size_t p; (p = s.find("\\t")) != std::string::npos;) s.replace(p, 2, "\t");
  return s;
}

}  // namespace rokan::test
