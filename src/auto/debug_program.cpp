// Program 9, DEBUG: a test sequence that logs leg 0 moving 50 mm in x, 100 mm in y and 100 mm up,
// then returns every leg to the initial posture and ends in MANUAL with logging off. It waits
// only in its own wait steps and ignores a reserved stop.
#include "auto/gait_common.h"
#include "core/controller.h"
#include "core/logger.h"
#include "core/modes.h"
#include "motion/motion.h"

namespace rokan {

// Steps 140..150.
int debug_program_step(Controller& c) {
  uint8_t& step = c.mode.auto_step;
  switch (step) {
    case 0:
      step = 140;
      break;
    case 1:
      return finish_run(c);
    case 140:
      c.logger.state = kLogContinuous;
      move_leg_by(c, 0, 50, 0, 0);
      step = 141;
      break;
    case 141:
    case 143:
    case 145:
    case 147:
      if (!legs_moving(c)) ++step;
      break;
    case 142:
      move_leg_by(c, 0, 0, 100, 0);
      step = 143;
      break;
    case 144:
      move_leg_by(c, 0, 0, 0, 100);
      step = 145;
      break;
    case 146:
      initial_posture_moves(c);
      step = 147;
      break;
    case 148:
      c.logger.state = kLogOff;
      step = 149;
      break;
    case 149:
    case 150:
      step = step == 149 ? 150 : 1;
      break;
    default:
      return 0;
  }
  return 1;
}

}  // namespace rokan
