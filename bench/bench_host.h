// A host that answers every wait from a queue of keys and otherwise does nothing: what is left
// of a sampling cycle under it is the controller's own work.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>

#include "console/console.h"
#include "core/controller.h"
#include "sim/silent_host.h"

namespace rokan::bench {

class BenchHost : public SilentHost {
 public:
  std::deque<int> keys;
  Controller* c = nullptr;

  void process_one_event() override {
    if (keys.empty()) throw std::runtime_error("the controller waited for a key");
    key_char(*c, keys.front());
    keys.pop_front();
  }
  [[noreturn]] void exit_process(int code) override {
    throw std::runtime_error("exit " + std::to_string(code));
  }
};

}  // namespace rokan::bench
