// Pass 2: collects labels (through LABEL.TMP) and variables (from VARIABLE.TMP), finds the END
// statement, counts messages, and refuses duplicate labels and variable names.
#include <charconv>
#include <new>

#include "platform/text.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/compiler/passes.h"

namespace rokan {
namespace {

bool write_label(std::FILE* f, char kind, std::string_view name, int32_t index) {
  std::string line(1, kind);
  line += '\t';
  line += name;
  line += format("\t%d\n", index);
  return std::fwrite(line.data(), 1, line.size(), f) == line.size();
}

// One LABEL.TMP line: kind letter, tab, name, tab, statement index.
bool parse_label(std::string_view line, RixLabel& out) {
  if (line.size() < 2 || line[1] != '\t') return false;
  out.kind = line[0];
  if (out.kind != 'L' && out.kind != 'S') return false;
  std::size_t tab = line.find('\t', 2);
  if (tab == std::string_view::npos || tab == 2) return false;
  out.name = std::string(line.substr(2, tab - 2));
  const char* first = line.data() + tab + 1;
  const char* last = line.data() + line.size();
  auto res = std::from_chars(first, last, out.index);
  return res.ec == std::errc() && res.ptr != first;
}

// Scans FORMAL.TMP up to END and writes LABEL.TMP, with the number of labels written in
// `label_count`; false (the error set) when a file cannot be opened or a statement is wrong.
bool scan_statements(RixCompile& cx, int& label_count) {
  RixImage& image = cx.image;
  RixFile labels, formal;
  if (!labels.open(image.workspace, rix_work_path(image, kRixLabelFile), "w"))
    return rix_fail(cx, RixError::kLabelOpen);
  if (!formal.open(image.workspace, rix_work_path(image, kRixFormalFile), "r"))
    return rix_fail(cx, RixError::kFormalOpen);

  LineReader reader(formal.f);
  std::string line;
  int32_t index = 0;
  bool end_found = false;
  label_count = 0;
  while (reader.next(line, LineReader::kWholeLine)) {
    image.pc = index;
    std::vector<std::string_view> tokens = split_tokens(line);
    if (tokens.empty()) return rix_fail(cx, RixError::kFormat);
    if (keyword_is(tokens[0], "END")) {
      end_found = true;
      break;
    }
    char kind = 0;
    std::string_view name;
    if (keyword_is(tokens[0], "MESSAGE")) {
      ++image.message_count;
    } else if (keyword_is(tokens[0], "SUBROUTINE")) {
      if (tokens.size() < 2 || !ends_with_colon(tokens[1])) return rix_fail(cx, RixError::kFormat);
      kind = 'S';
      name = tokens[1];
    } else if (ends_with_colon(tokens[0])) {
      kind = 'L';
      name = tokens[0];
    }
    if (kind) {
      // The label table holds names of at most 31 bytes; a longer one is a format error.
      if (name.size() > kRixLabelMax) return rix_fail(cx, RixError::kFormat);
      if (!write_label(labels.f, kind, name, index)) return rix_fail(cx, RixError::kLabelOpen);
      ++label_count;
    }
    ++index;
  }
  if (!end_found) {
    image.pc = index;
    return rix_fail(cx, RixError::kNoEnd);
  }
  image.last_index = index;
  if (!labels.close()) return rix_fail(cx, RixError::kLabelOpen);
  return true;
}

bool read_labels(RixCompile& cx, int count) {
  RixImage& image = cx.image;
  if (count == 0) return true;
  try {
    image.labels.reserve(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    return rix_fail(cx, RixError::kMemory);
  }
  RixFile file;
  if (!file.open(image.workspace, rix_work_path(image, kRixLabelFile), "r"))
    return rix_fail(cx, RixError::kLabelRead);
  LineReader reader(file.f);
  std::string line;
  for (int i = 0; i < count; ++i) {
    RixLabel label;
    if (!reader.next(line, LineReader::kWholeLine) || !parse_label(line, label))
      return rix_fail(cx, RixError::kLabelRead);
    image.labels.push_back(std::move(label));
  }

  // Duplicate names (letter case ignored; "LOOP:" may repeat). The error stands at the first
  // label that has a later namesake.
  int first_dup = -1;
  for (std::size_t i = 0; i < image.labels.size(); ++i) {
    std::vector<int>& same = cx.labels[fold_case(image.labels[i].name)];
    same.push_back(static_cast<int>(i));
    if (same.size() >= 2 && !label_names_equal(image.labels[i].name, "LOOP:") &&
        (first_dup < 0 || same[0] < first_dup)) {
      first_dup = same[0];
    }
  }
  if (first_dup >= 0) {
    image.pc = image.labels[static_cast<std::size_t>(first_dup)].index;
    return rix_fail(cx, RixError::kDuplicateLabel);
  }
  return true;
}

bool read_variables(RixCompile& cx) {
  RixImage& image = cx.image;
  RixFile file;
  if (!file.open(image.workspace, rix_work_path(image, kRixVariableFile), "r"))
    return rix_fail(cx, RixError::kVariableOpen);
  LineReader reader(file.f);
  std::string line;
  std::size_t n = 0;
  // Name -> source line of its second declaration, for the duplicate check.
  std::unordered_map<std::string, int32_t> again;
  try {
    while (reader.next(line, LineReader::kWholeLine)) {
      if (line.size() < 3 || line[1] != ' ') return rix_fail(cx, RixError::kSevere);
      std::string name = line.substr(2);
      int32_t decl_line = n < cx.declaration_lines.size() ? cx.declaration_lines[n] : 0;
      ++n;
      if (name.size() > kRixNameMax) {
        cx.error_line = decl_line;
        return rix_fail(cx, RixError::kNameTooLong);
      }
      RixVarRef ref{line[0], 0};
      switch (line[0]) {
        case 'V':
          ref.index = static_cast<int>(image.vars.size());
          image.vars.push_back(RixVar{name, kRixUnset, 0});
          cx.var_lines.push_back(decl_line);
          break;
        case 'P':
          ref.index = static_cast<int>(image.pos.size());
          image.pos.push_back(RixVectorVar{name, {kRixUnset, kRixUnset, kRixUnset}, 0});
          cx.pos_lines.push_back(decl_line);
          break;
        case 'J':
          ref.index = static_cast<int>(image.jnt.size());
          image.jnt.push_back(RixVectorVar{name, {kRixUnset, kRixUnset, kRixUnset}, 0});
          cx.jnt_lines.push_back(decl_line);
          break;
        default:
          return rix_fail(cx, RixError::kSevere);
      }
      if (!cx.variables.emplace(name, ref).second) again.emplace(name, decl_line);
    }
  } catch (const std::bad_alloc&) {
    return rix_fail(cx, RixError::kVariableMemory);
  }

  // A name declared twice, in any of the kinds: reported for the first such name in the order
  // general, coordinate, joint.
  auto check = [&](const auto& table) {
    for (const auto& v : table) {
      auto it = again.find(v.name);
      if (it != again.end()) {
        cx.error_line = it->second;
        return rix_fail(cx, RixError::kDuplicateVariable, v.name);
      }
    }
    return true;
  };
  return check(image.vars) && check(image.pos) && check(image.jnt);
}

}  // namespace

bool rix_pass2(RixCompile& cx) {
  int label_count = 0;
  if (!scan_statements(cx, label_count)) return false;
  if (!read_labels(cx, label_count)) return false;
  return read_variables(cx);
}

}  // namespace rokan
