// Speed of the controller's hot paths: one sampling cycle with every leg under position control
// and an AUTO program running, whole batch runs, compiling a large RIX program, and writing a
// large sampling log.
// Each benchmark works in a fresh copy of the bundled workspace.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_host.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "core/logger.h"
#include "core/modes.h"
#include "debug/debugger.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "sim/batch.h"

namespace rokan::bench {
namespace {

namespace fs = std::filesystem;

// A copy of the bundled workspace for the lifetime of the object.
struct Workspace {
  fs::path dir;
  explicit Workspace(const std::string& name) {
    dir = fs::temp_directory_path() / ("rokan_bench_" + name);
    fs::remove_all(dir);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", dir, fs::copy_options::recursive);
  }
  ~Workspace() { fs::remove_all(dir); }
};

struct Session {
  BenchHost host;
  Controller c;
  explicit Session(const Workspace& ws) : c(host, ws.dir.string()) {
    host.c = &c;
    host.keys = {'q', 'x'};  // leave the login screen (when shown), end the start-up wait
    sampling_tick(c);
    host.keys.clear();
  }
  void press(int key) {
    key_char(c, key);
    sampling_tick(c);
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) sampling_tick(c);
  }
};

// Gait 5 walking: all four legs under position control, a built-in AUTO program stepping.
void BM_SamplingCycleGait5(benchmark::State& state) {
  Workspace ws("cycle");
  Session s(ws);
  s.press('O');
  s.press('I');
  for (int i = 0; i < 10000 && !s.c.mode.initial_reached; ++i) s.ticks(1);
  s.press('A');
  s.press('5');
  s.press('S');
  // The gait captures the sliders once its home posture is reached and then stands in its
  // height loop (steps 107, 108) until VR1 moves: +10 V gives the stride of 100 that walks.
  for (int i = 0; i < 20000 && s.c.mode.auto_step != 107 && s.c.mode.auto_step != 108; ++i)
    s.ticks(1);
  s.c.sensor.vr[0] = 10.0;
  // Measure a walking robot: wait until the first walking step (109..120) has been reached.
  for (int i = 0; i < 20000 && !(s.c.mode.auto_step >= 109 && s.c.mode.auto_step <= 120); ++i)
    s.ticks(1);
  if (s.c.mode.mode != kAuto || !s.c.mode.auto_running || s.c.mode.auto_step < 109 ||
      s.c.mode.auto_step > 120) {
    state.SkipWithError("gait 5 is not walking");
    return;
  }
  s.c.cycle.draw_skip = 1 << 30;  // no drawing: the host draws nothing anyway
  for (auto _ : state) sampling_tick(s.c);
  if (s.c.mode.mode != kAuto) state.SkipWithError("the run left AUTO during the benchmark");
  state.counters["x_real_time"] = benchmark::Counter(state.iterations() * s.c.params.sampling_time,
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SamplingCycleGait5);

// A RIX program running: every leg under position control, moving between two absolute heights
// for ever, one instruction per cycle (most cycles wait in WAIT_INPOS, as real programs do).
void rix_cycles(benchmark::State& state, bool debugger_attached) {
  Workspace ws(debugger_attached ? "cycle_rix_debugger" : "cycle_rix");
  std::ofstream(ws.dir / "DEFAULT" / "rixs" / "BENCH.RIX", std::ios::binary)
      << "3.1\nBenchmark\nUP:\n"
         "PTP F1 -301 201 -240; PTP F2 301 201 -240; PTP F3 -301 -201 -240; PTP F4 301 -201 -240\n"
         "WAIT_INPOS ALL\n"
         "PTP F1 -301 201 -250; PTP F2 301 201 -250; PTP F3 -301 -201 -250; PTP F4 301 -201 -250\n"
         "WAIT_INPOS ALL\nGOTO UP:\nEND\n";
  Session s(ws);
  RixDebugger debugger;
  if (debugger_attached) rix_debug_attach(debugger, s.c);
  s.press('O');
  s.press('I');
  for (int i = 0; i < 10000 && !s.c.mode.initial_reached; ++i) s.ticks(1);
  s.press('A');
  s.c.rix.source_name = "BENCH.RIX";
  s.press('0');
  s.press('S');
  s.ticks(1000);
  if (s.c.mode.mode != kAuto || !s.c.mode.auto_running || !s.c.mode.program_is_rix) {
    state.SkipWithError(
        ("the RIX program is not running: " + cp932_to_utf8(s.c.console.lines[1])).c_str());
    return;
  }
  s.c.cycle.draw_skip = 1 << 30;
  for (auto _ : state) sampling_tick(s.c);
  if (debugger_attached && rix_debug_state(debugger, s.c) != RixRunState::kRunning)
    state.SkipWithError("the debugger did not follow the run");
  if (s.c.mode.mode != kAuto)
    state.SkipWithError(("the run left AUTO: " + cp932_to_utf8(s.c.console.lines[1])).c_str());
  state.counters["x_real_time"] = benchmark::Counter(state.iterations() * s.c.params.sampling_time,
                                                     benchmark::Counter::kIsRate);
}
void BM_SamplingCycleRix(benchmark::State& state) {
  rix_cycles(state, false);
}
BENCHMARK(BM_SamplingCycleRix);

// The same with the RIX debugger attached and no breakpoint set: the cost of its watch.
void BM_SamplingCycleRixDebugger(benchmark::State& state) {
  rix_cycles(state, true);
}
BENCHMARK(BM_SamplingCycleRixDebugger);

// Whole batch runs as rokan-sim makes them (start-up, login, initial posture, the program for 60 s
// of simulated time, end routine), each in a fresh copy of the workspace: what a CI run of a
// program costs. x_real_time is simulated time over CPU time.
void run_batch_bench(benchmark::State& state, std::vector<std::string> program_args) {
  constexpr double kSeconds = 60;
  std::FILE* sink = std::fopen("/dev/null", "w");
  if (!sink) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto ws = std::make_unique<Workspace>("batch");
    fs::copy_file(fs::path(ROKAN_SOURCE_DIR) / "tests" / "speed" / "FOUR_LEGS.RIX",
                  ws->dir / "DEFAULT" / "rixs" / "FOUR_LEGS.RIX");
    std::vector<std::string> args = {"rokan-sim", "--workspace", ws->dir.string(), "--seconds",
                                     "60"};
    for (const std::string& a : program_args)
      args.push_back(a == "FOUR_LEGS.RIX" ? (ws->dir / "DEFAULT" / "rixs" / a).string() : a);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    state.ResumeTiming();
    const int status = batch_main(static_cast<int>(argv.size()), argv.data(), sink, sink);
    state.PauseTiming();
    ws.reset();
    state.ResumeTiming();
    if (status != kBatchTimeout) {
      state.SkipWithError(
          ("the run ended early with exit status " + std::to_string(status)).c_str());
      break;
    }
  }
  std::fclose(sink);
  state.counters["x_real_time"] =
      benchmark::Counter(state.iterations() * kSeconds, benchmark::Counter::kIsRate);
}

// rokan-sim --auto 5 --seconds 60 --vr1 10@3: gait 5 walking.
void BM_BatchRunGait5(benchmark::State& state) {
  run_batch_bench(state, {"--auto", "5", "--vr1", "10@3"});
}
BENCHMARK(BM_BatchRunGait5)->Unit(benchmark::kMillisecond);

// rokan-sim --run FOUR_LEGS.RIX --seconds 60: every leg moving up, forward, down, back, sideways.
void BM_BatchRunFourLegs(benchmark::State& state) {
  run_batch_bench(state, {"--run", "FOUR_LEGS.RIX"});
}
BENCHMARK(BM_BatchRunFourLegs)->Unit(benchmark::kMillisecond);

// A program of about 10,000 statements with 1,000 labels: every statement form of the language,
// nested blocks and subroutine calls, repeated with fresh labels.
std::string large_program(int copies) {
  std::string src =
      "3.1\nGenerated benchmark program\nDEF_VAR N, I, K\nDEF_POS HOME, P\n"
      "DEF_JNT Q\nN = 3; HOME.X = 100; HOME.Y = -150; HOME.Z = -120\n";
  std::string subs;
  for (int i = 0; i < copies; ++i) {
    std::string n = std::to_string(i);
    src += "LA" + n + ":\n" +
           "P = HOME; Q.J1 = 0; Q.J2 = 45; Q.J3 = -90\n"
           "SET_A_MAX ALL 500; SET_V_MAX_RATE F1 80; SET_V_MAX_SLOW F2; SET_OMEGA_MAX_FAST J11\n"
           "SET_JUST_POSITION ALL 0.5; SET_NEAR_ANGLE F3 Q; SET_SAMPLING_TIME 10\n"
           "PTP HS F1 R 0 A -150 HOME.Z\nREL_PTP ALL 0 0 -N\nPTP_ANGLE J23 R 10\n"
           "VEL_CONTROL F4 P\nWAIT_INPOS ALL; WAIT_NEAR J43\n"
           "STAND_UP 20; SIT_DOWN N; DETECT_FLOOR F2 1\n"
           "TEACH_POSITION F1 P; TEACH_ANGLE J12 K\nAD_IN VR1 K; AD_IN 0 3 K; KEY_IN\n"
           "MESSAGE Ready,   N=%N%   // comment\n"
           "IF HALT_REQUEST GOTO LB" +
           n + ":\n" + "IF K != CHAR_Q THEN\n  FOR I = 1 TO N STEP 1\n    CALL SA" + n +
           ":\n  NEXT I\n" +
           "ELSEIF K == CHAR_SPC THEN\n  WHILE !INPOS_F1\n    SLEEP 0.1\n  WEND\n"
           "ELSE\n  REPEAT\n    K = ATAN2 P.Y P.X\n  UNTIL K >= 0\nENDIF\n"
           "P += ROT_Z HOME 90\nIF N > 0 GOSUB SB" +
           n + ":\n" + "LB" + n + ":\nLOG_ONE_SHOT; SPECIAL 1 N -2\n";
    subs += "SUBROUTINE SA" + n + ":\n  PTP ALL P\n  RETURN\nSUBEND\n" + "SUBROUTINE SB" + n +
            ":\n  MESSAGE_CLEAR\nSUBEND\n";
  }
  return src + "EXIT\n" + subs + "END\n";
}

void BM_CompileLargeProgram(benchmark::State& state) {
  Workspace ws("compile");
  std::ofstream(ws.dir / "BIG.RIX", std::ios::binary) << utf8_to_cp932(large_program(250));
  BenchHost host;
  Controller c{host, ws.dir.string()};
  for (auto _ : state) {
    if (!rix_compile(c.rix, "", "BIG.RIX")) {
      state.SkipWithError(cp932_to_utf8(c.rix.error_text).c_str());
      return;
    }
  }
  state.counters["statements"] = static_cast<double>(c.rix.source_lines.size());
  state.counters["labels"] = static_cast<double>(c.rix.labels.size());
}
BENCHMARK(BM_CompileLargeProgram)->Unit(benchmark::kMillisecond);

// 100,000 records expanded and written, with the "Saving..." status line on every record.
void BM_WriteLog100k(benchmark::State& state) {
  Workspace ws("log");
  Session s(ws);
  s.c.params.max_buf = 100001;
  if (!allocate_log_area(s.c)) {
    state.SkipWithError("no log area");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    s.c.logger.state = kLogContinuous;
    s.ticks(100000);
    state.ResumeTiming();
    write_log_file(s.c);
  }
}
BENCHMARK(BM_WriteLog100k)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace rokan::bench

BENCHMARK_MAIN();
