#include "motion/motion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/modes.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

struct Motion : ::testing::Test {
  test::Rig rig{std::string("motion_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void SetUp() override { rig.start(); }

  const double* foot(int leg) const { return c.state.point[leg][kFoot]; }
  uint8_t code(int leg) const { return c.servo[leg].control_mode[0]; }
  // Every refusal stops in EMG and reports its message; the next check starts from `mode`.
  void expect_refused(const char* message, Mode mode = kManual, bool running = false) {
    EXPECT_EQ(get_mode(c), kEmg) << message;
    EXPECT_EQ(cp932_to_utf8(c.console.lines[1]), message);
    set_mode(c, mode);
    c.mode.auto_running = running;
  }
  void paw(int leg, bool closed) { c.sensor.paw[leg] = closed; }
};

TEST_F(Motion, ControlModeCodeIsCheckedBeforeTheLeg) {
  set_control_mode(c, 5, 7);
  expect_refused("Control mode Error");
  set_control_mode(c, 4, 1);
  expect_refused("Control mode Error");

  // A bad code on a good leg, and a good code on a bad leg.
  const struct {
    int leg;
    uint8_t code;
  } refused[] = {{0, 4}, {3, 7}, {1, 255}, {5, 1}, {-1, 0}, {4, 3}};
  for (const auto& r : refused) {
    SCOPED_TRACE(testing::Message() << "leg " << r.leg << " code " << int(r.code));
    set_control_mode(c, r.leg, r.code);
    expect_refused("Control mode Error");
  }
  // Every code 0..3 is taken on every leg.
  for (int leg = 0; leg < 4; ++leg) {
    for (uint8_t m = 0; m <= kVelocityControl; ++m) {
      set_control_mode(c, leg, m);
      EXPECT_EQ(get_mode(c), kManual) << "leg " << leg << " code " << int(m);
      EXPECT_EQ(code(leg), m);
    }
    set_control_mode(c, leg, kPositionControl);
  }

  c.servo[2].goal[0] = 0;
  set_control_mode(c, 2, kVelocityControl);
  EXPECT_EQ(get_mode(c), kManual);
  EXPECT_EQ(c.servo[2].control_mode[2], kVelocityControl);
  EXPECT_EQ(c.servo[2].goal[0], foot(2)[0]) << "the leg holds where it is";
}

TEST_F(Motion, MovesRestartFromTheFootAtRest) {
  LegServo& s = c.servo[1];
  s.lead_velocity[0] = 42;
  ASSERT_EQ(move_leg_to(c, 1, 300, 210, -240), 1);
  EXPECT_EQ(s.inpos_count, 10);
  EXPECT_EQ(s.lead[2], foot(1)[2]);
  EXPECT_EQ(s.lead_velocity[0], 0);
  EXPECT_EQ(s.control_mode[1], kPositionControl);
  EXPECT_EQ(s.goal[1], 210);
  EXPECT_EQ(s.pending, 1);

  s.lead_velocity[2] = 9;
  ASSERT_EQ(move_leg_velocity(c, 1, 1, 2, -3), 1);
  EXPECT_EQ(s.control_mode[1], kVelocityControl);
  EXPECT_EQ(s.velocity_command[2], -3);
  EXPECT_EQ(s.lead[2], foot(1)[2]);
  EXPECT_EQ(s.lead_velocity[2], 0);

  for (int leg : {-1, 4}) {
    EXPECT_EQ(move_leg_to(c, leg, 0, 0, 0), 0);
    expect_refused("Leg No. Error");
    EXPECT_EQ(move_leg_by(c, leg, 1, 0, 0), 0);
    expect_refused("Leg No. Error");
    EXPECT_EQ(move_leg_velocity(c, leg, 0, 0, 1), 0);
    expect_refused("Leg No. Error");
  }
}

TEST_F(Motion, RelativeMovesAddUpOnTheGoalAndAZeroMoveStops) {
  const double x0 = c.servo[3].goal[0], z0 = c.servo[3].goal[2];
  move_leg_by(c, 3, 10, 0, 0);
  move_leg_by(c, 3, 10, 0, 0.001);
  EXPECT_DOUBLE_EQ(c.servo[3].goal[0], x0 + 20);
  EXPECT_DOUBLE_EQ(c.servo[3].goal[2], z0 + 0.001);

  move_leg_by(c, 3, 0, 0, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.servo[3].goal[i], foot(3)[i]);
}

TEST_F(Motion, LimitSettersCheckLegValueAndARunningProgram) {
  set_mode(c, kAuto);
  c.mode.auto_running = 1;
  set_a_max(c, 4, 0);
  expect_refused("Wrong leg No.", kAuto, true);
  for (double bad : {0.0, -1.0, std::nan("")}) {
    set_v_max(c, 0, bad);
    expect_refused("Domain Error", kAuto, true);
  }
  for (double bad : {0.0, 100.5}) {
    set_a_max_percent(c, 0, bad);
    expect_refused("Domain Error", kAuto, false);
  }
  set_v_max_percent(c, 0, 50);  // AUTO mode, no program running
  expect_refused("Control mode Error");
  set_a_max(c, 0, 100);
  expect_refused("Control mode Error");
}

TEST_F(Motion, LimitSettersWriteReferenceAndActiveValues) {
  set_mode(c, kAuto);
  c.mode.auto_running = 1;
  set_v_max(c, 2, 80);
  EXPECT_EQ(c.params.auto_ref.b1.v_max[2], 80);
  set_v_max_percent(c, 2, 25);
  EXPECT_DOUBLE_EQ(c.params.active.b1.v_max[2], 20);
  set_v_max_percent(c, 2, 100);
  EXPECT_DOUBLE_EQ(c.params.active.b1.v_max[2], 80);
  set_a_max(c, 1, 300);
  set_a_max_percent(c, 1, 10);
  EXPECT_DOUBLE_EQ(c.params.active.b1.a_max[1], 30);
  EXPECT_EQ(c.params.auto_ref.b1.a_max[1], 300);
}

TEST_F(Motion, FloorKind1LowersAllLegsAtHalfLeg1SpeedKind3Raises) {
  c.params.active.b1.v_max[0] = 100;
  c.params.active.b1.v_max[1] = 10;  // not the leg that sets the speed
  EXPECT_FALSE(detect_floor(c, true, 1, -1));
  for (int leg = 0; leg < 4; ++leg) EXPECT_EQ(c.servo[leg].velocity_command[2], -50);
  paw(0, true);
  paw(2, true);
  EXPECT_FALSE(detect_floor(c, false, 1, -1));
  EXPECT_EQ(code(0), kPositionControl) << "a leg that touched stops";
  EXPECT_EQ(code(1), kVelocityControl);
  paw(1, true);
  paw(3, true);
  EXPECT_TRUE(detect_floor(c, false, 1, -1));

  EXPECT_FALSE(detect_floor(c, true, 3, 1));
  EXPECT_EQ(c.servo[1].velocity_command[2], 50);
  EXPECT_EQ(code(0), kPositionControl) << "other legs are left alone";
  paw(1, false);
  EXPECT_TRUE(detect_floor(c, false, 3, 1));
  EXPECT_EQ(code(1), kPositionControl);
}

TEST_F(Motion, FloorKind2LowersOneLegAfterTheOther) {
  EXPECT_FALSE(detect_floor(c, true, 2, -1));
  EXPECT_EQ(code(0), kVelocityControl);
  EXPECT_EQ(code(1), kPositionControl);
  for (int leg = 0; leg < 4; ++leg) {
    paw(leg, true);
    EXPECT_EQ(detect_floor(c, false, 2, -1), leg == 3);
    EXPECT_EQ(code(leg), kPositionControl);
    if (leg < 3) {
      EXPECT_EQ(code(leg + 1), kVelocityControl);
    }
  }
  EXPECT_EQ(c.floor.current_leg, 3);

  for (int leg = 0; leg < 4; ++leg) paw(leg, false);
  EXPECT_FALSE(detect_floor(c, true, 2, 2));
  EXPECT_EQ(code(2), kVelocityControl);
  EXPECT_EQ(code(3), kPositionControl) << "only the named leg moves";
}

TEST_F(Motion, FloorWithBadLegOrKindIsASeriousError) {
  for (auto [kind, leg] : {std::pair{1, 4}, {1, -2}, {0, 0}, {4, -1}}) {
    EXPECT_FALSE(detect_floor(c, true, kind, leg));
    expect_refused("Serious error in DETECT_FLOOR");
  }
}

TEST_F(Motion, FileExistsOnlyForFiles) {
  EXPECT_EQ(file_exists(c, "DEFAULT\\init\\rokan.ini"), 1);
  EXPECT_EQ(file_exists(c, "DEFAULT\\init\\none.ini"), 0);
  EXPECT_EQ(file_exists(c, "DEFAULT\\init\\"), 0);
}

}  // namespace
}  // namespace rokan
