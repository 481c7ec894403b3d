#include "rix/compiler/diagnostics.h"

#include <vector>

#include "platform/paths.h"
#include "platform/text.h"
#include "rix/compiler/lex.h"

namespace rokan {
namespace {

// Messages by code, UTF-8; each holds at most one conversion (%s, %d or %.3lf).
constexpr const char* kErrorMessages[] = {
    "",
    "ファイル名（フォルダ名含む）が長過ぎます",
    "RIXソースファイルが開けません(%s)",
    "RIX中間言語ファイルが開けません(%s)",
    "RIXラベル一覧ファイルが開けません(%s)",
    "変数テーブルファイルが開けません(%s)",
    "警告ログファイルが開けません(%s)",
    "バージョン番号不一致(≠ %.3lf)",
    "ファイル書き込み不可(%s).",
    "複数コマンドが一行に混在しています",
    "'END'コマンドが存在しません.",
    "Format error(%s).",
    "Not enough memory.",
    "ラベル一覧ファイルが読めません(%s)",
    "多重ラベル定義エラー",
    "Not enough memory for user program.",
    "Not enough memory for variable table.",
    "Not enough memory for control statement stack.",
    "文字列が長過ぎます > (%d)byte.",
    "汎用型変数(%s)は参照されるが代入されていない",
    "座標型変数(%s)は参照されるが代入されていない",
    "関節型変数(%s)は参照されるが代入されていない",
    "Unknown command(%s).",
    "Domain Error.",
    "Target Error.",
    "ラベル(%s)は存在しません.",
    "条件式書式エラー",
    "数式書式エラー",
    "ステップ番号が異常です(max = %d)",
    "未実装(%s)",
    "引数が正しくありません",
    "変数の型が正しくありません",
    "未定義のEVENT_FLAGです",
    "未定義のTARGETです",
    "動作モードが不適当です",
    "メモリのヒープ領域が破壊されました(要debug)",
    "サブルーチンコールのネストが深すぎます",
    "GOSUBとRETURNの対応が正しくありません",
    "GOSUB/RETURN用スタック領域に不正なデータが存在します(要debug)",
    "深刻なエラーです(要debug)",
    "未定義(DEF_\?\?\?)の変数です．",
    "変数名の長さが長過ぎます(<=%d)",
    "同じ名前の変数が複数宣言されています(%s)．",
    "IF_THEN_ELSE_ENDIFの対応が正しくありません．",
    "WHILE-WENDの対応が正しくありません．",
    "REPEAT-UNTILの対応が正しくありません．",
    "FOR-NEXTの対応が正しくありません．",
    "SUBROUTINEの開始位置が正しくありません．",
    "SUBROUTINE-SUBENDの対応が正しくありません．",
    "サブルーチンがGOTOで呼び出された(%s)．",
    "CALLしているラベルはSUBROUTINEではない(%s)",
    "サブルーチンはCALL以外のコマンドで呼び出されました．",
    "サブルーチン外から内へのGOTOは禁止です．",
    "サブルーチン内から外へのGOTOは禁止です．",
    "FOR-NEXTブロックへの不正なジャンプが発生しました．",
    "制御構文が閉じていません(ENDIFなど)",
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

std::string rix_error_message(const RixImage& image, int code) {
  if (code < 0 || code >= kErrorCount) {
    return fill(utf8_to_cp932(kUndefinedError), format("%d", code));
  }
  const std::string& templ = error_messages()[static_cast<std::size_t>(code)];
  switch (code) {
    case 2:
      return fill(templ, image.source_name);
    case 3:
    case 8:
    case 11:
      return fill(templ, kRixFormalFile);
    case 4:
    case 13:
      return fill(templ, kRixLabelFile);
    case 5:
      return fill(templ, kRixVariableFile);
    case 6:
      return fill(templ, kRixWarningFile);
    case 7:
      return fill(templ, format("%.3f", image.version));
    case 18:
      return fill(templ, format("%d", static_cast<int>(kRixMessageSlot)));
    case 19:
    case 20:
    case 21:
      return fill(templ, variable_name(image, code - 19));
    case 28:
      return fill(templ, format("%d", image.last_index));
    case 29: {
      const char* name = nullptr;
      if (image.pc >= 0 && static_cast<std::size_t>(image.pc) < image.instructions.size()) {
        name = rix_command_name(image.instructions[static_cast<std::size_t>(image.pc)].command);
      }
      return fill(templ, name ? name : "");
    }
    case 41:
      return fill(templ, format("%d", static_cast<int>(kRixNameMax)));
    default:
      return fill(templ, image.error_text);
  }
}

void rix_report_error(RixImage& image, int code) {
  std::string message = without_nul(rix_error_message(image, code));
  image.error_code = static_cast<uint8_t>(code);
  std::string line = format("[%s]%04d: ", rix_phase_name(image.phase), image.pc);
  line += sjis_truncate(message, kRixMessageCut);
  image.error_text = sjis_truncate(line, kRixErrorTextMax);
}

void rix_report_error(RixImage& image, int code, std::string_view detail) {
  image.error_text = sjis_truncate(detail, kRixDetailMax);
  rix_report_error(image, code);
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
  std::FILE* f = open_file(root, path, "rb");
  if (!f) return false;
  // The excerpt is the line's first piece; the lines before it are skipped within a bound, so
  // that a source without line ends (a device) cannot hold the report up or fill memory.
  constexpr std::size_t kSkipMax = std::size_t{1} << 24;
  RixLineReader reader(f);
  bool found = false;
  while (reader.next_piece(out, kRixPieceMax)) {
    if (reader.line == line) {
      found = true;
      break;
    }
    if (!reader.skip_rest_of_line(kSkipMax)) break;
  }
  std::fclose(f);
  if (!found) out.clear();
  out = without_nul(std::move(out));
  return found;
}

}  // namespace rokan
