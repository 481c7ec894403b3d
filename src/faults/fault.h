// A fault of the simulated robot, as a test or an operator asks for it: a broken potentiometer,
// motor, paw switch or converter channel, one over-run of the sampling timer, or the repair of
// one of these. The same words serve the script line `fault KIND TARGET [VALUE]` and the batch
// option `--fault KIND:TARGET[:VALUE]@T`; parse_fault checks them and fault_text writes them back.
//
// Targets are named as RIX programs name them: joints J11..J43 (leg 1..4, joint 1..3), paw
// switches PAW1..PAW4, converter channels AD0..AD15.
#pragma once

#include <string>
#include <string_view>

namespace rokan {

enum class FaultKind {
  kPotStuck,       // the potentiometer reads `value` counts whatever the joint does
  kPotOffset,      // the potentiometer reads `value` counts more than the joint's position
  kPotNoise,       // uniform noise of +-`value` counts on the reading, the same every run
  kMotorDead,      // the motor does not move the joint
  kMotorReversed,  // the motor moves the joint against its voltage order
  kPawStuck,       // the paw switch reads closed (`value` 1) or open (0) whatever the paw does
  kAdStuck,        // the converter channel reads `value` volts
  kOverrun,        // the next sampling cycle over-runs its period once
  kClear,          // every fault of the target (or of the whole robot) is repaired
};

enum class FaultTarget { kNone, kJoint, kPaw, kAd, kAll };

struct Fault {
  FaultKind kind = FaultKind::kClear;
  FaultTarget target = FaultTarget::kNone;
  int index = 0;     // kJoint: leg * 3 + joint (0..11); kPaw: 0..3; kAd: channel 0..15
  double value = 0;  // counts, volts or the switch state, as the kind says
};

// Reads a fault from its words; `value` is empty when none was given. On a mistake returns false
// with the reason in `error` (it names the word at fault and what was expected).
bool parse_fault(std::string_view kind, std::string_view target, std::string_view value, Fault& out,
                 std::string& error);

// The words of `fault`, separated by single spaces, as a script line takes them after `fault`.
std::string fault_text(const Fault& fault);

}  // namespace rokan
