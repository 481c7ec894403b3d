// Internal interface of the compiler passes. One RixCompile lives for one compile: it owns the
// open files (closed when it goes out of scope, whatever way the compile ends) and the lookup
// indexes that make name resolution independent of table sizes, and it remembers source line
// numbers so that a front end can point at the failing line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text.h"
#include "rix/compiler/errors.h"
#include "rix/compiler/image.h"
#include "rix/compiler/lex.h"

namespace rokan {

// Upper bounds on what a compile may allocate, so that a huge or hostile source ends in a
// report instead of exhausting memory. Real programs have a few hundred statements.
inline constexpr int32_t kRixMaxStatements = 100000;
inline constexpr int32_t kRixMaxVariables = 100000;

// A file handle that closes itself.
struct RixFile {
  RixFile() = default;
  RixFile(const RixFile&) = delete;
  RixFile& operator=(const RixFile&) = delete;
  ~RixFile() { close(); }
  // Opens the controller path cp932_path in the local directory `root` (see rooted_path).
  bool open(std::string_view root, const std::string& cp932_path, const char* mode);
  // Closes the file; false when a buffered write failed.
  bool close();
  std::FILE* f = nullptr;
};

struct RixVarRef {
  char kind;  // 'V' general, 'P' coordinate, 'J' joint
  int index;  // into the table of that kind
};

struct RixCompile {
  explicit RixCompile(RixImage& img) : image(img) {}

  RixImage& image;
  RixFile warning_log;  // open from the driver's step 3 to the end of the compile

  int32_t source_line = 0;  // pass 1: the source line being read
  int32_t error_line = -1;  // source line to show with the error, -1: derive it from pc

  // Pass 1: source line of each VARIABLE.TMP line; then by table index.
  std::vector<int32_t> declaration_lines;
  std::vector<int32_t> var_lines, pos_lines, jnt_lines;

  std::unordered_map<std::string, RixVarRef> variables;      // exact name
  std::unordered_map<std::string, std::vector<int>> labels;  // folded name -> image.labels
};

std::string rix_work_path(const RixImage& image, const char* name);

// Reports `code` (with `detail` for the messages that show one) and returns false.
bool rix_fail(RixCompile& cx, RixError error, std::string_view detail = {});

bool rix_pass1(RixCompile& cx, LineReader& source);
bool rix_pass2(RixCompile& cx);
bool rix_pass3(RixCompile& cx);
bool rix_pass4(RixCompile& cx);

// Compiles one FORMAL.TMP statement into `record` (pass 3).
bool rix_compile_statement(RixCompile& cx, std::string_view statement, RixInstruction& record);

// Index into image.labels of the label a reference `name` at statement `from` means, or -1.
int rix_lookup_label(const RixCompile& cx, std::string_view name, int32_t from);

}  // namespace rokan
