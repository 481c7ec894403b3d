// The information display: eight pages of live controller values, rebuilt on the text screen at
// every drawing cycle while the display is on. Legs are numbered 0..3 on these pages; angles and
// angular rates are shown in degrees. Each line is written whole through the write cursor, from
// line 4 down. A line is formatted on the stack: a drawing cycle with the display on allocates
// nothing.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "console/menus.h"
#include "core/controller.h"
#include "core/kinematics.h"
#include "core/sensors.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr int kFirstLine = 4;

// One line of a page, built by appending printf pieces. Room for the widest line there is:
// four variables of 32-byte names with values of 309 digits.
class PageLine {
 public:
  void printf(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    va_list ap;
    va_start(ap, fmt);
    const int n = std::vsnprintf(buf_ + len_, sizeof buf_ - len_, fmt, ap);
    va_end(ap);
    if (n > 0) len_ = std::min(len_ + static_cast<std::size_t>(n), sizeof buf_ - 1);
  }
  void clear() { len_ = 0; }
  std::string_view view() const { return {buf_, len_}; }

 private:
  char buf_[4096];
  std::size_t len_ = 0;
};

void put_line(Controller& c, std::string_view text) {
  c.console.write_col = 1;
  text_write(c, text);
  ++c.console.write_line;
}

void put_linef(Controller& c, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void put_linef(Controller& c, const char* fmt, ...) {
  char buf[4096];
  va_list ap;
  va_start(ap, fmt);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  put_line(c, std::string_view(buf, n < 0 ? 0 : std::min<std::size_t>(n, sizeof buf - 1)));
}

void angle_section(Controller& c) {
  put_line(c, "-- Angle --                  ->  -- Ref_angle --           : Potensiometer");
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* a = c.state.angle[leg];
    const double* r = c.servo[leg].ref_angle;
    const double* raw = c.sensor.raw[leg];
    put_linef(c,
              "Leg[%1d]: %6.2lf %6.2lf %6.2lf -> %6.2lf %6.2lf %6.2lf [deg] : %04d %04d "
              "%04d",
              leg, a[0] * kRadToDeg, a[1] * kRadToDeg, a[2] * kRadToDeg, r[0] * kRadToDeg,
              r[1] * kRadToDeg, r[2] * kRadToDeg, static_cast<int>(raw[0]),
              static_cast<int>(raw[1]), static_cast<int>(raw[2]));
  }
}

// Angular velocities of the lead joint angles: the lead point's velocity mapped through the
// inverse of the leg's Jacobian at those angles (numerical, from the forward kinematics). Zero
// where the leg is stretched into a singular pose.
void lead_joint_rates(const Controller& c, int leg, double rate[3]) {
  const LegServo& s = c.servo[leg];
  RobotState probe = c.state;
  constexpr double h = 1e-6;  // rad
  double* q = probe.angle[leg];
  for (int j = 0; j < 3; ++j) q[j] = s.reference[j];
  forward_leg(probe, leg);
  double p0[3], jac[3][3];
  for (int k = 0; k < 3; ++k) p0[k] = probe.point[leg][kFoot][k];
  for (int j = 0; j < 3; ++j) {
    q[j] += h;
    forward_leg(probe, leg);
    for (int k = 0; k < 3; ++k) jac[k][j] = (probe.point[leg][kFoot][k] - p0[k]) / h;
    q[j] -= h;
  }
  auto det3 = [](const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  const double det = det3(jac);
  for (int j = 0; j < 3; ++j) rate[j] = 0;
  if (std::fabs(det) < 1e-6) return;
  for (int j = 0; j < 3; ++j) {  // Cramer's rule
    double m[3][3];
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) m[r][k] = k == j ? s.lead_velocity[r] : jac[r][k];
    rate[j] = det3(m) / det;
  }
}

