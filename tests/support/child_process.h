// Runs a piece of a test in a child process, for failures that change the process itself: a
// file size limit (RLIMIT_FSIZE, with SIGXFSZ ignored so writes fail with EFBIG as on a full
// disk) or a signal. The child's result comes back as its exit status.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>

namespace rokan::test {

// Runs `body` in a forked child and returns its exit status (the body's result), or 128 +
// signal when a signal ended the child.
inline int in_child(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int result = 99;
    try {
      result = body();
    } catch (...) {
      result = 98;
    }
    std::fflush(nullptr);
    ::_exit(result);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// In the child: files may not grow beyond `bytes`; a write past it fails with EFBIG.
inline void limit_file_size(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  // Only the soft limit: the child can lift it again (a disk with room once more).
  struct rlimit limit;
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Permission bits do not stop root: tests of a read-only directory skip themselves then.
inline bool permissions_apply() {
  return ::geteuid() != 0;
}

}  // namespace rokan::test
