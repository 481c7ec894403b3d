// Units and converter scales the whole controller shares: angles are held in radians (operators
// read and type degrees), potentiometer and control-box signals in volts, which the 12-bit
// converter turns into counts.
//
// Each conversion is written once, as the exact sequence of floating-point operations its
// callers' outputs were made with: two forms that look equal in algebra (x * (180 / pi) and
// x * (1 / pi) * 180) can differ in the last bit, and screens, files and logs print them.
#pragma once

namespace rokan {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

// Degrees <-> radians by one factor (the factor rounded once): screens, parameter files, logs.
inline constexpr double kRadToDeg = 180.0 / kPi;
inline constexpr double kDegToRad = kPi / 180.0;
constexpr double rad_to_deg(double rad) {
  return rad * kRadToDeg;
}
constexpr double deg_to_rad(double deg) {
  return deg * kDegToRad;
}

// The same conversions as two multiplications, rounded after each: the safety monitor's limit
// reports (by 1/pi, then 180) and the potentiometer model (by 1/180, then pi).
constexpr double rad_to_deg_in_steps(double rad) {
  return rad * (1 / kPi) * 180;
}
constexpr double deg_to_rad_in_steps(double deg) {
  return deg * (1.0 / 180) * kPi;
}

// RIX's DEG/RAD conversions: the two-step forms in extended precision, rounded to double once.
inline constexpr long double kPiExtended = 3.141592653589793238462643383279502884L;
constexpr double deg_to_rad_extended(double deg) {
  return static_cast<double>(static_cast<long double>(deg) * (1.0L / 180.0L) * kPiExtended);
}
constexpr double rad_to_deg_extended(double rad) {
  return static_cast<double>((1.0L / kPiExtended) * static_cast<long double>(rad) * 180.0L);
}

// The 12-bit converter: -10..+10 V over 4096 counts, 2048 counts = 0 V, 4095 the top count.
inline constexpr int kConverterCounts = 4096;
inline constexpr int kConverterZeroCount = 2048;
inline constexpr int kConverterTopCount = 4095;
inline constexpr double kConverterSpanVolts = 20;  // -10 .. +10 V

constexpr double counts_to_volts(double counts) {
  return counts * (1.0 / kConverterCounts) * kConverterSpanVolts - kConverterSpanVolts / 2;
}
// The inverse as the potentiometer read divides (by the span last), before any rounding.
constexpr double volts_to_counts(double volts) {
  return (volts + kConverterSpanVolts / 2) * kConverterCounts / kConverterSpanVolts;
}
// The inverse as the log's output codes scale (by 1/span first), before any rounding.
constexpr double volts_to_counts_scaled(double volts) {
  return (volts + kConverterSpanVolts / 2) * (1.0 / kConverterSpanVolts) * kConverterCounts;
}

// The control box's switches (paw switches, antenna): the voltage a closed and an open switch
// give, and the level above which the controller reads a switch as closed.
inline constexpr double kSwitchClosedVolts = 2.5;
inline constexpr double kSwitchOpenVolts = 0.0;
inline constexpr double kSwitchThresholdVolts = 2.0;

}  // namespace rokan
