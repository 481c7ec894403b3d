// A private copy of the bundled workspace for one test: the controller under test is given its
// path, so tests never depend on (or change) the process's working directory.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace rokan::test {

// A scratch path in the temporary directory under `name` and the process id: test processes
// running side by side (ctest -j, or two suites at once) never share one.
inline std::filesystem::path private_temp_path(const std::string& name) {
  return std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
}

// A fresh copy of the bundled workspace in the temporary directory, under `name` and the process
// id: test processes running side by side (ctest -j) never share a copy, even when two suites
// name a test alike.
inline std::filesystem::path fresh_workspace(const std::string& name) {
  const std::filesystem::path dir = private_temp_path(name);
  std::filesystem::remove_all(dir);
  std::filesystem::copy(std::filesystem::path(ROKAN_SOURCE_DIR) / "workspace", dir,
                        std::filesystem::copy_options::recursive);
  return dir;
}

}  // namespace rokan::test
