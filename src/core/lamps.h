// The twelve lamps of the control panel as booleans (true = lit), LAMP1 to LAMP12, from the
// controller's state. The GUI paints them; the headless simulator dumps them.
#pragma once

#include <array>

namespace rokan {

struct Controller;

inline constexpr int kLampCount = 12;

std::array<bool, kLampCount> lamp_states(const Controller& c);

}  // namespace rokan
