// A GUI test that hangs (a modal dialog nobody answers, a nested event loop that never returns)
// blocks its QTest::qWaitFor as well, so its own time limits never fire and CTest can only kill
// it without a word. The watchdog runs beside the test: when the test outlives its limit it
// prints every thread's stack (gdb, when the machine has it) and aborts, so the log says where
// the test stood.
#pragma once

#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace rokan::test {

class HangWatchdog {
 public:
  HangWatchdog(std::string name, std::chrono::seconds limit)
      : name_(std::move(name)), thread_([this, limit] { watch(limit); }) {}

  ~HangWatchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    woken_.notify_one();
    thread_.join();
  }

  HangWatchdog(const HangWatchdog&) = delete;
  HangWatchdog& operator=(const HangWatchdog&) = delete;

 private:
  void watch(std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (woken_.wait_for(lock, limit, [this] { return done_; })) return;
    std::fprintf(stderr, "\n%s: still running after %lld s; stacks of every thread follow\n",
                 name_.c_str(), static_cast<long long>(limit.count()));
    std::fflush(stderr);
    // gdb runs as our child; under Yama's ptrace scope a child may only attach when allowed.
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    const std::string cmd = "gdb -p " + std::to_string(getpid()) +
                            " -batch -nx -ex 'thread apply all bt' 1>&2 2>/dev/null";
    if (std::system(cmd.c_str()) != 0)
      std::fprintf(stderr, "%s: no stacks (gdb is missing or could not attach)\n", name_.c_str());
    std::abort();
  }

  std::string name_;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool done_ = false;
  std::thread thread_;  // last: it starts in the constructor and uses the members above
};

}  // namespace rokan::test
