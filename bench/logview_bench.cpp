// Opening a large sampling log in the viewer: 100,000 rows of 92 "%lf" columns (~90 MB), read
// from a file and parsed as the log viewer does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "logview/sample_log.h"
#include "platform/text.h"

namespace rokan::bench {
namespace {

std::string large_log_text(int rows) {
  std::string text = utf8_to_cp932("サンプリングオーバータイムのチェックは無効です．\n\nNo.\t時間");
  for (int c = 2; c < 92; ++c) text += format("\tC%d", c);
  text += '\n';
  char buf[64];
  for (int r = 0; r < rows; ++r) {
    text += format("%d\t%lf", r, r * 0.01);
    for (int c = 2; c < 92; ++c) {
      std::snprintf(buf, sizeof buf, "\t%lf", 250.0 * std::sin(r * 0.001 * c) - c);
      text += buf;
    }
    text += '\n';
  }
  return text;
}

void BM_OpenSampleLog100k(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "rokan_bench_RKN0000.LOG";
  {
    const std::string text = large_log_text(100000);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
      state.SkipWithError("cannot write the log");
      return;
    }
    std::fclose(f);
  }
  for (auto _ : state) {
    SampleLog log = load_sample_log(path.string());
    if (log.rows != 100000 || !log.skipped.empty()) state.SkipWithError("log not read whole");
    benchmark::DoNotOptimize(log.values.data());
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_OpenSampleLog100k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace rokan::bench
