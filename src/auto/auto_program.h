// AUTO program registry: the names of programs 0..9 and the per-cycle dispatch of the running
// program. Program 0 is the RIX program; 1..6 and 9 are the built-in gaits and test sequence.
#pragma once

#include <cstdint>
#include <string>

namespace rokan {

struct Controller;

inline constexpr int kAutoProgramCount = 10;
inline constexpr int kRixProgram = 0;

// AUTO step values of the RIX program (the built-in programs use 2..150).
inline constexpr uint8_t kRixRunning = 151;
inline constexpr uint8_t kRixFinished = 153;

// Name of AUTO program n (CP932); empty for the unused numbers 7 and 8 and for n outside 0..9.
// Only programs with a name can be chosen.
const std::string& auto_program_name(int n);

// One step of AUTO program n, called by leg_control once per cycle while AUTO runs. 1 when the
// step went well, 0 on failure (the caller then stops in EMG).
int run_auto_program(Controller& c, int n);

// Program counter of the RIX program, shown on the mode line while it runs.
int auto_rix_pc(const Controller& c);

}  // namespace rokan
