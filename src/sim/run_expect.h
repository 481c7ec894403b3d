// Expectations written into a RIX program for suite runs, as comment lines the compiler skips:
//   // expect: exit N        the run's exit status (default 0, or 1 with an emg expectation)
//   // expect: message TEXT  a whole line of the program's output, after the previous one
//   // expect: emg TEXT      the run ends in EMG with a reason that contains TEXT
// "\t" in TEXT stands for a tab (MESSAGE output separates its fields with tabs).
#pragma once

#include <string>
#include <vector>

namespace rokan {

struct RunExpectations {
  int exit = -1;                      // -1: not given
  std::vector<std::string> messages;  // UTF-8, in order
  std::vector<std::string> emg;       // UTF-8
};

// Reads the expect lines of a program's source (UTF-8). On a malformed expect line returns false
// with "line N: what is wrong" in `error`.
bool parse_run_expectations(const std::string& source, RunExpectations& out, std::string& error);

// What a finished run did: its exit status, the reason it gave on its error stream (empty when it
// ended well) and the lines it showed.
struct RunOutcome {
  int status = 0;
  std::string reason;
  std::vector<std::string> output;
};

// Empty when the run met the expectations, else why not, as one line.
std::string check_run_expectations(const RunExpectations& expect, const RunOutcome& run);

}  // namespace rokan
