// The built-in gaits 1 to 6 through whole walking cycles: the feet at the end of each phase against
// the step tables, VR1 deciding the stride, VR2 and VR3 the height and width, and the ways a run
// ends after its cycle. Then program 9, DEBUG, with the sampling log it records.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/cycle.h"
#include "scenarios/gait_support.h"

namespace rokan::test {
namespace {

// Home posture of gaits 1 and 4 (X = 391) with the feet at height z.
Feet wide_home(double z, double dy = 0) {
  return {{{-391, 101 + dy, z}, {391, 101 + dy, z}, {-391, -301 + dy, z}, {391, -301 + dy, z}}};
}

// The initial posture at height z: home of gait 3 and the stance gait 2 starts from.
Feet initial_home(double z, double dy = 0) {
  return {{{-301, 201 + dy, z}, {301, 201 + dy, z}, {-301, -201 + dy, z}, {301, -201 + dy, z}}};
}

// Gait 1 from its start up to the first pass of the input step, with VR1 and VR2 captured at 0.
void start_gait1(GaitSession& s) {
  ASSERT_NO_FATAL_FAILURE(s.start_program(1));
  ASSERT_TRUE(s.settle_at(3));
  expect_feet_at(s, wide_home(-250), "home posture");
  ASSERT_TRUE(s.settle_at(5));
}

TEST(Gait1, FollowsVr2WithTheBodyHeightWhileVr1StaysNearItsCapture) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(start_gait1(s));
  EXPECT_EQ(s.c.auto_state.threshold, 70.0);

  // 6 V on VR1 is below the threshold of 70: the gait keeps adjusting the height.
  s.slider(1, 6.0);
  s.slider(2, 1.0);
  ASSERT_TRUE(s.run_until([&] { return s.c.servo[0].goal[2] == -235.0; }));
  ASSERT_TRUE(s.settle_at(5));
  expect_feet_at(s, wide_home(-235), "VR2 +1 V");
  EXPECT_DOUBLE_EQ(s.c.auto_state.height, -235.0);
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 60.0);
  s.cycles(3000);
  EXPECT_EQ(std::count(s.steps.begin(), s.steps.end(), 7), 0) << "no walking cycle";
}

// One walking cycle from the first pass of the input step, before any height adjustment of this
// run: it ends at the home height the run started from, not at a height an earlier run left, and
// VR1 moved back walks the same forward cycle. Esc during the cycle lets it finish, then the run
// ends in MANUAL instead of going back to the input.
TEST(Gait1, WalksTheSameForwardCycleWithVr1MovedEitherWayAndEscEndsItAfterTheCycle) {
  for (const double vr1 : {8.0, -8.0}) {
    SCOPED_TRACE(vr1);
    const bool esc = vr1 < 0;
    GaitSession s(current_test_name() + (esc ? "_back" : "_fwd"));
    s.c.auto_state.height = -235;  // left by a height adjustment of an earlier run
    ASSERT_NO_FATAL_FAILURE(start_gait1(s));
    s.slider(1, vr1);
    ASSERT_TRUE(s.settle_at(9));
    if (esc) s.run("key ESC\n");
    // After each phase: lift, swing forward, lower to the ground, lower past it (the body rises),
    // push back (the body moves 200 mm forward), home posture at the adjusted height.
    ASSERT_TRUE(expect_phases(s, {{9, wide_home(-200)},
                                  {10, wide_home(-200, 200)},
                                  {11, wide_home(-250, 200)},
                                  {12, wide_home(-300, 200)},
                                  {13, wide_home(-300)},
                                  {14, wide_home(-250)}}));
    EXPECT_EQ(s.c.mode.stop_reserved, esc ? 1 : 0);
    EXPECT_DOUBLE_EQ(s.c.auto_state.stride, vr1 * 10);
    ASSERT_TRUE(
        s.run_until([&] { return esc ? get_mode(s.c) == kManual : s.c.mode.auto_step == 7; }));
    const std::vector<int> cycle = esc ? std::vector<int>{5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1}
                                       : std::vector<int>{5, 7, 8, 9, 10, 11, 12, 13, 14, 4, 5, 7};
    EXPECT_TRUE(std::search(s.steps.begin(), s.steps.end(), cycle.begin(), cycle.end()) !=
                s.steps.end());
    EXPECT_EQ(std::count(s.steps.begin(), s.steps.end(), 6), 0) << "no height adjustment";
    expect_feet_near(s, wide_home(-250), "after the cycle");
  }
}

// The staggered stance of gait 2; it is also where a walking cycle with S = 50 mm ends.
Feet staggered(double z, double dy = 0) {
  return {{{-301, 201 + dy, z}, {301, 101 + dy, z}, {-301, -251 + dy, z}, {301, -151 + dy, z}}};
}

