#include "platform/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace rokan {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_signal = 0;
int g_pipe[2] = {-1, -1};

// The file in progress: the name is written while `g_in_progress` is 0 and published by setting
// it to 1, so the handler never reads a half-written name. The name shown follows the path
// removed in the same buffer.
char g_in_progress_name[4096];
const char* g_in_progress_shown = g_in_progress_name;
volatile std::sig_atomic_t g_in_progress = 0;

void write_all(int fd, const char* text) {
  std::size_t n = std::strlen(text);
  while (n > 0) {
    ssize_t w = ::write(fd, text, n);
    if (w <= 0) return;
    text += w;
    n -= static_cast<std::size_t>(w);
  }
}

extern "C" void on_stop_signal(int sig) {
  if (g_signal == 0) {
    const int saved = errno;
    g_signal = sig;
    if (g_pipe[1] >= 0) {
      [[maybe_unused]] ssize_t w = ::write(g_pipe[1], "s", 1);
    }
    errno = saved;
    return;
  }
  // Only async-signal-safe calls from here on.
  if (g_in_progress && ::unlink(g_in_progress_name) == 0) {
    write_all(2,
              "\nstopped at once by a second signal; the sampling log being written was "
              "removed: ");
    write_all(2, g_in_progress_shown);
    write_all(2, "\n");
  } else {
    write_all(2, "\nstopped at once by a second signal\n");
  }
  ::_exit(signal_exit_status(sig));
}

}  // namespace

void install_stop_signals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  if (::pipe(g_pipe) == 0) {
    for (int fd : g_pipe) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);  // a full pipe must not block the handler
  }
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : kStopSignals) ::sigaction(sig, &sa, nullptr);
  std::signal(SIGXFSZ, SIG_IGN);
}

int stop_signal() {
  return g_signal;
}

int stop_signal_fd() {
  return g_pipe[0];
}

void set_file_in_progress(std::string_view local_path, std::string_view shown) {
  g_in_progress = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (shown.empty()) shown = local_path;
  if (local_path.empty() || local_path.size() + shown.size() + 2 > sizeof g_in_progress_name)
    return;
  std::memcpy(g_in_progress_name, local_path.data(), local_path.size());
  g_in_progress_name[local_path.size()] = '\0';
  char* name = g_in_progress_name + local_path.size() + 1;
  std::memcpy(name, shown.data(), shown.size());
  name[shown.size()] = '\0';
  g_in_progress_shown = name;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  g_in_progress = 1;
}

}  // namespace rokan
