// The seam through which a broken simulated robot is modelled. The controller reads its
// converters and drives its motors only through the sensor read and the plant step; a
// PlantFaults attached to the controller sits inside those two places, so a broken
// potentiometer, switch or motor reaches the controller exactly as it would on the machine,
// through the counts, voltages and switch states it reads. With nothing attached the
// potentiometer count is the joint's position and the plant advances it directly.
#pragma once

#include "core/robot_state.h"

namespace rokan {

class PlantFaults {
 public:
  virtual ~PlantFaults() = default;

  // Before the converters are read: the counts and switch voltages as the robot reports them.
  virtual void before_read(Sensor& sensor) = 0;
  // After the read: the channels as the converter board publishes them.
  virtual void after_read(Sensor& sensor) = 0;
  // The plant step of one joint: its motor gets `volts` (already limited) for `dt` seconds.
  virtual void drive(Sensor& sensor, int leg, int joint, double volts, double dt) = 0;
};

}  // namespace rokan