TEST(Gait2, StartsOnAVr3HandshakeThenCrawlsOneLegAtATime) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(2));
  s.cycles(500);
  EXPECT_EQ(s.steps, (std::vector<int>{16, 17})) << "waits for VR3 to move away";

  s.slider(3, -5.0);
  s.cycles(100);
  EXPECT_EQ(s.c.mode.auto_step, 17) << "5 V is not enough";
  s.slider(3, 6.0);
  ASSERT_TRUE(expect_phases(s, {{19, initial_home(-300)}}));
  s.cycles(500);
  EXPECT_EQ(s.c.mode.auto_step, 19) << "waits for VR3 to come back";
  s.slider(3, 0.0);
  ASSERT_TRUE(expect_phases(s, {{21, initial_home(-250)}, {34, staggered(-250)}}));

  ASSERT_TRUE(s.settle_at(36));
  s.slider(1, 5.0);
  // Leg 2 (index 1) swings first: up, 4 S forward, down at y = 2 S + 201; then the body shifts.
  ASSERT_TRUE(s.settle_at(41));
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 50.0);
  EXPECT_EQ((s.goals()[1]), (Xyz{301, 301, -200}));
  ASSERT_TRUE(expect_phases(
      s, {{42, {{{-301, 201, -250}, {301, 301, -250}, {-301, -251, -250}, {301, -151, -250}}}},
          {43, {{{-301, 151, -250}, {301, 251, -250}, {-301, -301, -250}, {301, -201, -250}}}},
          {55, staggered(-250)}}));

  s.run("key ESC\n");
  EXPECT_EQ(s.last_steps_to_manual(3), (std::vector<int>{55, 56, 1}));
}

// Gait 3 up to its input loop, VR1 captured at `vr1_at_start`.
void start_gait3(GaitSession& s, double vr1_at_start) {
  ASSERT_NO_FATAL_FAILURE(s.start_program(3));
  s.slider(1, vr1_at_start);  // before the program's first step
  ASSERT_TRUE(expect_phases(s, {{60, initial_home(-250)}}));
  EXPECT_DOUBLE_EQ(s.c.sensor.vr_org[0], vr1_at_start);
}

TEST(Gait3, StridesAsFarAsVr1WasMovedOneLegAtATime) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(start_gait3(s, 0.0));
  s.slider(1, 5.0);
  ASSERT_TRUE(s.settle_at(63));
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 50.0);

  // Leg 0 goes first; its lift stops the other legs where they stand.
  ASSERT_TRUE(s.settle_at(64));
  EXPECT_EQ((s.goals()[0]), (Xyz{-301, 201, -200}));
  for (int leg = 1; leg < 4; ++leg)
    EXPECT_EQ(s.goals()[leg], s.feet()[leg]) << "leg " << leg + 1 << " held where it stood";
  ASSERT_TRUE(s.settle_at(65));
  EXPECT_EQ((s.goals()[0]), (Xyz{-301, 251, -200}));
  ASSERT_TRUE(s.settle_at(66));
  EXPECT_EQ((s.goals()[0]), (Xyz{-301, 251, -250}));

  // After all four swings every foot is 50 mm ahead; lowering and pushing back carries the body.
  ASSERT_TRUE(s.settle_at(75));
  expect_feet_near(s, initial_home(-250, 50), "swung", 2 * kFootTolerance);
  ASSERT_TRUE(s.settle_at(77));
  expect_feet_near(s, initial_home(-300), "pushed", 2 * kFootTolerance);
  ASSERT_TRUE(expect_phases(s, {{78, initial_home(-250)}}));
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 60; }));
  EXPECT_EQ((std::vector<int>(s.steps.end() - 3, s.steps.end())), (std::vector<int>{78, 59, 60}))
      << "the loop goes back to the VR2 capture";
}

// The sliders reach -10..10 V, so a 12 V change needs VR1 captured below 0.
TEST(Gait3, StrideIsClampedTo100mm) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(start_gait3(s, -2.0));
  s.slider(1, 10.0);
  ASSERT_TRUE(s.settle_at(65));
  EXPECT_DOUBLE_EQ(s.c.auto_state.stride, 100.0);
  EXPECT_EQ((s.goals()[0]), (Xyz{-301, 301, -200}));
}

