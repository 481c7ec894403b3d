// Helpers of the RIX compiler tests: a scratch RIX directory per test, compiling a source
// written in UTF-8 (stored CP932 as on the robot's disks), and a one-line description of an
// instruction record that tables can compare against.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "rix/compiler/image.h"

namespace rokan::test {

// A new empty directory under the system's temporary directory, removed again at the end.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory as a controller path (CP932, ending in a backslash).
  std::string rix_path() const;
  void write(const std::string& name, std::string_view bytes) const;
  std::string read(const std::string& name) const;  // "" when missing

  std::filesystem::path path;
};

struct CompileResult {
  bool ok = false;
  RixImage image;
  std::string report;    // the error text in UTF-8, "" on success
  std::string warnings;  // WARNING.LOG in UTF-8
};

// Compiles `source` (UTF-8, converted to CP932) as T.RIX in `dir`.
CompileResult compile_in(const TempDir& dir, std::string_view utf8_source);
// The same in a fresh directory.
CompileResult compile_source(std::string_view utf8_source);
// A source given as the bytes of the file (no conversion), in a fresh directory.
CompileResult compile_bytes(std::string_view bytes);
// "3.1\nheading\n" + body, where ';' or '\n' separate statements.
CompileResult compile_body(std::string_view utf8_body);

// "PTP TARGET_F1 0=REL_CONSTANT:10 1=CONSTANT:20": the command, the target unless NO_TARGET,
// and every slot that is not ARG_NONE with value 0 (values printed with %g).
std::string describe(const RixInstruction& r);

// The words of `text` between single blanks (a tab or a line end is part of a word).
std::vector<std::string> words_of(std::string_view text);
// The bytes of a file, "" when it cannot be read.
std::string read_file(const std::filesystem::path& p);
// The names of the files in `dir` that end in `ext`, sorted.
std::vector<std::string> files_in(const std::filesystem::path& dir, std::string_view ext);
// A test name made of `text` up to the first of `stops`, anything but letters and digits as '_'.
std::string name_of(std::string_view text, std::string_view stops);
// Splits a "// expect: WHAT REST" comment of an annotated program; false for other lines.
bool expectation(const std::string& line, std::string& what, std::string& rest);
// "\t" in an expectation stands for a tab.
std::string unescape_tabs(std::string s);

}  // namespace rokan::test
