// Shared pieces of the fuzz targets: a private copy of the bundled workspace,
// and a host that answers every key wait, so a reader's "press a key" never blocks.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "console/console.h"
#include "core/controller.h"
#include "platform/paths.h"
#include "sim/silent_host.h"

namespace rokan::fuzz {

// What KeyHost throws for exit_process, which never returns to the controller.
struct FuzzExit {
  int code;
};

class KeyHost : public SilentHost {
 public:
  Controller* c = nullptr;
  int waits = 0;
  void process_one_event() override {
    // 'q' leaves every menu and screen; after many waits give up with the Esc key release.
    key_char(*c, ++waits > 1000 ? 27 : 'q');
  }
  [[noreturn]] void exit_process(int code) override { throw FuzzExit{code}; }
};

// A fresh copy of the workspace, made once per process (ROKAN_SOURCE_DIR/workspace). The
// working directory stays where libFuzzer expects it; targets use absolute paths.
inline const std::filesystem::path& fuzz_dir(const char* name) {
  static const std::filesystem::path dir = [name] {
    auto d = std::filesystem::temp_directory_path() /
             (std::string("rokan_fuzz_") + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(d);
    std::filesystem::copy(std::filesystem::path(ROKAN_SOURCE_DIR) / "workspace", d,
                          std::filesystem::copy_options::recursive);
    return d;
  }();
  return dir;
}

// The controller form of a local directory, ending in a backslash.
inline std::string controller_dir(const std::filesystem::path& dir) {
  return controller_path(dir.string()) + "\\";
}

inline void write_file(const std::filesystem::path& p, const uint8_t* data, size_t size) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace rokan::fuzz