void lead_angle_section(Controller& c) {
  put_line(c, SJ("-- 先導(関節角度) --          /  -- Omega_of_先導 --"));
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* q = c.servo[leg].reference;
    double w[3];
    lead_joint_rates(c, leg, w);
    put_linef(c, "Leg[%1d]: %6.2lf %6.2lf %6.2lf [deg] / %6.2lf %6.2lf %6.2lf [deg/sec]", leg,
              q[0] * kRadToDeg, q[1] * kRadToDeg, q[2] * kRadToDeg, w[0] * kRadToDeg,
              w[1] * kRadToDeg, w[2] * kRadToDeg);
  }
}

void position_section(Controller& c) {
  put_line(c, "-- Position --                      ->  -- Ref_Position --");
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* p = c.state.point[leg][kFoot];
    const double* g = c.servo[leg].goal;
    put_linef(c, "Leg[%1d]: (%7.2lf, %7.2lf, %7.2lf) -> (%7.2lf, %7.2lf, %7.2lf) [mm]", leg, p[0],
              p[1], p[2], g[0], g[1], g[2]);
  }
}

void lead_section(Controller& c) {
  put_line(c, SJ("-- 先導 --                        :  -- Vel_of_先導 --"));
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* p = c.servo[leg].lead;
    const double* v = c.servo[leg].lead_velocity;
    put_linef(c, "Leg[%1d]: (%7.2lf, %7.2lf, %7.2lf)[mm] : (% 7.3lf, % 7.3lf, % 7.3lf) [mm/sec]",
              leg, p[0], p[1], p[2], v[0], v[1], v[2]);
  }
}

void velocity_section(Controller& c) {
  put_line(c, "-- Velocity[mm/sec] --                  /  -- Omega [deg/sec] --");
  settle_rates(c);
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* v = c.state.foot_vel[leg];
    const double* w = c.state.omega[leg];
    const double speed = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    put_linef(c, "Leg[%1d]: (% 7.3lf % 7.3lf % 7.3lf) = % 7.3lf / [% 7.3lf % 7.3lf % 7.3lf]", leg,
              v[0], v[1], v[2], speed, w[0] * kRadToDeg, w[1] * kRadToDeg, w[2] * kRadToDeg);
  }
}

void limits_section(Controller& c) {
  const LimitBlock1& b = c.params.active.b1;
  PageLine line;
  put_line(c, "-- A_MAX [mm/sec^2] --");
  for (int leg = 0; leg < kLegCount; ++leg) line.printf("Leg[%1d] = % 7.2lf  ", leg, b.a_max[leg]);
  put_line(c, line.view());
  put_line(c, "-- V_MAX [mm/sec] --");
  line.clear();
  for (int leg = 0; leg < kLegCount; ++leg) line.printf("Leg[%1d] = % 7.2lf   ", leg, b.v_max[leg]);
  put_line(c, line.view());
  const char* headings[2] = {"-- OMEGA_DOT_MAX [deg/sec^2] --", "-- OMEGA_MAX [deg/sec] --"};
  const double(*tables[2])[3] = {b.omega_dot_max, b.omega_max};
  for (int t = 0; t < 2; ++t) {
    put_line(c, headings[t]);
    for (int leg = 0; leg < kLegCount; ++leg) {
      line.clear();
      line.printf("Leg[%1d]: ", leg);
      for (int j = 0; j < 3; ++j) line.printf("(% 7.2lf)  ", tables[t][leg][j] * kRadToDeg);
      put_line(c, line.view());
    }
  }
}

void order_section(Controller& c) {
  put_line(c, "-- Order --\t\t\t\t -- PAW/ANTENNA --");
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* o = c.servo[leg].order;
    PageLine line;
    line.printf("Leg[%1d]: %7.3lf %7.3lf %7.3lf [V] | PAW[%1d] = %7.3lf", leg, o[0], o[1], o[2],
                leg, c.sensor.paw_volt[leg]);
    if (leg == 3) line.printf(" | ANTENNA = %7.3lf", c.sensor.antenna_volt);
    put_line(c, line.view());
  }
}

