// The broken simulated robot on its own: what the converters report and how the joints move
// for each fault, against the true position the robot keeps.
#include "faults/fault_injector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/param_file.h"
#include "core/params.h"
#include "core/sensors.h"

namespace rokan {
namespace {

Fault fault(const char* kind, const char* target = "", const char* value = "") {
  Fault f;
  std::string error;
  EXPECT_TRUE(parse_fault(kind, target, value, f, error)) << error;
  return f;
}

class Injector : public ::testing::Test {
 protected:
  void SetUp() override {
    Params p{};
    set_default_params(p, s);
    for (auto& leg : s.raw)
      for (double& count : leg) count = 2048;  // the start-up's place
  }
  // One converter read, as the cycle does it.
  void read() {
    robot.before_read(s);
    read_sensors(s);
    robot.after_read(s);
  }
  // `cycles` plant steps of J12 (leg 0, joint 1) at `volts`, a read after each.
  void drive_j12(double volts, int cycles) {
    for (int i = 0; i < cycles; ++i) {
      robot.drive(s, 0, 1, volts, 0.001);
      read();
    }
  }

  Sensor s{};
  FaultInjector robot;
};

TEST_F(Injector, WithoutFaultsTheJointsMoveBitForBitAsThePlantWithoutIt) {
  Sensor plain = s;
  double volts = 1.7;
  for (int i = 0; i < 2000; ++i) {
    volts = std::fmod(volts * 7.3 + 0.123, 4.0) - 2.0;  // orders of either sign
    read();
    for (int leg = 0; leg < 4; ++leg) {
      for (int j = 0; j < 3; ++j) {
        robot.drive(s, leg, j, volts * (j + 1) / 3, 0.001);
        plain.raw[leg][j] += volts * (j + 1) / 3 * plain.plant_gain[leg][j] * 0.001;
      }
    }
    if (i == 1000) robot.apply(fault("clear", "all"), s);
  }
  read();
  read_sensors(plain);
  EXPECT_EQ(std::memcmp(s.raw, plain.raw, sizeof s.raw), 0);
  EXPECT_EQ(std::memcmp(s.ad, plain.ad, sizeof s.ad), 0);
  EXPECT_EQ(robot.true_count(3, 2), s.raw[3][2]);
}

TEST_F(Injector, StuckPotentiometerReadsItsCountWhileTheJointMovesAndTheRepairShowsWhereItWent) {
  read();
  robot.apply(fault("pot-stuck", "J12", "1000"), s);
  drive_j12(2.0, 100);  // gain 154.49 counts per volt-second: 30.898 counts
  EXPECT_EQ(s.raw[0][1], 1000);
  EXPECT_DOUBLE_EQ(s.pt_volt[0][1], 1000 / 4096.0 * 20 - 10);
  EXPECT_DOUBLE_EQ(s.ad[1], s.pt_volt[0][1]);
  EXPECT_NEAR(robot.true_count(0, 1), 2048 + 30.898, 1e-9);
  EXPECT_EQ(s.raw[0][2], 2048);  // the other joints read as ever
  robot.apply(fault("clear", "J12"), s);
  read();
  EXPECT_NEAR(s.raw[0][1], 2048 + 30.898, 1e-9);
}

TEST_F(Injector, OffsetAndNoiseAreAddedToTheTruePositionAndNoiseIsTheSameEveryRun) {
  read();
  robot.apply(fault("pot-offset", "J12", "-300"), s);
  drive_j12(-1.0, 10);
  EXPECT_NEAR(s.raw[0][1], 2048 - 1.5449 - 300, 1e-9);

  robot.apply(fault("pot-noise", "J12", "5"), s);
  FaultInjector twin;
  Sensor twin_s = s;
  twin_s.raw[0][1] = robot.true_count(0, 1);  // the twin's joint stands where ours truly is
  twin.apply(fault("pot-noise", "J12", "5"), twin_s);
  double low = 1e9, high = -1e9;
  for (int i = 0; i < 1000; ++i) {
    read();
    twin.before_read(twin_s);
    EXPECT_EQ(twin_s.raw[0][1], s.raw[0][1]);
    const double d = s.raw[0][1] - robot.true_count(0, 1);
    low = std::min(low, d);
    high = std::max(high, d);
  }
  EXPECT_GE(low, -5);
  EXPECT_LE(high, 5);
  EXPECT_LT(low, -4.9);  // uniform over the whole band, not a constant
  EXPECT_GT(high, 4.9);
}

TEST_F(Injector, DeadMotorHoldsTheJointAndAReversedOneRunsItTheOtherWay) {
  read();
  robot.apply(fault("motor-dead", "J12"), s);
  drive_j12(2.0, 50);
  EXPECT_EQ(s.raw[0][1], 2048);
  robot.apply(fault("motor-reversed", "J12"), s);
  drive_j12(2.0, 100);
  EXPECT_NEAR(s.raw[0][1], 2048 - 30.898, 1e-9);  // the potentiometer tells the truth
  EXPECT_EQ(s.raw[0][1], robot.true_count(0, 1));
  robot.apply(fault("clear", "J12"), s);
  drive_j12(2.0, 100);
  EXPECT_NEAR(s.raw[0][1], 2048, 1e-9);
}

TEST_F(Injector, ACountWrittenFromOutsideIsWhereTheJointNowIs) {
  robot.apply(fault("pot-offset", "J11", "100"), s);
  read();
  EXPECT_EQ(s.raw[0][0], 2148);
  s.raw[0][0] = 2048;  // the start-up places the robot again
  read();
  EXPECT_EQ(robot.true_count(0, 0), 2048);
  EXPECT_EQ(s.raw[0][0], 2148);
}

TEST_F(Injector, StuckPawReportsItsVoltageEverywhereAndTheRepairGivesBackTheCheckBox) {
  robot.set_paw_switch(s, 1, 2.5);
  robot.apply(fault("paw-stuck", "PAW2", "off"), s);
  read();
  EXPECT_EQ(s.paw_volt[1], 0.0);
  EXPECT_FALSE(s.paw[1]);
  s.paw_volt[1] = 2.5;  // written behind the robot's back: the next read is stuck again
  read();
  EXPECT_FALSE(s.paw[1]);
  robot.set_paw_switch(s, 1, 0.0);  // the operator opens the box while the switch is stuck
  robot.set_paw_switch(s, 1, 2.5);  // and closes it again
  robot.set_paw_switch(s, 2, 2.5);  // a sound switch follows the box at once
  EXPECT_EQ(s.paw_volt[2], 2.5);
  robot.apply(fault("paw-stuck", "PAW2", "on"), s);
  robot.set_paw_switch(s, 1, 0.0);
  read();
  EXPECT_TRUE(s.paw[1]);
  robot.apply(fault("clear", "PAW2"), s);
  read();
  EXPECT_EQ(s.paw_volt[1], 0.0);
  EXPECT_FALSE(s.paw[1]);
}

TEST_F(Injector, StuckChannelChangesOnlyWhatTheChannelReads) {
  robot.apply(fault("ad-stuck", "AD4", "-3.25"), s);
  robot.apply(fault("ad-stuck", "AD14", "7"), s);
  read();
  EXPECT_EQ(s.ad[4], -3.25);
  EXPECT_EQ(s.ad[14], 7);
  EXPECT_EQ(s.pt_volt[1][1], 0.0);  // the joint behind channel 4 reads as ever
  robot.apply(fault("clear", "all"), s);
  read();
  EXPECT_EQ(s.ad[4], 0.0);
  EXPECT_EQ(s.ad[14], 0.0);  // never written by the read: the repair gives back its 0
  EXPECT_FALSE(robot.any_active());
}

TEST_F(Injector, OverrunMakesTheNextBracketedSpanLongerThanOnePeriodOnce) {
  EXPECT_EQ(robot.clock_seconds(0.001), robot.clock_seconds(0.001));
  robot.apply(fault("overrun"), s);
  EXPECT_TRUE(robot.any_active());
  const double start = robot.clock_seconds(0.001);
  const double end = robot.clock_seconds(0.001);
  EXPECT_GT(end - start, 0.001);
  EXPECT_FALSE(robot.any_active());
  EXPECT_EQ(robot.clock_seconds(0.001), end);
  robot.apply(fault("overrun"), s);
  robot.apply(fault("clear", "all"), s);
  EXPECT_EQ(robot.clock_seconds(0.001), robot.clock_seconds(0.001));
}

}  // namespace
}  // namespace rokan
