// Sampling data logger: compact raw records in a preallocated area, expanded at write time.
// Recording copies and truncates a few numbers; nothing is allocated, formatted or written in
// the sampling cycle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/robot_state.h"
#include "core/units.h"

namespace rokan {

struct Controller;

// One logged cycle; 64 bytes.
struct LogRecord {
  uint16_t raw[kLegCount][kJointsPerLeg];    // potentiometer counts, truncated
  uint16_t order[kLegCount][kJointsPerLeg];  // 12-bit code of (volts + 10) * 0.05 * 4096
  int32_t mode;             // -2 MANUAL, -3 ORIGIN, -4 EMG, -1 AUTO not running, else step / pc
  uint16_t paw[kLegCount];  // input codes, same scale as the orders
  uint16_t antenna;
};
static_assert(sizeof(LogRecord) == 64);

enum LoggingState : uint8_t { kLogOff = 0, kLogOneShot = 1, kLogContinuous = 2 };

struct LoggerState {
  std::unique_ptr<LogRecord[]> area;  // `capacity` records; only (re)allocated outside the cycle
  int32_t capacity = 0;
  int32_t count = 0;  // records filled, 0 .. MAX_BUF - 1
  uint8_t state = kLogOff;
  int32_t skip_counter = 1;
  bool over_run = false;         // a sampling cycle over-ran since the last write
  std::string write_error;       // message of the last failed write (CP932); empty after a success
  std::string write_error_file;  // the log file that write tried (controller path)
  std::string written_file;      // the log file of the last successful write
};

// (Re)allocates MAX_BUF records; on failure reports it, switches to EMG and returns false
// (an area already allocated is then kept, with its records).
bool allocate_log_area(Controller& c);
// Writes the records waiting in the area, then allocates MAX_BUF records: nothing recorded is
// dropped when the size changes. False, with the area and its records kept, when the write
// or the allocation failed.
bool reallocate_log_area(Controller& c);
// Frees the area; its records are gone (the end routine writes them first).
void release_log_area(Controller& c);
// The logger's part of a sampling cycle: while logging is on, copies this cycle's counts, orders,
// mode and switches into the next record (every SAMPLING_SKIP cycles when continuous; one-shot
// logging takes one record and goes off). A full area keeps overwriting its last record. Nothing
// is allocated, formatted or written here.
void record_sample(Controller& c);
// Writes every filled record to the next free RKNnnnn.LOG and empties the area. Every step from
// the open to the close is checked: on a failure the message, with the system's reason, goes
// to the prompt line, standard error and the report log, the broken file is removed (so its
// number is used by the next write), the records stay in the area and false is returned.
bool write_log_file(Controller& c);
// Lamp "LOGGING": logging is on and the area has not overflowed.
bool logging_lamp(const Controller& c);

// Voltage <-> 12-bit code of the log records (0 = -10 V, 2048 = 0 V, 4096 = +10 V).
uint16_t volts_to_code(double volts);
inline double code_to_volts(uint16_t code) {
  return counts_to_volts(code);
}

}  // namespace rokan
