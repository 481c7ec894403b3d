// Sampling data logger: compact raw records in a preallocated area, expanded at write time.
#pragma once

#include <cstdint>
#include <vector>

namespace rokan {

struct Controller;

// One logged cycle; 64 bytes.
struct LogRecord {
  uint16_t raw[4][3];
  uint16_t order[4][3];  // 12-bit code of (volts + 10) * 0.05 * 4096
  int32_t mode;          // -2 MANUAL, -3 ORIGIN, -4 EMG, -1 AUTO not running, else step / pc
  uint16_t paw[4];
  uint16_t antenna;
};
static_assert(sizeof(LogRecord) == 64);

enum LoggingState : uint8_t { kLogOff = 0, kLogOneShot = 1, kLogContinuous = 2 };

struct LoggerState {
  std::vector<LogRecord> area;  // MAX_BUF records once allocated; never resized in the cycle
  bool allocated = false;
  int32_t count = 0;
  uint8_t state = kLogOff;
  int32_t skip_counter = 1;
  uint8_t over_run = 0;  // a sampling cycle over-ran since the last write
};

}  // namespace rokan
