#include "auto/auto_program.h"

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

// The gait programs and the RIX runtime are not part of the controller yet: every program
// number that names a program fails its first step, so a started run ends at once in EMG with
// the generic runtime error instead of pretending to move.
int run_auto_program(Controller& c, int n) {
  if (c.mode.auto_paused) return 1;
  if (n < 0 || n >= kAutoProgramCount) {
    report_message(c, "Wrong program no. is selected !");
    return 0;
  }
  if (c.mode.auto_step == 0) {
    if (n == 0) {
      rix_reset(c.rix);
      c.mode.auto_step = 151;
    }
  } else if (c.mode.auto_step == 153) {
    set_mode(c, kManual);
  }
  if (n == 0) return rix_step(c) ? 1 : 0;
  return 0;
}

int auto_rix_pc(const Controller& c) {
  return c.rix.pc;
}

}  // namespace rokan
