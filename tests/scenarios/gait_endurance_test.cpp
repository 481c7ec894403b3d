// A minute of simulated walking for every gait at the slider settings the other gait tests use:
// no EMG (no target out of reach, no angle limit) and the gait still walking when time runs out.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sim/batch.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;

struct Walk {
  std::vector<std::string> args;
  int walking_step;  // a step of the walking cycle that a minute of walking passes through
};

std::string read_stream(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

TEST(GaitEndurance, EveryGaitWalksAMinuteWithoutEmg) {
  const Walk walks[] = {
      {{"--auto", "1", "--vr2", "1@2", "--vr1", "-8@5"}, 12},                    // Z = -235
      {{"--auto", "2", "--vr3", "6@0.5", "--vr3", "0@3", "--vr1", "5@14"}, 50},  // S = 50
      {{"--auto", "3", "--vr1", "-2", "--vr1", "10@1"}, 76},                     // S = 100
      {{"--auto", "4", "--vr1", "0.6@3"}, 99},
      {{"--auto", "5", "--vr2", "2@1", "--vr3", "4@1", "--vr1", "10@3"}, 118},  // Z -300, W 40
      {{"--auto", "6", "--vr1", "10@1"}, 135},
  };
  const fs::path ws = fs::temp_directory_path() / "rokan_gait_endurance";
  for (const Walk& w : walks) {
    fs::remove_all(ws);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
    std::vector<std::string> args = {"rokan-sim", "--workspace", ws.string(),
                                     "--seconds", "60",          "--trace"};
    args.insert(args.end(), w.args.begin(), w.args.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = batch_main(static_cast<int>(argv.size()), argv.data(), out, err);
    const std::string trace = read_stream(out), why = read_stream(err);
    EXPECT_EQ(status, kBatchTimeout) << "gait " << w.args[1] << ": " << why;
    const std::string step = "step " + std::to_string(w.walking_step) + " at ";
    std::size_t cycles = 0;
    for (std::size_t pos = 0; (pos = trace.find(step, pos)) != std::string::npos; ++pos) ++cycles;
    EXPECT_GE(cycles, 2u) << "gait " << w.args[1] << " walked fewer than two cycles";
  }
  fs::remove_all(ws);
}

}  // namespace
}  // namespace rokan
