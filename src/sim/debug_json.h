// The `dump rix` line of rokan-sim: the debugger's view of the RIX program as one JSON object
// (UTF-8). Header-only for the same reason as sim_json.h: the controller library does not
// depend on the JSON library.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/controller.h"
#include "debug/debugger.h"
#include "platform/text.h"

namespace rokan {

inline nlohmann::ordered_json rix_debug_json(const RixDebugger& d, const Controller& c) {
  using json = nlohmann::ordered_json;
  const RixImage& im = c.rix;
  const RixRunState state = rix_debug_state(d, c);
  const int32_t pc = rix_debug_pc(d, c);

  RixStopReason reason = RixStopReason::kNone;
  if (state == RixRunState::kPaused) reason = d.stop.reason;
  if (state == RixRunState::kEnded && d.error.reason != RixStopReason::kNone)
    reason = RixStopReason::kError;

  json motion = json::array();
  for (int leg = 0; leg < kLegCount; ++leg) {
    const int32_t at = rix_debug_motion_pc(d, c, leg);
    motion.push_back(at < 0 ? json(nullptr) : json(rix_debug_line_of(im, at)));
  }
  json stack = json::array();
  for (const RixDebugFrame& f : rix_debug_frames(d, c))
    stack.push_back({{"name", cp932_to_utf8(f.name)}, {"line", f.line}});

  json variables = json::array();
  for (const RixDebugVariable& v : rix_debug_variables(im)) {
    json value;
    if (v.count == 1) {
      value = v.is_set(0) ? json(v.value[0]) : json(nullptr);
    } else if (v.is_set(0) || v.is_set(1) || v.is_set(2)) {
      value = json::array();
      for (int k = 0; k < 3; ++k) value.push_back(v.is_set(k) ? json(v.value[k]) : json(nullptr));
    }
    const char* kind = v.kind == RixVarKind::kPos   ? "pos"
                       : v.kind == RixVarKind::kJnt ? "jnt"
                                                    : "var";
    variables.push_back({{"name", cp932_to_utf8(v.name)}, {"kind", kind}, {"value", value}});
  }

  json error = nullptr;
  if (d.error.reason != RixStopReason::kNone &&
      (state == RixRunState::kEnded || state == RixRunState::kPaused))
    error = cp932_to_utf8(d.error.text);

  json reason_json =
      reason == RixStopReason::kNone ? json(nullptr) : json(rix_stop_reason_name(reason));
  return {{"kind", "rix"},
          {"state", rix_run_state_name(state)},
          {"reason", reason_json},
          {"line", rix_debug_line_of(im, pc)},
          {"pc", pc},
          {"motion", motion},
          {"stack", stack},
          {"variables", variables},
          {"error", error}};
}

inline std::string rix_debug_json_line(const RixDebugger& d, const Controller& c) {
  return rix_debug_json(d, c).dump(-1, ' ', false,
                                   nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace rokan
