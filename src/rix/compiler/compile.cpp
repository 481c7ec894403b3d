// The compile driver: checks, opens the source and WARNING.LOG, checks the version line, runs
// the four passes with their phase values, writes the dump. Every failure ends the compile with
// the program image reset except for the error code, text and line.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/paths.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/compiler/passes.h"

namespace rokan {
namespace {

constexpr std::size_t kRixPathMax = 499;     // bytes of the RIX path
constexpr std::size_t kSourcePathMax = 511;  // bytes of RIX path + source name

// True when the version line holds a number that matches the language version to three
// decimals (3.1 up to, not including, 3.101).
bool version_matches(std::string_view line, double version) {
  std::size_t i = 0;
  while (i < line.size() &&
         (is_blank(line[i]) || line[i] == '\r' || line[i] == '\v' || line[i] == '\f')) {
    ++i;
  }
  if (i < line.size() && line[i] == '+') ++i;
  double v = 0;
  auto res = std::from_chars(line.data() + i, line.data() + line.size(), v);
  if (res.ec != std::errc()) return false;
  return std::trunc(v * 1000.0) == std::trunc(version * 1000.0);
}

// A source that is one of the compiler's own files would be overwritten while it is read.
bool is_work_file_name(std::string_view name) {
  for (const char* work :
       {kRixFormalFile, kRixLabelFile, kRixVariableFile, kRixWarningFile, kRixDumpFile}) {
    if (label_names_equal(name, work)) return true;
  }
  return false;
}

// Reports `error` with `why` after its message, within the error text's length: the operator
// can act on a full disk or a blocked name only when told of it.
bool fail_with_reason(RixCompile& cx, RixError error, const std::string& why) {
  rix_report_error(cx.image, error);
  cx.image.error_text = sjis_truncate(cx.image.error_text + " " + why, kRixErrorTextMax);
  return false;
}

bool run(RixCompile& cx) {
  RixImage& image = cx.image;

  // 1. Initialise.
  rix_reset_image(image);
  image.phase = rix::RIX_INIT;
  image.pc = 0;
  image.last_index = 0;
  for (int32_t& slot : image.gosub_stack) slot = -1;
  image.gosub_depth = 0;
  image.error_code = 0;
  image.error_text.clear();
  image.error_index = 0;
  image.error_line = 0;
  image.warning_code = 0;
  if (!rix_tables_intact()) return rix_fail(cx, RixError::kSevere);

  // 2. The source.
  if (image.rix_path.size() > kRixPathMax ||
      image.rix_path.size() + image.source_name.size() > kSourcePathMax) {
    return rix_fail(cx, RixError::kPathTooLong);
  }
  // A directory opens for reading on some systems and would read as an empty file.
  const std::string source_path = image.rix_path + image.source_name;
  if (is_work_file_name(image.source_name) || is_directory(image.workspace, source_path))
    return rix_fail(cx, RixError::kSourceOpen);
  RixFile source;
  if (!source.open(image.workspace, source_path, "r")) return rix_fail(cx, RixError::kSourceOpen);

  // 3. The warning log.
  if (!cx.warning_log.open(image.workspace, rix_work_path(image, kRixWarningFile), "w"))
    return rix_fail(cx, RixError::kWarningOpen);

  // 4. The version line, 5. the heading line.
  LineReader reader(source.f, LineReader::Cut::kBetweenCharacters);
  std::string line;
  cx.source_line = 1;
  if (!reader.next(line, kRixPieceMax) || !reader.skip_rest(kRixHeadLineSkipMax))
    return rix_fail(cx, RixError::kVersion);
  if (!version_matches(line, image.version)) return rix_fail(cx, RixError::kVersion);
  cx.source_line = 2;
  if (!reader.next(line, kRixPieceMax) || !reader.skip_rest(kRixHeadLineSkipMax))
    return rix_fail(cx, RixError::kFormat);

  // 6. The passes.
  image.phase = rix::PHASE1;
  if (!rix_pass1(cx, reader)) return false;
  source.close();
  image.phase = rix::PHASE2;
  if (!rix_pass2(cx)) return false;
  image.phase = rix::PHASE3;
  if (!rix_pass3(cx)) return false;
  image.phase = rix::PHASE4;
  if (!rix_pass4(cx)) return false;

  // 7. The dump, then the warnings reach the disk as WARNING.LOG closes. The system's reason
  // follows the message (and names the dump, which the severe error's text does not).
  if (!rix_write_dump(image)) {
    const int reason = errno;
    return fail_with_reason(cx, RixError::kSevere,
                            std::string("(") + kRixDumpFile + ": " + std::strerror(reason) + ")");
  }
  if (!cx.warning_log.close())
    return fail_with_reason(cx, RixError::kWarningOpen, std::strerror(errno));
  return true;
}

// The source line a failed compile points at.
int32_t failing_line(const RixCompile& cx) {
  const RixImage& image = cx.image;
  if (cx.error_line >= 0) return cx.error_line;
  if (image.phase <= rix::PHASE1) return cx.source_line;
  if (image.pc >= 0 && static_cast<std::size_t>(image.pc) < image.source_lines.size()) {
    return image.source_lines[static_cast<std::size_t>(image.pc)];
  }
  return image.source_lines.empty() ? cx.source_line : image.source_lines.back();
}

}  // namespace

bool RixFile::open(std::string_view root, const std::string& cp932_path, const char* mode) {
  close();
  f = open_file(root, cp932_path, mode);
  return f != nullptr;
}

bool RixFile::close() {
  if (!f) return true;
  bool ok = std::ferror(f) == 0;
  ok = std::fclose(f) == 0 && ok;
  f = nullptr;
  return ok;
}

std::string rix_work_path(const RixImage& image, const char* name) {
  return image.rix_path + name;
}

bool rix_fail(RixCompile& cx, RixError error, std::string_view detail) {
  rix_report_error(cx.image, error, detail);
  return false;
}

bool rix_compile(RixImage& image, std::string_view rix_path, std::string_view source_name) {
  // Copies first: the arguments may be the image's own fields.
  std::string path(rix_path), name(source_name);
  image.rix_path = std::move(path);
  image.source_name = std::move(name);

  bool ok = false;
  int32_t line = 0;
  {
    RixCompile cx(image);
    ok = run(cx);
    if (!ok) {
      if (image.error_code == 0) rix_report_error(image, RixError::kSevere);
      line = failing_line(cx);
    }
  }  // closes every file of the compile
  if (!ok) {
    rix_reset_image(image);
    image.error_line = line;
  } else {
    image.loaded_name = image.source_name;
  }
  return ok;
}

}  // namespace rokan
