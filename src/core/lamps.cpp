#include "core/lamps.h"

#include "core/controller.h"
#include "core/logger.h"

namespace rokan {

std::array<bool, kLampCount> lamp_states(const Controller& c) {
  std::array<bool, kLampCount> lit{};
  lit[0] = c.mode.mode == kManual;
  lit[1] = c.mode.mode == kOrigin;
  lit[2] = c.mode.mode == kAuto;
  lit[3] = c.mode.mode == kEmg;
  lit[4] = c.mode.initial_reached;
  lit[5] = c.mode.auto_running;
  lit[6] = c.mode.emg_enable;
  lit[7] = logging_lamp(c);
  for (int leg = 0; leg < kLegCount; ++leg) lit[8 + leg] = c.servo[leg].pending;
  return lit;
}

}  // namespace rokan
