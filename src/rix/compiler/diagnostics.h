// Errors and warnings of the RIX compiler (and, for errors, of the runtime). An error is a code
// of a fixed table; the report formats it into the image's error text as one line:
//   [PHASE]NNNN: message
// with the phase name, the statement number image.pc and the message cut at 63 bytes. A detail
// that a message shows (a name, a token) is put into the error text before the report.
// Warnings are lines of WARNING.LOG; they never stop a compile.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "rix/compiler/errors.h"
#include "rix/compiler/image.h"

namespace rokan {

// Fixed names of the compiler's files in the RIX directory.
inline constexpr const char* kRixFormalFile = "FORMAL.TMP";
inline constexpr const char* kRixLabelFile = "LABEL.TMP";
inline constexpr const char* kRixVariableFile = "VARIABLE.TMP";
inline constexpr const char* kRixWarningFile = "WARNING.LOG";
inline constexpr const char* kRixDumpFile = "rix.obj";

inline constexpr std::size_t kRixMessageCut = 63;  // bytes of the message in a report line

// "RIX_NONE" .. "RIX_RUN" by phase value, "MODE_ERR" for any other value.
const char* rix_phase_name(int phase);

// The message of `error` with its detail filled in (CP932), before it is cut. A code outside the
// list gets the "undefined error" text with its number.
std::string rix_error_message(const RixImage& image, RixError error);

// Sets the error code and formats the report line into image.error_text. image.error_text
// holds the detail on entry.
void rix_report_error(RixImage& image, RixError error);
// The same with the detail given here (cut at 70 bytes).
void rix_report_error(RixImage& image, RixError error, std::string_view detail);

// The warning line of `code` for the variable whose index is image.error_index (CP932, with its
// line end).
std::string rix_warning_text(const RixImage& image, int code);
// Sets the warning code and appends the warning line to `log` (WARNING.LOG, opened by the
// compiler). A write failure is not reported: a warning never stops a compile.
void rix_write_warning(RixImage& image, std::FILE* log, int code);

// Line `line` (1-based, without its line end, at most its first 1023 bytes) of the source file at
// the controller path `path` in the local directory `root`; false when the file or the line does
// not exist. For front ends that show the failing line; a NUL byte in it is shown as "\0", as in
// the report line and the warnings.
bool rix_read_source_line(std::string_view root, std::string_view path, int line, std::string& out);

}  // namespace rokan
