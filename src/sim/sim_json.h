// JSON dumps of the headless simulator, one object per line (UTF-8). Header-only so that the
// controller library itself does not depend on the JSON library: only rokan-sim and the tests
// include it.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/controller.h"
#include "core/lamps.h"
#include "platform/text.h"
#include "sim/script.h"

namespace rokan {

inline const char* mode_name(int mode) {
  switch (mode) {
    case kManual:
      return "MANUAL";
    case kOrigin:
      return "ORIGIN";
    case kAuto:
      return "AUTO";
    case kEmg:
      return "EMG";
    default:
      return "?";
  }
}

inline nlohmann::ordered_json sim_json(const Controller& c, DumpKind kind) {
  using json = nlohmann::ordered_json;
  auto triple = [](const double* v) { return json::array({v[0], v[1], v[2]}); };
  switch (kind) {
    case DumpKind::kState: {
      json legs = json::array();
      for (int n = 0; n < 4; ++n) {
        const LegServo& s = c.servo[n];
        legs.push_back({{"angle", triple(c.state.angle[n])},
                        {"foot", triple(c.state.point[n][kFoot])},
                        {"goal", triple(s.goal)},
                        {"raw", triple(c.sensor.raw[n])},
                        {"order", triple(s.order)},
                        {"control_mode",
                         json::array({s.control_mode[0], s.control_mode[1], s.control_mode[2]})},
                        {"pending", s.pending ? 1 : 0}});
      }
      return {{"kind", "state"},
              {"tick", c.cycle.tick_count},
              {"time", c.cycle.elapsed},
              {"mode", mode_name(c.mode.mode)},
              {"selected_leg", c.mode.selected_leg},
              {"legs", legs}};
    }
    case DumpKind::kStrip:
      return {{"kind", "strip"},
              {"mode_line", cp932_to_utf8(c.console.lines[0])},
              {"status_line", cp932_to_utf8(c.console.lines[1])},
              {"prompt_line", cp932_to_utf8(c.console.lines[2])}};
    case DumpKind::kScreen: {
      json lines = json::array();
      for (int i = 1; i <= kTextLines; ++i) lines.push_back(cp932_to_utf8(c.console.screen[i]));
      return {{"kind", "screen"}, {"lines", lines}};
    }
    case DumpKind::kLamps: {
      json lamps = json::array();
      for (bool lit : lamp_states(c)) lamps.push_back(lit);
      return {{"kind", "lamps"}, {"lamps", lamps}};
    }
  }
  return {};
}

// The dump as one line, without the line end. Invalid text is replaced rather than thrown on.
inline std::string sim_json_line(const Controller& c, DumpKind kind) {
  return sim_json(c, kind).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace rokan