void vr_section(Controller& c) {
  const double* vr = c.sensor.vr;
  put_linef(c, "VR[1]/[2]/[3]: %7.1lf / %7.1lf / %7.1lf [V]", vr[0], vr[1], vr[2]);
}

// A RIX variable's value, or "NAN" while it was never assigned.
void rix_value(PageLine& line, double v) {
  if (v == kRixUnset)
    line.printf("%7s", "NAN");
  else
    line.printf("% 7.2lf", v);
}

// The RIX sections list variables only while the RIX program runs.
bool rix_running(const Controller& c) {
  return c.mode.auto_running && c.mode.program_is_rix;
}

constexpr int kRixLines = 20;
constexpr int kScalarsPerLine = 4;

void scalar_section(Controller& c) {
  put_line(c, SJ("-- VAR変数(RIX) --"));
  if (!rix_running(c)) return;
  const std::vector<RixVar>& vars = c.rix.vars;
  const std::size_t shown = std::min<std::size_t>(vars.size(), kRixLines * kScalarsPerLine);
  for (std::size_t first = 0; first < shown; first += kScalarsPerLine) {
    PageLine line;
    for (std::size_t i = first; i < std::min(shown, first + kScalarsPerLine); ++i) {
      line.printf(" %s=", vars[i].name.c_str());
      rix_value(line, vars[i].value);
    }
    put_line(c, line.view());
  }
}

// Position (", " between values) and joint ("," between values) variables.
void vector_section(Controller& c, const std::string& heading,
                    const std::vector<RixVectorVar>& vars, const char* separator) {
  put_line(c, heading);
  if (!rix_running(c)) return;
  const std::size_t shown = std::min<std::size_t>(vars.size(), kRixLines);
  for (std::size_t i = 0; i < shown; ++i) {
    const double* v = vars[i].value;
    PageLine line;
    line.printf(" %s=(", vars[i].name.c_str());
    for (int k = 0; k < 3; ++k) {
      if (k) line.printf("%s", separator);
      rix_value(line, v[k]);
    }
    line.printf(")");
    put_line(c, line.view());
  }
}

// The trace ring oldest first: from the entry after the newest, once round, empty entries left
// out.
void trace_section(Controller& c) {
  put_line(c, SJ("-- TRACE(RIX) --"));
  const RixImage& im = c.rix;
  if (!rix_running(c) || !im.trace_on) return;
  int slot = im.trace_index + 1;
  if (slot < 0) slot = kRixTraceEntries - 1;
  if (slot >= kRixTraceEntries) slot = 0;
  for (int step = 0; step < kRixTraceEntries; ++step, slot = (slot + 1) % kRixTraceEntries) {
    if (im.trace_pc[slot] < 0) continue;
    // The name field is a fixed array; it need not hold its terminator.
    const int name_length =
        static_cast<int>(strnlen(im.trace_name[slot], sizeof im.trace_name[slot]));
    put_linef(c, "%d: %.*s", im.trace_pc[slot], name_length, im.trace_name[slot]);
  }
}

}  // namespace

void info_refresh(Controller& c) {
  text_clear(c);
  c.console.write_line = kFirstLine;
  switch (c.console.info_page) {
    case 0:
      angle_section(c);
      position_section(c);
      order_section(c);
      vr_section(c);
      break;
    case 1:
      position_section(c);
      lead_section(c);
      velocity_section(c);
      order_section(c);
      vr_section(c);
      break;
    case 2:
      angle_section(c);
      lead_angle_section(c);
      order_section(c);
      vr_section(c);
      break;
    case 3:
      limits_section(c);
      break;
    case 4:
      scalar_section(c);
      break;
    case 5:
      vector_section(c, SJ("-- POS変数(RIX) --"), c.rix.pos, ", ");
      break;
    case 6:
      vector_section(c, SJ("-- JOINT変数(RIX) --"), c.rix.jnt, ",");
      break;
    case 7:
      trace_section(c);
      break;
    default:
      break;
  }
}

}  // namespace rokan
