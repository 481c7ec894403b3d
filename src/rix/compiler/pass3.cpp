// Pass 3: compiles every statement up to END into the instruction array, then checks how the
// variables are used: a variable read but never written is an error, one never read a warning.
#include <new>

#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/compiler/passes.h"

namespace rokan {
namespace {

// Usage check of one table. `error` is the table kind's "referenced but never assigned" error
// and `warn` the first warning code (1, 2, 3) of the table's kind.
template <typename Table>
bool check_usage(RixCompile& cx, const Table& table, const std::vector<int32_t>& lines,
                 uint8_t referenced, uint8_t assigned, RixError error, int warn) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    uint8_t usage = table[i].usage;
    cx.image.error_index = static_cast<double>(i);
    if ((usage & referenced) && !(usage & assigned)) {
      cx.error_line = i < lines.size() ? lines[i] : 0;
      rix_report_error(cx.image, error);
      return false;
    }
    if (!(usage & referenced)) {
      rix_write_warning(cx.image, cx.warning_log.f, (usage & assigned) ? warn + 3 : warn);
    }
  }
  return true;
}

}  // namespace

bool rix_pass3(RixCompile& cx) {
  RixImage& image = cx.image;
  try {
    image.instructions.assign(static_cast<std::size_t>(image.last_index) + 1, RixInstruction{});
    image.messages.assign(static_cast<std::size_t>(image.message_count), RixMessage{});
  } catch (const std::bad_alloc&) {
    return rix_fail(cx, RixError::kProgramMemory);
  }
  image.next_message = 0;

  RixFile formal;
  if (!formal.open(image.workspace, rix_work_path(image, kRixFormalFile), "r"))
    return rix_fail(cx, RixError::kFormalOpen);
  LineReader reader(formal.f);
  std::string line;
  int32_t index = 0;
  bool end_reached = false;
  while (!end_reached && index <= image.last_index && reader.next(line, LineReader::kWholeLine)) {
    image.pc = index;
    RixInstruction record;
    if (!rix_compile_statement(cx, line, record)) return false;
    if (!rix_store(image, record)) return rix_fail(cx, RixError::kSevere);
    end_reached = record.command == rix::END;
    ++index;
  }
  formal.close();
  if (!end_reached) return rix_fail(cx, RixError::kNoEnd);

  auto key = cx.variables.find("VAR_KEY");
  if (key == cx.variables.end() || key->second.kind != 'V') return rix_fail(cx, RixError::kSevere);
  image.vars[static_cast<std::size_t>(key->second.index)].usage |=
      kRixVarReferenced | kRixVarAssigned;

  return check_usage(cx, image.vars, cx.var_lines, kRixVarReferenced, kRixVarAssigned,
                     RixError::kVarUnassigned, 1) &&
         check_usage(cx, image.pos, cx.pos_lines, kRixPosReferenced, kRixPosAssigned,
                     RixError::kPosUnassigned, 2) &&
         check_usage(cx, image.jnt, cx.jnt_lines, kRixJntReferenced, kRixJntAssigned,
                     RixError::kJntUnassigned, 3);
}

}  // namespace rokan
