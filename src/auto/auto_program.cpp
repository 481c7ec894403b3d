#include "auto/auto_program.h"

#include "auto/gait_common.h"
#include "console/console.h"
#include "core/controller.h"
#include "core/modes.h"
#include "platform/text.h"
#include "rix/runtime/runtime.h"

namespace rokan {

const std::string& auto_program_name(int n) {
  static const std::string empty;
  switch (n) {
    case 0:
      return SJ("RIX");
    case 1:
      return SJ("胴体接地歩行（４足同時）");
    case 2:
      return SJ("脚先接地歩行");
    case 3:
      return SJ("胴体接地歩行（古い歩行）");
    case 4:
      return SJ("胴体接地歩行（１足毎）");
    case 5:
      return SJ("バタフライ型（中間なし）");
    case 6:
      return SJ("シャクトリムシ型");
    case 9:
      return SJ("DEBUG");
    default:
      return empty;
  }
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
    m.program_ended = 1;
    set_mode(c, kManual);  // the step function still runs once below
  }
  switch (n) {
    case kRixProgram:
      return rix_step(c) ? 1 : 0;
    case 1:
      return gait1_step(c);
    case 2:
      return gait2_step(c);
    case 3:
      return gait3_step(c);
    case 4:
      return gait4_step(c);
    case 5:
      return gait5_step(c);
    case 6:
      return gait6_step(c);
    case 9:
      return debug_program_step(c);
    default:
      report_message(c, "Wrong program no. is selected !");
      return 0;
  }
}

int auto_rix_pc(const Controller& c) {
  return c.rix.pc;
}

}  // namespace rokan
