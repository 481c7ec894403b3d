#include "rix/compiler/diagnostics.h"

#include <vector>

#include "platform/file.h"
#include "platform/text.h"
#include "rix/compiler/lex.h"

namespace rokan {
namespace {

// Messages by code, UTF-8, in code order (the list numbers its entries from 0 without gaps).
constexpr const char* kErrorMessages[] = {
#define ROKAN_RIX_ERROR_MESSAGE(name, code, message) message,
    ROKAN_RIX_ERRORS(ROKAN_RIX_ERROR_MESSAGE)
#undef ROKAN_RIX_ERROR_MESSAGE
};
constexpr int kErrorCount = sizeof kErrorMessages / sizeof kErrorMessages[0];
constexpr const char* kUndefinedError = "未定義のエラーです(%d)";

constexpr const char* kWarningMessages[] = {
    "",
    "汎用型変数(%s)は宣言(DEF_VAR)されているが使用されていない．\n",
    "座標型変数(%s)は宣言(DEF_POS)されているが使用されていない．\n",
    "関節型変数(%s)は宣言(DEF_JNT)されているが使用されていない．\n",
    "汎用型変数(%s)は代入されているが参照されていない．\n",
    "座標型変数(%s)は代入されているが参照されていない．\n",
    "関節型変数(%s)は代入されているが参照されていない．\n",
};
constexpr int kWarningCount = sizeof kWarningMessages / sizeof kWarningMessages[0];
constexpr const char* kUndefinedWarning = "未定義の警告です(%d)\n";

std::vector<std::string> to_cp932(const char* const* table, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(utf8_to_cp932(table[i]));
  return out;
}

// The CP932 forms of the tables, converted once.
const std::vector<std::string>& error_messages() {
  static const std::vector<std::string> table = to_cp932(kErrorMessages, kErrorCount);
  return table;
}
const std::vector<std::string>& warning_messages() {
  static const std::vector<std::string> table = to_cp932(kWarningMessages, kWarningCount);
  return table;
}

// `templ` with its one conversion replaced by `value` (already formatted).
std::string fill(std::string_view templ, std::string_view value) {
  std::size_t pct = templ.find('%');  // '%' is never the second byte of a CP932 character
  if (pct == std::string_view::npos) return std::string(templ);
  std::size_t end = templ.find_first_of("sdf", pct);
  if (end == std::string_view::npos) return std::string(templ);
  std::string out(templ.substr(0, pct));
  out.append(value);
  out.append(templ.substr(end + 1));
  return out;
}

template <typename Table>
std::string name_at(const Table& table, double index) {
  if (!(index >= 0) || index >= static_cast<double>(table.size())) return {};
  return table[static_cast<std::size_t>(index)].name;
}

// The variable name that warning or error `code` refers to through error_index.
std::string variable_name(const RixImage& image, int kind) {
  if (kind == 0) return name_at(image.vars, image.error_index);
  if (kind == 1) return name_at(image.pos, image.error_index);
  return name_at(image.jnt, image.error_index);
}

// Text for the operator, the report line and emg.log: a NUL byte of the source (which C text
// would end at, and which a log line must not carry) is shown as the two characters "\0".
std::string without_nul(std::string text) {
  for (std::size_t i = text.find('\0'); i != std::string::npos; i = text.find('\0', i + 2))
    text.replace(i, 1, "\\0");
  return text;
}

}  // namespace

const char* rix_phase_name(int phase) {
  static constexpr const char* kNames[] = {"RIX_NONE", "RIX_INIT", "PHASE1", "PHASE2",
                                           "PHASE3",   "PHASE4",   "RIX_RUN"};
  return phase >= 0 && phase <= rix::RIX_RUN ? kNames[phase] : "MODE_ERR";
}

std::string rix_error_message(const RixImage& image, RixError error) {
  const int code = rix_error_code(error);
  if (code >= kErrorCount) return fill(utf8_to_cp932(kUndefinedError), format("%d", code));
  const std::string& templ = error_messages()[static_cast<std::size_t>(code)];
  switch (error) {
    case RixError::kSourceOpen:
      return fill(templ, image.source_name);
    case RixError::kFormalOpen:
    case RixError::kWrite:
    case RixError::kFormat:
      return fill(templ, kRixFormalFile);
    case RixError::kLabelOpen:
    case RixError::kLabelRead:
      return fill(templ, kRixLabelFile);
    case RixError::kVariableOpen:
      return fill(templ, kRixVariableFile);
    case RixError::kWarningOpen:
      return fill(templ, kRixWarningFile);
    case RixError::kVersion:
      return fill(templ, format("%.3f", image.version));
    case RixError::kStringTooLong:
      return fill(templ, format("%d", static_cast<int>(kRixMessageSlot)));
    case RixError::kVarUnassigned:
    case RixError::kPosUnassigned:
    case RixError::kJntUnassigned:
      return fill(templ, variable_name(image, code - rix_error_code(RixError::kVarUnassigned)));
    case RixError::kStepNumber:
      return fill(templ, format("%d", image.last_index));
    case RixError::kNotImplemented: {
      const char* name = nullptr;
      if (image.pc >= 0 && static_cast<std::size_t>(image.pc) < image.instructions.size()) {
        name = rix_command_name(image.instructions[static_cast<std::size_t>(image.pc)].command);
      }
      return fill(templ, name ? name : "");
    }
    case RixError::kNameTooLong:
      return fill(templ, format("%d", static_cast<int>(kRixNameMax)));
    default:
      return fill(templ, image.error_text);
  }
}

void rix_report_error(RixImage& image, RixError error) {
  std::string message = without_nul(rix_error_message(image, error));
  image.error_code = static_cast<uint8_t>(error);
  std::string line = format("[%s]%04d: ", rix_phase_name(image.phase), image.pc);
  line += sjis_truncate(message, kRixMessageCut);
  image.error_text = sjis_truncate(line, kRixErrorTextMax);
}

void rix_report_error(RixImage& image, RixError error, std::string_view detail) {
  image.error_text = sjis_truncate(detail, kRixDetailMax);
  rix_report_error(image, error);
}

std::string rix_warning_text(const RixImage& image, int code) {
  if (code < 1 || code >= kWarningCount) {
    return fill(utf8_to_cp932(kUndefinedWarning), format("%d", code));
  }
  return without_nul(fill(warning_messages()[static_cast<std::size_t>(code)],
                          variable_name(image, (code - 1) % 3)));
}

void rix_write_warning(RixImage& image, std::FILE* log, int code) {
  image.warning_code = static_cast<uint8_t>(code);
  if (!log) return;
  std::string text = rix_warning_text(image, code);
  std::fwrite(text.data(), 1, text.size(), log);
}

bool rix_read_source_line(std::string_view root, std::string_view path, int line,
                          std::string& out) {
  File f = File::open(root, path, "rb");
  if (!f) return false;
  // The excerpt is the line's first piece; the lines before it are skipped within a bound, so
  // that a source without line ends (a device) cannot hold the report up or fill memory.
  constexpr std::size_t kSkipMax = std::size_t{1} << 24;
  LineReader reader(f, LineReader::Cut::kBetweenCharacters);
  bool found = false;
  while (reader.next(out, kRixPieceMax)) {
    if (reader.line() == line) {
      found = true;
      break;
    }
    if (!reader.skip_rest(kSkipMax)) break;
  }
  if (!found) out.clear();
  out = without_nul(std::move(out));
  return found;
}

}  // namespace rokan