TEST(Gait4, SwingsTheFixedStrideOneLegAtATimeOnASmallInput) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(4));
  ASSERT_TRUE(expect_phases(s, {{81, wide_home(-250)}}));
  ASSERT_TRUE(s.settle_at(83));
  EXPECT_EQ(s.c.auto_state.threshold, 5.0);

  s.slider(1, 0.6);  // 6 mm of input is enough; the stride stays 200 mm
  for (int leg = 0; leg < 4; ++leg) {
    const int lifted = 87 + 3 * leg;
    ASSERT_TRUE(s.settle_at(lifted));
    EXPECT_NEAR(s.goals()[leg][2], -200, kFootTolerance) << "leg " << leg + 1;
    ASSERT_TRUE(s.settle_at(lifted + 2));
    EXPECT_NEAR(s.goals()[leg][1], wide_home(-250, 200)[leg][1], kFootTolerance);
    EXPECT_NEAR(s.goals()[leg][2], -250, kFootTolerance);
  }
  ASSERT_TRUE(expect_phases(s, {{101, wide_home(-250)}}));
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 85; }));
  EXPECT_EQ((std::vector<int>(s.steps.end() - 3, s.steps.end())), (std::vector<int>{101, 83, 85}))
      << "the loop goes back to the input step";
}

// Leg 1's lift stops the three other legs where their feet are at that moment: each gets a fresh
// move to its own foot, which the next step waits for like any other.
TEST(Gait4, Leg1sLiftStopsTheOtherLegsAtTheirPresentFeet) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(4));
  ASSERT_TRUE(s.settle_at(83));
  s.slider(1, 0.6);
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 87; }));
  EXPECT_EQ((s.goals()[0]), (Xyz{-391, 101, -200}));
  for (int leg = 1; leg < 4; ++leg) {
    EXPECT_EQ(s.goals()[leg], s.feet()[leg]) << "leg " << leg + 1;
    EXPECT_EQ(s.c.servo[leg].pending, 1) << "leg " << leg + 1;
  }
}

// Front pair at front_y, rear pair at rear_y, every foot at x = -+x and height z.
Feet pairs(double x, double front_y, double rear_y, double z) {
  return {{{-x, front_y, z}, {x, front_y, z}, {-x, rear_y, z}, {x, rear_y, z}}};
}

// The feet of one pair replaced by (-+x, y, z).
Feet with_pair(Feet f, int left, double x, double y, double z) {
  f[left] = {-x, y, z};
  f[left + 1] = {x, y, z};
  return f;
}

TEST(Gait5, ButterflyCycleCarriesTheBodyForwardAndTheRunEndsWhenVr1Drops) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(5));
  ASSERT_TRUE(expect_phases(s, {{104, pairs(270, 151, -251, -270)}}));
  ASSERT_TRUE(s.settle_at(107));

  // Z and W only go one way: VR2 down and VR3 down change nothing.
  s.slider(2, -3.0);
  s.slider(3, -2.0);
  s.cycles(50);
  EXPECT_EQ(s.c.auto_state.height, -270.0);
  EXPECT_EQ(s.c.auto_state.width, 0.0);
  s.slider(2, 2.0);  // Z = -270 - 2 x 15
  s.slider(3, 4.0);  // W = 5 x 2 x 4
  ASSERT_TRUE(s.run_until([&] { return s.c.servo[0].goal[2] == -300.0; }));
  const Feet stance = pairs(230, 151, -251, -300);
  ASSERT_TRUE(expect_phases(s, {{107, stance}}));

  s.slider(1, 9.9);
  s.cycles(50);
  EXPECT_NEAR(s.c.auto_state.stride, 99.0, 1e-9);
  EXPECT_EQ(std::count(s.steps.begin(), s.steps.end(), 109), 0) << "99 mm is below the threshold";
  s.slider(1, 10.0);
  // The front pair swings out by E + S and up by S / 2, moves 2 D forward, comes back down and
  // is placed; then the rear pair does the same; then all four feet shift back by 2 D.
  const Feet front_placed = pairs(230, 251, -251, -300);
  ASSERT_TRUE(expect_phases(s, {{111, with_pair(stance, 0, 350, 151, -250)},
                                {112, with_pair(stance, 0, 350, 251, -250)},
                                {113, with_pair(stance, 0, 250, 251, -300)},
                                {114, front_placed},
                                {115, with_pair(front_placed, 2, 350, -251, -250)},
                                {116, with_pair(front_placed, 2, 350, -151, -250)},
                                {117, with_pair(front_placed, 2, 250, -151, -300)},
                                {118, pairs(230, 251, -151, -300)},
                                {119, stance}}));
  EXPECT_EQ(s.c.auto_state.stride, 100.0);

  s.slider(1, 5.0);
  EXPECT_EQ(s.last_steps_to_manual(4), (std::vector<int>{118, 119, 121, 1}));
}

