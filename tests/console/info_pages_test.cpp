// The information pages against their exact line formats, and the keys that page through them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "console/menus.h"
#include "core/kinematics.h"
#include "core/sensors.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::Rig;
using Lines = std::vector<std::string>;

struct InfoPages : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;

  void SetUp() override {
    rig.start();
    // Everything shown starts at zero, so each expectation names only what it sets.
    c.state = RobotState{};
    for (LegServo& s : c.servo) s = LegServo{};
    std::memset(c.sensor.raw, 0, sizeof c.sensor.raw);
    std::memset(c.sensor.paw_volt, 0, sizeof c.sensor.paw_volt);
    c.sensor.antenna_volt = 0;
    std::memset(c.sensor.vr, 0, sizeof c.sensor.vr);
  }
  // Lines 1..25 as UTF-8, trailing empty lines left out.
  Lines page(int n) {
    c.console.info_page = static_cast<uint8_t>(n);
    info_refresh(c);
    Lines lines;
    for (int i = 1; i <= kTextLines; ++i) lines.push_back(cp932_to_utf8(c.console.screen[i]));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
  void set_common_values() {
    for (int j = 0; j < 3; ++j) c.state.angle[0][j] = c.servo[0].ref_angle[j] = (j == 0 ? kPi : 0);
    c.state.angle[0][2] = -kPi / 2;
    c.servo[0].ref_angle[2] = -kPi / 3;
    c.sensor.raw[0][0] = 2048;
    c.sensor.raw[0][1] = 1000.7;
    c.sensor.raw[0][2] = 3;
    double foot[3] = {-301, 201, -250}, goal[3] = {-301.5, 201, -249.25};
    for (int k = 0; k < 3; ++k) {
      c.state.point[0][kFoot][k] = foot[k];
      c.servo[0].goal[k] = goal[k];
    }
    c.servo[0].order[0] = 1.5;
    c.servo[0].order[1] = -2;
    c.sensor.paw_volt[0] = 2.5;
    c.sensor.antenna_volt = 2.5;
    c.sensor.vr[0] = 1.5;
    c.sensor.vr[1] = -10;
    c.sensor.vr[2] = 0.3;
  }
};

const std::string kZeroAngle =
    "  0.00   0.00   0.00 ->   0.00   0.00   0.00 [deg] : 0000 0000 0000";
const std::string kZeroPosition = "(   0.00,    0.00,    0.00) -> (   0.00,    0.00,    0.00) [mm]";
const Lines kOrderAndVr = {
    "-- Order --\t\t\t\t -- PAW/ANTENNA --",
    "Leg[0]:   1.500  -2.000   0.000 [V] | PAW[0] =   2.500",
    "Leg[1]:   0.000   0.000   0.000 [V] | PAW[1] =   0.000",
    "Leg[2]:   0.000   0.000   0.000 [V] | PAW[2] =   0.000",
    "Leg[3]:   0.000   0.000   0.000 [V] | PAW[3] =   0.000 | ANTENNA =   2.500",
    "VR[1]/[2]/[3]:     1.5 /   -10.0 /     0.3 [V]"};

