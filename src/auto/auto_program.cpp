#include "auto/auto_program.h"

#include <array>

#include "auto/gait_common.h"
#include "console/console.h"
#include "core/controller.h"
#include "core/modes.h"
#include "platform/text.h"
#include "rix/runtime/runtime.h"

namespace rokan {

namespace {

int rix_program_step(Controller& c) {
  return rix_step(c) ? 1 : 0;
}

struct AutoProgram {
  const char* name;  // UTF-8; nullptr for an unused number
  int (*step)(Controller&);
};

// The programs by number: a new program is one line.
constexpr AutoProgram kPrograms[kAutoProgramCount] = {
    {"RIX", rix_program_step},
    {"胴体接地歩行（４足同時）", gait1_step},
    {"脚先接地歩行", gait2_step},
    {"胴体接地歩行（古い歩行）", gait3_step},
    {"胴体接地歩行（１足毎）", gait4_step},
    {"バタフライ型（中間なし）", gait5_step},
    {"シャクトリムシ型", gait6_step},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {"DEBUG", debug_program_step},
};
static_assert(kRixProgram == 0);

const AutoProgram* program(int n) {
  if (n < 0 || n >= kAutoProgramCount || !kPrograms[n].step) return nullptr;
  return &kPrograms[n];
}

// The CP932 names, converted once.
const std::string* program_names() {
  static const auto names = [] {
    std::array<std::string, kAutoProgramCount> out;
    for (int n = 0; n < kAutoProgramCount; ++n) {
      if (kPrograms[n].name) out[static_cast<std::size_t>(n)] = utf8_to_cp932(kPrograms[n].name);
    }
    return out;
  }();
  return names.data();
}

}  // namespace

const std::string& auto_program_name(int n) {
  static const std::string empty;
  return program(n) ? program_names()[n] : empty;
}

int run_auto_program(Controller& c, int n) {
  ModeState& m = c.mode;
  if (m.auto_paused) return 1;
  if (m.auto_step == 0) {
    c.auto_state.threshold = 5.0;
    if (n == kRixProgram) {
      rix_reset(c.rix);
      m.auto_step = kRixRunning;
    }
  } else if (m.auto_step == kRixFinished) {
    m.program_ended = true;
    set_mode(c, kManual);  // the step function still runs once below
  }
  const AutoProgram* p = program(n);
  if (!p) {
    report_message(c, "Wrong program no. is selected !");
    return 0;
  }
  return p->step(c);
}

int auto_rix_pc(const Controller& c) {
  return c.rix.pc;
}

}  // namespace rokan
