// The signals that ask a run to stop: SIGINT, SIGTERM and SIGHUP. The first one ends the run
// through the end routine, so pending sampling data are written and the report log is closed:
// the handler only records the signal and wakes the event loop through a pipe, and the loop
// that runs the controller looks at stop_signal() between events. A second one cannot wait for
// that: it removes the sampling log being written (no partial RKNnnnn.LOG is left behind) and
// ends the process at once with 128 + signal.
#pragma once

#include <string_view>

namespace rokan {

// Installs the handlers (once per process). A file size limit then makes writes fail with
// EFBIG, reported like any other failed write, instead of killing the process with SIGXFSZ.
void install_stop_signals();
// The first stop signal received, or 0.
int stop_signal();
// Read end of the pipe the handler writes one byte to, for an event loop to watch; -1 before
// install_stop_signals().
int stop_signal_fd();
// The exit status of a run ended by `signal`.
inline int signal_exit_status(int signal) {
  return 128 + signal;
}

// Thrown by a headless host's event loop when a stop signal has come: it unwinds to the front
// end, which then runs the end routine.
struct StopRequested {
  int signal;
};

// Names the file being written (a local path), for a second signal to remove; an empty name
// clears it. `shown` is the name the removal notice gives (the path itself when empty). Both are
// kept in a fixed buffer that the handler can read at any moment.
void set_file_in_progress(std::string_view local_path, std::string_view shown = {});

}  // namespace rokan