Lines concat(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(InfoPages, PageZeroShowsAnglesPositionsOrdersAndVr) {
  set_common_values();
  EXPECT_EQ(
      page(0),
      concat(
          {"", "", "", "-- Angle --                  ->  -- Ref_angle --           : Potensiometer",
           "Leg[0]: 180.00   0.00 -90.00 -> 180.00   0.00 -60.00 [deg] : 2048 1000 0003",
           "Leg[1]: " + kZeroAngle, "Leg[2]: " + kZeroAngle, "Leg[3]: " + kZeroAngle,
           "-- Position --                      ->  -- Ref_Position --",
           "Leg[0]: (-301.00,  201.00, -250.00) -> (-301.50,  201.00, -249.25) [mm]",
           "Leg[1]: " + kZeroPosition, "Leg[2]: " + kZeroPosition, "Leg[3]: " + kZeroPosition},
          kOrderAndVr));
}

TEST_F(InfoPages, PageOneShowsTheLeadAndTheVelocities) {
  set_common_values();
  const double lead[3] = {-300, 200, -250}, lead_vel[3] = {10, -0.5, 0};
  for (int k = 0; k < 3; ++k) {
    c.servo[0].lead[k] = lead[k];
    c.servo[0].lead_velocity[k] = lead_vel[k];
  }
  // The rates stand as of the last state update (the cycle leaves them to be worked out when
  // read); these values replace them.
  settle_rates(c);
  c.state.foot_vel[0][0] = 3;
  c.state.foot_vel[0][1] = 4;
  c.state.omega[0][0] = 0.1;
  c.state.omega[0][2] = -1;
  const std::string zero_lead =
      "(   0.00,    0.00,    0.00)[mm] : (  0.000,   0.000,   0.000) [mm/sec]";
  const std::string zero_vel = "(  0.000   0.000   0.000) =   0.000 / [  0.000   0.000   0.000]";
  Lines lines = page(1);
  ASSERT_EQ(lines.size(), 3u + 15u + 6u);
  EXPECT_EQ(lines[3], "-- Position --                      ->  -- Ref_Position --");
  EXPECT_EQ(Lines(lines.begin() + 8, lines.begin() + 18),
            (Lines{"-- 先導 --                        :  -- Vel_of_先導 --",
                   "Leg[0]: (-300.00,  200.00, -250.00)[mm] : ( 10.000,  -0.500,   0.000) [mm/sec]",
                   "Leg[1]: " + zero_lead, "Leg[2]: " + zero_lead, "Leg[3]: " + zero_lead,
                   "-- Velocity[mm/sec] --                  /  -- Omega [deg/sec] --",
                   "Leg[0]: (  3.000   4.000   0.000) =   5.000 / [  5.730   0.000 -57.296]",
                   "Leg[1]: " + zero_vel, "Leg[2]: " + zero_vel, "Leg[3]: " + zero_vel}));
  EXPECT_EQ(Lines(lines.end() - 6, lines.end()), kOrderAndVr);
}

TEST_F(InfoPages, PageTwoShowsLeadJointRatesThatMoveTheLeadPoint) {
  // Lead angles and the lead point's velocity for joint rates of (0.1, -0.2, 0.3) rad/s.
  const double q[3] = {kPi - 0.2, 0.3, -1.2}, w[3] = {0.1, -0.2, 0.3}, dt = 1e-7;
  RobotState st{};
  for (int k = 0; k < 3; ++k) st.point[0][kBase][k] = kLegBase[0][k];
  double p0[3], p1[3];
  for (int j = 0; j < 3; ++j) st.angle[0][j] = q[j];
  forward_leg(st, 0);
  for (int k = 0; k < 3; ++k) p0[k] = st.point[0][kFoot][k];
  for (int j = 0; j < 3; ++j) st.angle[0][j] = q[j] + w[j] * dt;
  forward_leg(st, 0);
  for (int k = 0; k < 3; ++k) p1[k] = st.point[0][kFoot][k];
  for (int j = 0; j < 3; ++j) c.servo[0].reference[j] = q[j];
  for (int k = 0; k < 3; ++k) c.servo[0].lead_velocity[k] = (p1[k] - p0[k]) / dt;
  Lines lines = page(2);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[8], "-- 先導(関節角度) --          /  -- Omega_of_先導 --");
  EXPECT_EQ(lines[9], "Leg[0]: 168.54  17.19 -68.75 [deg] /   5.73 -11.46  17.19 [deg/sec]");
}

TEST_F(InfoPages, PageThreeShowsTheActiveLimits) {
  c.params.active.b1.a_max[2] = 750.5;
  c.params.active.b1.omega_max[3][1] = kPi;
  const std::string omega = "(  10.00)  (  10.00)  (  10.00)  ";
  EXPECT_EQ(page(3),
            (Lines{"", "", "", "-- A_MAX [mm/sec^2] --",
                   "Leg[0] =  500.00  Leg[1] =  500.00  Leg[2] =  750.50  Leg[3] =  500.00  ",
                   "-- V_MAX [mm/sec] --",
                   "Leg[0] =  100.00   Leg[1] =  100.00   Leg[2] =  100.00   Leg[3] =  100.00   ",
                   "-- OMEGA_DOT_MAX [deg/sec^2] --", "Leg[0]: " + omega, "Leg[1]: " + omega,
                   "Leg[2]: " + omega, "Leg[3]: " + omega, "-- OMEGA_MAX [deg/sec] --",
                   "Leg[0]: " + omega, "Leg[1]: " + omega, "Leg[2]: " + omega,
                   "Leg[3]: (  10.00)  ( 180.00)  (  10.00)  "}));
}

