// Whole RIX source files through the compiler and, when they compile, through the interpreter:
// the robot is brought to its initial posture and the program runs in AUTO mode for up to two
// seconds of simulated time, as `rokan-sim --run` runs it. Any program must end in MANUAL, EMG
// with a report line, or still be running; never in a crash or undefined behaviour.
#include <cstdio>

#include "fuzz/fuzz_support.h"
#include "sim/batch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& dir = rokan::fuzz::fuzz_dir("rixrun");
  static std::FILE* sink = std::fopen("/dev/null", "w");
  const auto file = dir / "DEFAULT" / "rixs" / "FUZZ.RIX";
  rokan::fuzz::write_file(file, data, size);
  rokan::BatchOptions options;
  options.workspace = dir.string();
  options.rix_file = file.string();
  options.seconds = 2;
  rokan::run_batch(options, rokan::rix_batch_program(options.rix_file), sink, sink);
  // A program that logs leaves a sampling log behind; keep the directory from filling up.
  for (const auto& entry : std::filesystem::directory_iterator(dir / "DEFAULT" / "log"))
    std::filesystem::remove(entry.path());
  return 0;
}
