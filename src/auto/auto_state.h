// Values shared by the built-in AUTO programs while they run. They start at 0 when the
// controller starts and are not reset between runs: only the threshold is set again at the start
// of every run, and the height keeps the last adjustment across runs and programs.
#pragma once

namespace rokan {

struct AutoState {
  double threshold = 0;   // T: smallest stride input that makes a gait step
  double stride = 0;      // S: stride input, mm (VR1 change times gait constant A, clamped)
  double height = 0;      // Z: foot z of the home posture, mm (body frame, negative below)
  double half_width = 0;  // X: x distance of the feet from the body centre line, mm
  double lift = 0;        // H: foot lift, mm
  double width = 0;       // W: inward shift of the feet from VR3 (gaits 5 and 6), mm
  double swing_out = 0;   // E: outward swing of a foot in the air (gaits 5 and 6), mm
  double shift = 0;       // D: half the fore-and-aft travel of a pair (gaits 5 and 6), mm
};

}  // namespace rokan