TEST(Gait6, InchwormPullsEachPairAtHalfSpeedAndStopsAfterTheCycleOnEsc) {
  GaitSession s;
  ASSERT_NO_FATAL_FAILURE(s.start_program(6));
  ASSERT_TRUE(expect_phases(s, {{123, pairs(270, 251, -251, -270)}}));
  ASSERT_TRUE(s.settle_at(126));
  s.slider(1, 10.0);

  const Params& p = s.c.params;
  auto speeds_are = [&](double percent) {
    for (int leg = 0; leg < 4; ++leg) {
      EXPECT_DOUBLE_EQ(p.active.b1.v_max[leg], 0.01 * percent * p.auto_ref.b1.v_max[leg]);
      EXPECT_DOUBLE_EQ(p.active.b1.a_max[leg], 0.01 * percent * p.auto_ref.b1.a_max[leg]);
    }
  };
  ASSERT_TRUE(
      expect_phases(s, {{130, with_pair(pairs(270, 251, -251, -270), 2, 390, -251, -220)}}));
  speeds_are(100);
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 131; }));
  speeds_are(50);
  // The front pair pulled back while the rear pair moves forward.
  ASSERT_TRUE(
      expect_phases(s, {{131, with_pair(pairs(270, 151, -251, -270), 2, 390, -151, -220)}}));
  ASSERT_TRUE(s.run_until([&] { return s.c.mode.auto_step == 132; }));
  speeds_are(100);

  ASSERT_TRUE(expect_phases(s, {{132, with_pair(pairs(270, 151, -251, -270), 2, 290, -151, -270)},
                                {133, pairs(270, 151, -151, -270)},
                                {134, with_pair(pairs(270, 151, -151, -270), 0, 390, 151, -220)},
                                {135, with_pair(pairs(270, 251, -251, -270), 0, 390, 251, -220)},
                                {136, with_pair(pairs(270, 251, -251, -270), 0, 290, 251, -270)}}));

  s.run("key ESC\n");
  EXPECT_EQ(s.last_steps_to_manual(5), (std::vector<int>{136, 137, 138, 139, 1}));
}

// Program 9, DEBUG: its moves, the sampling log it records, and its end in MANUAL.
TEST(DebugProgram, MovesLeg1LogsTheMotionsAndEndsInManualWithLoggingOff) {
  GaitSession s;
  {
    // Room for every logged cycle (the bundled rokan.ini keeps only 10 records).
    std::ifstream in(s.dir() / "DEFAULT/init/rokan.ini", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string ini = ss.str();
    ini.replace(ini.find("MAX_BUF\t10\n"), 11, "MAX_BUF\t20000\n");
    std::ofstream(s.dir() / "DEFAULT/init/rokan.ini", std::ios::binary) << ini;
  }
  ASSERT_NO_FATAL_FAILURE(s.start_program(9));
  // Leg 1 moves 50 mm in x, then 100 mm in y, then 100 mm up, one move after the other.
  const Xyz moves[] = {{-251, 201, -250}, {-251, 301, -250}, {-251, 301, -150}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(s.settle_at(142 + 2 * i));
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s.goals()[0][k], moves[i][k], 1e-9);
  }
  EXPECT_EQ(s.last_steps_to_manual(100),
            (std::vector<int>{140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 1}));
  EXPECT_NEAR(s.feet()[0][0], -301, kFootTolerance) << "back in the initial posture";
  EXPECT_NEAR(s.feet()[0][2], -250, kFootTolerance);

  // The end routine writes what was recorded: one row per cycle from step 141 to step 148, the
  // mode column holding the AUTO step, the feet of leg 1 showing its moves.
  s.host.append(parse_script("notice ok\n"));
  terminate(s.c, 1);
  std::ifstream in(s.dir() / "DEFAULT/log/RKN0000.LOG");
  ASSERT_TRUE(in) << "no sampling log";
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string f; std::getline(ss, f, '\t');) fields.push_back(f);
    rows.push_back(fields);
  }
  ASSERT_GT(rows.size(), 3u + 1000u);
  const std::size_t mode = rows[2].size() - 6, foot1_y = 2 + 12 + 1;
  EXPECT_EQ(rows[3][mode], "141") << "the first record is taken after step 140 ran";
  EXPECT_EQ(rows.back()[mode], "148") << "the last one before step 148 switched logging off";
  double highest_y = -1000;
  for (std::size_t r = 3; r < rows.size(); ++r)
    highest_y = std::max(highest_y, std::stod(rows[r][foot1_y]));
  EXPECT_NEAR(std::stod(rows[3][foot1_y]), 201, kFootTolerance);
  EXPECT_GT(highest_y, 301 - kFootTolerance) << "the 100 mm move in y is in the log";
}

}  // namespace
}  // namespace rokan::test
