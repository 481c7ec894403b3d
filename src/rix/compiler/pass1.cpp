// Pass 1: normalises the source into FORMAL.TMP (one trimmed statement per line, comments
// removed, MESSAGE words joined by tabs) and collects the declarations into VARIABLE.TMP.
#include "platform/text.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/compiler/passes.h"

namespace rokan {
namespace {

bool write_text(std::FILE* f, std::string_view s) {
  return s.empty() || std::fwrite(s.data(), 1, s.size(), f) == s.size();
}

bool write_line(std::FILE* f, std::string_view a, std::string_view b = {}) {
  return write_text(f, a) && write_text(f, b) && std::fputc('\n', f) != EOF;
}

// The MESSAGE statement as later passes read it: the words joined by single tabs, or, for
// "MESSAGE :", the label "MESSAGE:" (anything after the colon stays, so that the label check of
// pass 3 refuses it instead of the text vanishing).
std::string normalise_message(const std::vector<std::string_view>& tokens) {
  std::string out(tokens[0]);
  std::size_t first = 1;
  if (tokens.size() >= 2 && tokens[1] == ":") {
    out += ':';
    first = 2;
  }
  for (std::size_t i = first; i < tokens.size(); ++i) {
    out += '\t';
    out += tokens[i];
  }
  return out;
}

// True when the last character of s is a '/' (not the second byte of a double-byte one).
bool ends_in_slash(std::string_view s) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); i = sjis_next(s, i)) last = i;
  return last != std::string_view::npos && last + 1 == s.size() && s[last] == '/';
}

struct Pass1 {
  RixCompile& cx;
  RixFile formal, variables;
  int32_t statements = 0;
  int32_t declared = 0;

  bool declare(const std::vector<std::string_view>& names, char kind) {
    for (std::size_t i = 1; i < names.size(); ++i) {
      if (names[i].size() > kRixNameMax) {
        cx.image.pc = statements;
        return rix_fail(cx, RixError::kNameTooLong);
      }
      if (++declared > kRixMaxVariables) return rix_fail(cx, RixError::kVariableMemory);
      const char prefix[2] = {kind, ' '};
      if (!write_line(variables.f, std::string_view(prefix, 2), names[i])) {
        return rix_fail(cx, RixError::kVariableOpen);
      }
      cx.declaration_lines.push_back(cx.source_line);
    }
    return true;
  }

  bool statement(std::string_view text) {
    text = trim(text);
    if (text.empty()) return true;
    cx.image.pc = statements;

    // A statement of commas alone has no declaration tokens.
    std::vector<std::string_view> decl = split_tokens(text, true);
    if (!decl.empty()) {
      if (keyword_is(decl[0], "DEF_VAR")) return declare(decl, 'V');
      if (keyword_is(decl[0], "DEF_POS")) return declare(decl, 'P');
      if (keyword_is(decl[0], "DEF_JNT")) return declare(decl, 'J');
    }

    std::string normal;
    std::vector<std::string_view> tokens = split_tokens(text);
    if (keyword_is(tokens[0], "MESSAGE")) {
      normal = normalise_message(tokens);
      text = normal;
    }
    if (statements >= kRixMaxStatements) return rix_fail(cx, RixError::kProgramMemory);
    if (!write_line(formal.f, text)) return rix_fail(cx, RixError::kWrite);
    cx.image.source_lines.push_back(cx.source_line);
    ++statements;
    return true;
  }
};

}  // namespace

bool rix_pass1(RixCompile& cx, LineReader& source) {
  Pass1 p{cx, {}, {}};
  if (!p.formal.open(cx.image.workspace, rix_work_path(cx.image, kRixFormalFile), "w"))
    return rix_fail(cx, RixError::kFormalOpen);
  if (!p.variables.open(cx.image.workspace, rix_work_path(cx.image, kRixVariableFile), "w"))
    return rix_fail(cx, RixError::kVariableOpen);
  if (!write_line(p.variables.f, "V VAR_KEY")) return rix_fail(cx, RixError::kVariableOpen);
  cx.declaration_lines.push_back(0);

  std::string piece, ahead;
  bool have_ahead = false;
  for (;;) {
    if (have_ahead) {
      piece.swap(ahead);
      have_ahead = false;
    } else if (!source.next(piece, kRixPieceMax)) {
      break;
    }
    cx.source_line = source.line();
    std::size_t comment = find_comment(piece);
    // A "//" split by the piece boundary still starts a comment: look at the next piece of the
    // same line when this one ends in a lone '/'.
    if (comment == std::string::npos && !source.at_line_start() && ends_in_slash(piece) &&
        source.next(ahead, kRixPieceMax)) {
      if (!ahead.empty() && ahead[0] == '/') {
        comment = piece.size() - 1;
      } else {
        have_ahead = true;
      }
    }
    // A comment runs to the end of the physical line, however many pieces that takes.
    if (comment != std::string::npos) source.skip_rest(static_cast<std::size_t>(-1));
    std::string_view rest(piece);
    rest = rest.substr(0, std::min(rest.size(), comment));
    for (;;) {
      std::size_t semi = find_semicolon(rest);
      if (!p.statement(rest.substr(0, semi))) return false;
      if (semi == std::string_view::npos) break;
      rest = rest.substr(semi + 1);
    }
  }
  if (!p.formal.close()) return rix_fail(cx, RixError::kWrite);
  if (!p.variables.close()) return rix_fail(cx, RixError::kVariableOpen);
  return true;
}

}  // namespace rokan
