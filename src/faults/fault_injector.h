// The simulated robot with its faults. Attached to a controller (Controller::plant_faults), it
// takes over the two places where the controller meets the robot: the converter read and the
// plant step. It keeps each joint's true position (in converter counts: what a sound
// potentiometer would read) apart from the count the potentiometer reports, so a broken
// potentiometer and a broken motor differ as they do on the machine:
//   - a potentiometer fault changes only what is read; the joint goes where its motor drives it;
//   - a motor fault changes how the joint moves; the potentiometer reports that truthfully.
// A stuck paw switch reports its stuck voltage to everything that reads the paw (its state, RIX
// AD_IN, the sampling log); the operator's check box is kept and comes back with the repair. A
// stuck converter channel changes only what AD_IN of that channel reads: the joint angles come
// from the potentiometer voltages, not from the channel copies.
//
// With no fault active the attached robot behaves bit for bit as the plant without it.
//
// The over-run is a fault of the timer, not of the robot: the host's monotonic clock comes from
// clock_seconds, and after `overrun` the next sampling cycle's control work sees the clock jump.
#pragma once

#include <cstdint>

#include "core/plant_faults.h"
#include "core/robot_state.h"
#include "faults/fault.h"

namespace rokan {

class FaultInjector : public PlantFaults {
 public:
  // Makes `fault` take effect (or repairs, for kClear) from the next sensor read or plant step
  // on. A paw switch that sticks changes `sensor` at once; a repaired one gets back the
  // operator's voltage.
  void apply(const Fault& fault, Sensor& sensor);

  // The operator sets paw switch `paw` (0..3) to `volts`: it reaches the sensor unless the
  // switch is stuck, and is kept for the repair.
  void set_paw_switch(Sensor& sensor, int paw, double volts);

  // The host's monotonic clock, s. Nothing moves it but an over-run: of the two readings that
  // bracket the next cycle's control work, the second comes one period and a second later.
  double clock_seconds(double period);

  // The joint's true position in converter counts (leg 0..3, joint 0..2).
  double true_count(int leg, int joint) const { return joint_[leg * 3 + joint].truth; }
  // True while some fault is in effect (an over-run counts until its cycle has run).
  bool any_active() const;

  void before_read(Sensor& sensor) override;
  void after_read(Sensor& sensor) override;
  void drive(Sensor& sensor, int leg, int joint, double volts, double dt) override;

 private:
  enum class Pot : uint8_t { kSound, kStuck, kOffset, kNoise };
  enum class Motor : uint8_t { kSound, kDead, kReversed };

  struct Joint {
    double truth = 0;     // true position, counts
    double reported = 0;  // the count this robot last put into the sensor record
    Pot pot = Pot::kSound;
    Motor motor = Motor::kSound;
    double pot_value = 0;  // kStuck: the count; kOffset: counts added; kNoise: amplitude
    uint64_t noise_state = 0;
  };

  // A count in the sensor record that this robot did not put there (the start-up placing the
  // robot, a test) is where the joint now is.
  void follow_outside_write(const Sensor& sensor, int k);
  double reading(Joint& j);
  void clear_joint(int k);
  void clear_paw(Sensor& sensor, int paw);
  void clear_ad(Sensor& sensor, int channel);

  Joint joint_[kLegCount * kJointsPerLeg];
  int8_t paw_stuck_[kLegCount] = {-1, -1, -1, -1};  // -1 sound, 0 stuck open, 1 stuck closed
  double operator_paw_[kLegCount] = {};             // the check boxes while a switch is stuck, V
  bool ad_stuck_[16] = {};
  double ad_value_[16] = {};
  double ad_before_[16] = {};  // what a channel held before it stuck
  int overrun_readings_ = 0;   // clock readings until the jump (2 after `overrun`, else 0)
  double clock_ = 0;
};

}  // namespace rokan
