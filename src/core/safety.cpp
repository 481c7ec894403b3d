// The safety monitor, once per cycle after drawing. The converter band and the joint limits are
// fixed values (they equal the PT_LIMIT and LIMIT_* defaults); the monitor does not read those
// parameters, so an edited parameter file cannot widen the limits that stop the robot.
#include "core/safety.h"

#include <cmath>
#include <cstdint>

#include "console/console.h"
#include "core/controller.h"
#include "core/servo.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr int kCountMax = kConverterZeroCount + 2000;  // safe converter band, counts
constexpr int kCountMin = kConverterZeroCount - 2000;

constexpr double kTheta2Max = 1.0471975511965976;   // 60 deg
constexpr double kTheta2Min = -1.2217304763960306;  // -70 deg
constexpr double kTheta3Max = 0.0;
constexpr double kTheta3Min = -2.0943951023931953;  // -120 deg
constexpr double kRelMin = -2.530727415391778;      // theta3 - theta2 >= -145 deg
// theta1 bounds per leg, {max, min}.
constexpr double kTheta1[kLegCount][2] = {
    {4.014257279586958, 1.1344640137963142},     // 230, 65 deg
    {1.8325957145940461, -0.8726646259971648},   // 105, -50 deg
    {5.148721293383272, 2.2689280275926285},     // 295, 130 deg
    {0.8726646259971648, -1.8325957145940461}};  // 50, -105 deg

// The count as the converter register would hold it: truncated toward zero, kept to 16 bits
// (so a negative count reads as a large one). Counts too large for an integer read as the top.
int register_count(double raw) {
  double t = std::trunc(raw);
  if (!(std::fabs(t) < 2147483648.0)) return 0xFFFF;
  return static_cast<uint16_t>(static_cast<int32_t>(t));
}

bool outside(double v, double max, double min) {
  return v > max || v < min;
}

// angle_limit_check's tests without the reports: true when it would report something. The
// monitor asks this first in every cycle (it is mostly false) and lets angle_limit_check
// report only then.
// Every test is made (| rather than ||): they have no effects, and one answer from all of them
// costs less than a branch after each.
bool any_angle_outside(const double angles[kLegCount * kJointsPerLeg]) {
  bool any = false;
  for (int n = 0; n < kLegCount; ++n) {
    const double t1 = angles[n * 3], t2 = angles[n * 3 + 1], t3 = angles[n * 3 + 2];
    any |= (t1 > kTheta1[n][0]) | (t1 < kTheta1[n][1]) | (t2 > kTheta2Max) | (t2 < kTheta2Min) |
           (t3 > kTheta3Max) | (t3 < kTheta3Min) | (t3 - t2 < kRelMin);
  }
  return any;
}

}  // namespace

int angle_limit_check(Controller& c, const double angles[kLegCount * kJointsPerLeg]) {
  double rel[kLegCount];
  for (int n = 0; n < 4; ++n) rel[n] = angles[n * 3 + 2] - angles[n * 3 + 1];
  int violated = 0;
  auto report = [&](const char* fmt, int n, double rad) {
    report_message(c, format(fmt, n, rad_to_deg_in_steps(rad)));
    violated = 1;
  };
  for (int n = 0; n < 4; ++n) {
    double t2 = angles[n * 3 + 1], t3 = angles[n * 3 + 2];
    if (outside(t2, kTheta2Max, kTheta2Min)) report("ABS_ANGLE_OVER: JOINT%1d1 = %lf", n, t2);
    if (outside(t3, kTheta3Max, kTheta3Min)) report("ABS_ANGLE_OVER: JOINT%1d2 = %lf", n, t3);
    if (rel[n] < kRelMin) report("REL_ANGLE_OVER: JOINT%1d2 = %lf", n, rel[n]);
  }
  for (int n = 0; n < 4; ++n) {
    double t1 = angles[n * 3];
    if (outside(t1, kTheta1[n][0], kTheta1[n][1])) report("ABS_ANGLE_OVER: JOINT%1d0 = %lf", n, t1);
  }
  return violated;
}

void safety_check(Controller& c) {
  SafetyState& sf = c.safety;
  if (!sf.pt_check_off) {
    // Outside EMG every joint out of the band stops the robot and is reported (also after the
    // operator left EMG with the count still out); in EMG only a joint that has just left it.
    const bool was_emg = c.mode.mode == kEmg;
    for (int n = 0; n < 4; ++n) {
      for (int j = 0; j < 3; ++j) {
        // A count in [48, 4049) is in the band as it is; only others need the register's
        // truncation and wrap-around (the same test, taken the long way).
        const double raw = c.sensor.raw[n][j];
        const bool plainly_within = raw >= kCountMin && raw < kCountMax + 1;
        int count = plainly_within ? kCountMin : register_count(raw);
        if (count <= kCountMax && count >= kCountMin) {
          sf.pt_reported[n][j] = false;
          continue;
        }
        if (was_emg && sf.pt_reported[n][j]) continue;
        sf.pt_reported[n][j] = true;
        emergency_stop(c, format("EMG:PT_LIMIT_OVER: PT%1d%1d = %d", n, j, count));
      }
    }
  }

  if (!c.safety.angle_latch) {
    if (any_angle_outside(&c.state.angle[0][0]) && angle_limit_check(c, &c.state.angle[0][0])) {
      emergency_stop(c, "EMG:ANGLE_LIMIT");
      c.safety.angle_latch = true;
    }
    double ref[kLegCount * kJointsPerLeg];
    for (int n = 0; n < 4; ++n)
      for (int j = 0; j < 3; ++j) ref[n * 3 + j] = c.servo[n].ref_angle[j];
    if (any_angle_outside(ref) && angle_limit_check(c, ref)) {
      if (c.mode.mode == kManual) {
        // Goals out of range while the operator drives a leg: not an emergency, the legs are
        // held where they are and the leg is released.
        hold_all(c);
        set_mode(c, kManual);
      } else {
        emergency_stop(c, "EMG:REF_ANGLE_LIMIT");
        c.safety.angle_latch = true;
      }
    }
  }

  if (c.params.over_run_enable && sf.over_run && c.mode.mode != kEmg)
    emergency_stop(c, "Timer_OVERRUN");
}

void clear_alarms(Controller& c) {
  c.safety.over_run = false;
}

void set_pt_check_off(Controller& c, bool off) {
  c.safety.pt_check_off = off;
  // Switched on again, a count still out of the band is a new fault and is reported.
  for (auto& leg : c.safety.pt_reported)
    for (bool& r : leg) r = false;
}

}  // namespace rokan
