#include "rix/rix_test_support.h"

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
  std::ifstream in(path / name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
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

}  // namespace rokan::test
