#include "faults/fault_injector.h"

#include "core/units.h"

namespace rokan {
namespace {

// splitmix64: a fixed, portable sequence, so a noisy run is the same on every machine.
uint64_t next_random(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Uniform in [-1, 1).
double next_uniform(uint64_t& state) {
  return static_cast<double>(next_random(state) >> 11) * (1.0 / 9007199254740992.0) * 2 - 1;
}

}  // namespace

void FaultInjector::apply(const Fault& f, Sensor& sensor) {
  switch (f.kind) {
    case FaultKind::kPotStuck:
    case FaultKind::kPotOffset:
    case FaultKind::kPotNoise: {
      Joint& j = joint_[f.index];
      j.pot = f.kind == FaultKind::kPotStuck    ? Pot::kStuck
              : f.kind == FaultKind::kPotOffset ? Pot::kOffset
                                                : Pot::kNoise;
      j.pot_value = f.value;
      j.noise_state = 0x5EED0000ULL + static_cast<uint64_t>(f.index);
      break;
    }
    case FaultKind::kMotorDead:
      joint_[f.index].motor = Motor::kDead;
      break;
    case FaultKind::kMotorReversed:
      joint_[f.index].motor = Motor::kReversed;
      break;
    case FaultKind::kPawStuck:
      if (paw_stuck_[f.index] < 0) operator_paw_[f.index] = sensor.paw_volt[f.index];
      paw_stuck_[f.index] = f.value != 0 ? 1 : 0;
      sensor.paw_volt[f.index] = f.value != 0 ? kSwitchClosedVolts : kSwitchOpenVolts;
      break;
    case FaultKind::kAdStuck:
      if (!ad_stuck_[f.index]) ad_before_[f.index] = sensor.ad[f.index];
      ad_stuck_[f.index] = true;
      ad_value_[f.index] = f.value;
      break;
    case FaultKind::kOverrun:
      overrun_readings_ = 2;
      break;
    case FaultKind::kClear:
      switch (f.target) {
        case FaultTarget::kJoint:
          clear_joint(f.index);
          break;
        case FaultTarget::kPaw:
          clear_paw(sensor, f.index);
          break;
        case FaultTarget::kAd:
          clear_ad(sensor, f.index);
          break;
        default:
          for (int k = 0; k < 12; ++k) clear_joint(k);
          for (int p = 0; p < 4; ++p) clear_paw(sensor, p);
          for (int ch = 0; ch < 16; ++ch) clear_ad(sensor, ch);
          overrun_readings_ = 0;
          break;
      }
      break;
  }
}

void FaultInjector::clear_joint(int k) {
  joint_[k].pot = Pot::kSound;
  joint_[k].motor = Motor::kSound;
}

void FaultInjector::clear_paw(Sensor& sensor, int paw) {
  if (paw_stuck_[paw] < 0) return;
  paw_stuck_[paw] = -1;
  sensor.paw_volt[paw] = operator_paw_[paw];
}

// Channels 12..15 are never written by the read: they get back what they held.
void FaultInjector::clear_ad(Sensor& sensor, int channel) {
  if (!ad_stuck_[channel]) return;
  ad_stuck_[channel] = false;
  sensor.ad[channel] = ad_before_[channel];
}

void FaultInjector::set_paw_switch(Sensor& sensor, int paw, double volts) {
  if (paw_stuck_[paw] < 0)
    sensor.paw_volt[paw] = volts;
  else
    operator_paw_[paw] = volts;
}

double FaultInjector::clock_seconds(double period) {
  if (overrun_readings_ > 0 && --overrun_readings_ == 0) clock_ += period + 1.0;
  return clock_;
}

bool FaultInjector::any_active() const {
  for (const Joint& j : joint_)
    if (j.pot != Pot::kSound || j.motor != Motor::kSound) return true;
  for (int p = 0; p < 4; ++p)
    if (paw_stuck_[p] >= 0) return true;
  for (bool stuck : ad_stuck_)
    if (stuck) return true;
  return overrun_readings_ > 0;
}

void FaultInjector::follow_outside_write(const Sensor& sensor, int k) {
  const double count = sensor.raw[k / 3][k % 3];
  if (count != joint_[k].reported) joint_[k].truth = count;
}

double FaultInjector::reading(Joint& j) {
  switch (j.pot) {
    case Pot::kStuck:
      return j.pot_value;
    case Pot::kOffset:
      return j.truth + j.pot_value;
    case Pot::kNoise:
      return j.truth + j.pot_value * next_uniform(j.noise_state);
    case Pot::kSound:
      break;
  }
  return j.truth;
}

void FaultInjector::before_read(Sensor& sensor) {
  for (int k = 0; k < 12; ++k) {
    follow_outside_write(sensor, k);
    Joint& j = joint_[k];
    j.reported = sensor.raw[k / 3][k % 3] = reading(j);
  }
  for (int p = 0; p < 4; ++p)
    if (paw_stuck_[p] >= 0)
      sensor.paw_volt[p] = paw_stuck_[p] ? kSwitchClosedVolts : kSwitchOpenVolts;
}

void FaultInjector::after_read(Sensor& sensor) {
  for (int ch = 0; ch < 16; ++ch)
    if (ad_stuck_[ch]) sensor.ad[ch] = ad_value_[ch];
}

void FaultInjector::drive(Sensor& sensor, int leg, int joint, double volts, double dt) {
  const int k = leg * 3 + joint;
  follow_outside_write(sensor, k);
  Joint& j = joint_[k];
  if (j.motor == Motor::kDead) return;
  if (j.motor == Motor::kReversed) volts = -volts;
  // The same product as the sound plant, so a sound joint moves bit for bit as without faults.
  j.truth += volts * sensor.plant_gain[leg][joint] * dt;
  // A sound potentiometer follows the joint at once, as the plant's count always did.
  if (j.pot == Pot::kSound) j.reported = sensor.raw[leg][joint] = j.truth;
}

}  // namespace rokan
