// Shared set-up of the rokan-sim tests: a fresh copy of the bundled workspace per test, batch runs
// inside the test process, and the rokan-sim executable run as a child process.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/batch.h"
#include "support/file_contents.h"
#include "support/workspace_copy.h"

namespace rokan::test {

namespace fs = std::filesystem;

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// An argument vector as main() receives it, the program name first.
struct Argv {
  std::vector<std::string> args;
  std::vector<char*> ptrs;
  explicit Argv(std::vector<std::string> a) : args(std::move(a)) {
    args.insert(args.begin(), "rokan-sim");
    for (std::string& s : args) ptrs.push_back(s.data());
  }
  int argc() const { return static_cast<int>(ptrs.size()); }
  char** argv() { return ptrs.data(); }
};

struct Outcome {
  int status = -1;
  std::string out, err;
};

class SimWorkspace : public ::testing::Test {
 protected:
  fs::path dir = [] {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("rokan_sim_") + info->test_suite_name() + "_" + info->name();
    for (char& ch : name)
      if (ch == '/') ch = '_';
    return private_temp_path(name);
  }();
  fs::path ws = dir / "ws";

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(dir); }

  // batch_main on the workspace, both streams captured in files.
  Outcome batch(std::vector<std::string> args) {
    args.insert(args.begin(), {"--workspace", ws.string()});
    Argv a(std::move(args));
    std::FILE* out = std::fopen((dir / "out.txt").c_str(), "wb");
    std::FILE* err = std::fopen((dir / "err.txt").c_str(), "wb");
    const int status = batch_main(a.argc(), a.argv(), out, err);
    std::fclose(out);
    std::fclose(err);
    return {status, slurp(dir / "out.txt"), slurp(dir / "err.txt")};
  }

  // The executable, started in `dir` (where the workspace is "ws") through the shell.
  Outcome sim(const std::string& args) {
    const std::string cmd = "cd " + dir.string() + " && " + ROKAN_BIN_DIR + "/rokan-sim " + args +
                            " > out.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, slurp(dir / "out.txt"), slurp(dir / "err.txt")};
  }
};

}  // namespace rokan::test