TEST_F(InfoPages, RixVariablePagesListVariablesOnlyWhileTheRixProgramRuns) {
  for (int i = 0; i < 90; ++i) {
    RixVar v;
    v.name = "V" + std::to_string(i);
    v.value = i == 2 ? kRixUnset : i * 1.5;
    c.rix.vars.push_back(v);
  }
  RixVectorVar p;
  p.name = "P1";
  p.value[0] = 1;
  p.value[2] = -2.5;
  c.rix.pos.push_back(p);
  RixVectorVar j;
  j.name = "J1";
  j.value[0] = 90;
  j.value[2] = 0;
  c.rix.jnt.push_back(j);

  EXPECT_EQ(page(4), (Lines{"", "", "", "-- VAR変数(RIX) --"}));
  c.mode.auto_running = 1;
  c.mode.program_is_rix = 1;
  Lines vars = page(4);
  ASSERT_EQ(vars.size(), 4u + 20u);  // 80 of the 90 variables
  EXPECT_EQ(vars[4], " V0=   0.00 V1=   1.50 V2=    NAN V3=   4.50");
  EXPECT_EQ(vars[23], " V76= 114.00 V77= 115.50 V78= 117.00 V79= 118.50");
  EXPECT_EQ(page(5), (Lines{"", "", "", "-- POS変数(RIX) --", " P1=(   1.00,     NAN,   -2.50)"}));
  EXPECT_EQ(page(6), (Lines{"", "", "", "-- JOINT変数(RIX) --", " J1=(  90.00,    NAN,   0.00)"}));
  c.mode.program_is_rix = 0;  // a built-in program runs
  EXPECT_EQ(page(5), (Lines{"", "", "", "-- POS変数(RIX) --"}));
}

TEST_F(InfoPages, TraceShowsTheRingOldestFirstWhileTheRixProgramRuns) {
  RixImage& im = c.rix;
  for (int i = 0; i < kRixTraceEntries; ++i) {
    im.trace_pc[i] = 100 + i;
    std::snprintf(im.trace_name[i], kRixTraceName, "CMD%d", i);
  }
  im.trace_on = true;
  im.trace_index = 14;
  EXPECT_EQ(page(7), (Lines{"", "", "", "-- TRACE(RIX) --"}));
  c.mode.auto_running = 1;
  c.mode.program_is_rix = 1;
  Lines full = page(7);
  ASSERT_EQ(full.size(), 4u + 15u);
  EXPECT_EQ(full[4], "100: CMD0");
  EXPECT_EQ(full[18], "114: CMD14");
  // A ring not yet round: the empty entries after the newest are left out.
  im.trace_index = 2;
  for (int i = 3; i < kRixTraceEntries; ++i) im.trace_pc[i] = -1;
  im.trace_pc[0] = 7;
  EXPECT_EQ(page(7), (Lines{"", "", "", "-- TRACE(RIX) --", "7: CMD0", "101: CMD1", "102: CMD2"}));
  im.trace_index = 12;  // the oldest is entry 13
  for (int i = 0; i < kRixTraceEntries; ++i) im.trace_pc[i] = i;
  Lines wrapped = page(7);
  ASSERT_EQ(wrapped.size(), 4u + 15u);
  EXPECT_EQ(wrapped[4], "13: CMD13");
  EXPECT_EQ(wrapped[6], "0: CMD0");
  im.trace_on = false;
  EXPECT_EQ(page(7).size(), 4u);
}

TEST_F(InfoPages, TabPagesOnlyWhileTheDisplayIsOnAndTheDrawingCycleRefills) {
  rig.host.events.clear();
  auto release = [&](int vk) {
    key_release(c, vk);
    rig.ticks(1);
  };
  auto type = [&](int ch) {
    key_char(c, ch);
    rig.ticks(1);
  };
  release(9);
  EXPECT_EQ(c.console.info_page, 1);
  type('t');
  EXPECT_EQ(c.console.info_display, 1);
  rig.ticks(1);
  EXPECT_EQ(cp932_to_utf8(c.console.screen[4]),
            "-- Position --                      ->  -- Ref_Position --");
  c.console.info_page = 7;
  release(9);
  EXPECT_EQ(c.console.info_page, 0);
  EXPECT_EQ(c.console.screen[4], "");  // cleared; drawn again by the next drawing cycle
  rig.ticks(1);
  EXPECT_EQ(cp932_to_utf8(c.console.screen[4]),
            "-- Angle --                  ->  -- Ref_angle --           : Potensiometer");
  type('T');
  EXPECT_EQ(c.console.info_display, 0);
  rig.ticks(2);
  for (int i = 1; i <= kTextLines; ++i) EXPECT_EQ(c.console.screen[i], "") << i;
}

}  // namespace
}  // namespace rokan
