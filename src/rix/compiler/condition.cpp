// A condition compiled on its own against a compiled program's variables, for tools that test
// program values the language's own way (the debugger's breakpoint conditions). It goes through
// the statement compiler as the condition of an UNTIL statement, on a scratch image that holds
// only the variable names, so the program's image (error fields, usage marks) stays as it was.
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/passes.h"

namespace rokan {

bool rix_compile_condition(const RixImage& program, std::string_view text, RixInstruction& out,
                           std::string& error) {
  RixImage scratch;
  scratch.phase = rix::PHASE3;
  RixCompile cx(scratch);
  auto names = [&](const auto& table, auto& into, char kind) {
    into.resize(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
      into[i].name = table[i].name;
      cx.variables.emplace(table[i].name, RixVarRef{kind, static_cast<int>(i)});
    }
  };
  names(program.vars, scratch.vars, 'V');
  names(program.pos, scratch.pos, 'P');
  names(program.jnt, scratch.jnt, 'J');

  std::string statement = "UNTIL ";
  statement += text;
  if (rix_compile_statement(cx, statement, out)) {
    error.clear();
    return true;
  }
  // The report line without its "[PHASE3]0000: " head, which names no place in the program.
  const std::size_t head = scratch.error_text.find(": ");
  error = head == std::string::npos ? scratch.error_text : scratch.error_text.substr(head + 2);
  if (error.empty()) error = rix_error_message(scratch, static_cast<RixError>(scratch.error_code));
  return false;
}

}  // namespace rokan
