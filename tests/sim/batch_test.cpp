// rokan-sim's batch mode: argument checks, the exit status of each outcome, inputs applied at
// their time, the start-up answers, and the end routine that always runs.
#include "sim/batch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/modes.h"
#include "platform/text.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;

std::string read_stream(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

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

struct Batch : ::testing::Test {
  fs::path dir =
      fs::temp_directory_path() / (std::string("rokan_batch_") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path ws = dir / "ws";

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::vector<std::string> with_workspace(std::vector<std::string> args) {
    args.insert(args.begin(), {"--workspace", ws.string()});
    return args;
  }
  Outcome run(std::vector<std::string> args) {
    Argv a(with_workspace(std::move(args)));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome o;
    o.status = batch_main(a.argc(), a.argv(), out, err);
    o.out = read_stream(out);
    o.err = read_stream(err);
    return o;
  }
};

TEST_F(Batch, ReadsTheOptionsAndRefusesWhatTheControlBoxCannotDo) {
  Argv ok({"--workspace", "w", "--auto", "3", "--vr1", "-2", "--vr1", "10@1.5", "--paw2", "on@3",
           "--antenna", "off", "--seconds", "12.5", "--trace"});
  BatchOptions o;
  std::string error;
  ASSERT_TRUE(parse_batch_options(ok.argc(), ok.argv(), o, error)) << error;
  EXPECT_EQ(o.workspace, "w");
  EXPECT_EQ(o.auto_program, 3);
  EXPECT_EQ(o.seconds, 12.5);
  EXPECT_TRUE(o.trace);
  ASSERT_EQ(o.inputs.size(), 4u);
  EXPECT_EQ(o.inputs[0].kind, BatchInput::kVr);
  EXPECT_DOUBLE_EQ(o.inputs[0].volts, -2.0);
  EXPECT_EQ(o.inputs[0].at, 0.0);
  EXPECT_DOUBLE_EQ(o.inputs[1].volts, 10.0);
  EXPECT_EQ(o.inputs[1].at, 1.5);
  EXPECT_EQ(o.inputs[2].kind, BatchInput::kPaw);
  EXPECT_EQ(o.inputs[2].index, 1);
  EXPECT_TRUE(o.inputs[2].on);
  EXPECT_EQ(o.inputs[3].kind, BatchInput::kAntenna);
  EXPECT_FALSE(o.inputs[3].on);

  const std::vector<std::vector<std::string>> bad = {
      {"--auto", "7"},
      {"--auto", "0"},
      {"--auto", "1.5"},
      {"--auto", "x"},
      {"--auto", "1", "--auto", "2"},
      {"--auto", "1", "--vr1", "12@1"},  // the sliders stop at 10 V
      {"--auto", "1", "--vr1", "5.05"},  // ... and move in 0.1 V steps
      {"--auto", "1", "--vr2", "5@-1"},
      {"--auto", "1", "--vr3", "5@"},
      {"--auto", "1", "--vr4", "5"},
      {"--auto", "1", "--paw5", "on"},
      {"--auto", "1", "--paw1", "yes"},
      {"--auto", "1", "--seconds", "0"},
      {"--auto", "1", "--run", "A.RIX"},
      {"--auto", "1", "--script", "x"},
      {"--auto", "1", "--seconds"},
      {"--seconds", "5"},
  };
  for (const auto& args : bad) {
    std::vector<std::string> full = {"--workspace", "w"};
    full.insert(full.end(), args.begin(), args.end());
    Argv a(full);
    EXPECT_FALSE(parse_batch_options(a.argc(), a.argv(), o, error)) << full[2] << " " << full[3];
    EXPECT_FALSE(error.empty());
  }
  Argv no_workspace({"--auto", "1"});
  EXPECT_FALSE(parse_batch_options(no_workspace.argc(), no_workspace.argv(), o, error));
}

TEST_F(Batch, ProgramThatReturnsToManualExits0AfterTheEndRoutine) {
  const fs::path cwd = fs::current_path();
  Outcome o = run({"--auto", "9", "--trace"});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  EXPECT_EQ(o.out.substr(0, 40), "step 140 at 0.000 s\nstep 141 at 0.001 s\n");
  EXPECT_NE(o.out.find("\nstep 1 at "), std::string::npos);
  EXPECT_TRUE(fs::exists(ws / "DEFAULT" / "log" / "RKN0000.LOG")) << "the log notice was answered";
  EXPECT_EQ(fs::current_path(), cwd) << "the workspace is left again";
}

// VR2 2 V lower than captured puts gait 1's home posture at z = -280; the walk then lowers the
// feet to -330, out of reach of the wide stance.
TEST_F(Batch, TargetOutOfReachEndsInEmgWith1AndTheReason) {
  Outcome o = run({"--auto", "1", "--vr2", "-2@3", "--vr1", "8@8", "--seconds", "60"});
  EXPECT_EQ(o.status, kBatchEmg);
  EXPECT_EQ(o.out, "EMG:Position2angle()_domain_error\n") << "every status line change";
  EXPECT_EQ(o.err, "EMG:Position2angle()_domain_error\n");
}

TEST_F(Batch, TimeRunningOutExits3AndStillWritesTheSamplingLog) {
  // DEBUG logs from its first step on; two seconds are not enough for its moves.
  Outcome o = run({"--auto", "9", "--seconds", "2", "--trace"});
  EXPECT_EQ(o.status, kBatchTimeout);
  EXPECT_EQ(o.err, "rokan-sim: the program still runs after 2 s of simulated time\n");
  EXPECT_EQ(o.out.find("step 1 at"), std::string::npos);
  EXPECT_TRUE(fs::exists(ws / "DEFAULT" / "log" / "RKN0000.LOG"));
}

TEST_F(Batch, UnusableWorkspaceOrProgramIsAUsageError) {
  Outcome o = run({"--auto", "8"});
  EXPECT_EQ(o.status, kBatchUsage);
  EXPECT_NE(o.err.find("usage: rokan-sim"), std::string::npos);
  o = run({"--run", "NO_SUCH.RIX"});  // relative to the launch directory, not the workspace
  EXPECT_EQ(o.status, kBatchUsage);
  EXPECT_NE(o.err.find("NO_SUCH.RIX: error: "), std::string::npos) << o.err;
  Argv a({"--workspace", (dir / "missing").string(), "--auto", "1"});
  EXPECT_EQ(batch_main(a.argc(), a.argv(), stdout, stderr), kBatchUsage);
}

// Inputs change before the first cycle that starts at or after their time; changes at the same
// time apply in command-line order.
TEST_F(Batch, InputsChangeAtTheirTimeAfterTheProgramStarts) {
  BatchOptions o;
  o.workspace = ws.string();
  o.auto_program = 1;
  o.seconds = 1;
  o.trace = true;
  auto vr = [](int i, double v, double at) {
    BatchInput in;
    in.index = i;
    in.volts = v;
    in.at = at;
    return in;
  };
  o.inputs = {vr(1, 3, 0.5), vr(1, -1, 0.5), vr(2, 2, 0)};
  BatchInput paw;
  paw.kind = BatchInput::kPaw;
  paw.index = 3;
  paw.on = true;
  paw.at = 0.25;
  o.inputs.push_back(paw);

  std::vector<std::pair<double, Sensor>> seen;
  BatchProgram p = builtin_batch_program(1);
  p.trace = [&](BatchSession& s) { seen.emplace_back(s.program_time(), s.controller().sensor); };
  std::FILE* out = std::tmpfile();
  EXPECT_EQ(run_batch(o, p, out, out), kBatchTimeout);
  std::fclose(out);
  ASSERT_EQ(seen.size(), 1000u);
  EXPECT_EQ(seen[0].second.vr[2], 2.0);
  EXPECT_EQ(seen[0].second.vr_org[2], 0.0) << "gait 1 never captures VR3";
  EXPECT_EQ(seen[249].second.paw_volt[3], 0.0);
  EXPECT_NEAR(seen[250].first, 0.25, 1e-9);
  EXPECT_EQ(seen[250].second.paw_volt[3], 2.5);
  EXPECT_EQ(seen[499].second.vr[1], 0.0);
  EXPECT_NEAR(seen[500].first, 0.5, 1e-9);
  EXPECT_EQ(seen[500].second.vr[1], -1.0);
}

TEST_F(Batch, StartUpWaitsAreAnsweredAndOtherWaitsStopTheRun) {
  BatchOptions o;
  std::FILE* out = std::tmpfile();
  BatchSession s(o, out, out, ".");
  Controller& c = s.controller();
  c.cycle.init_in_progress = 1;
  text_put(c, 10, 3, "<LOGIN : DEFAULT (DEFAULT\\)>");
  s.process_one_event();
  EXPECT_EQ(c.console.key_code, '0') << "the first user";
  s.process_one_event();
  EXPECT_EQ(c.console.key_code, 'Q');
  text_clear(c);
  s.process_one_event();
  EXPECT_TRUE(c.console.key_hit) << "any key ends the start-up";
  for (int i = 0; i < 13; ++i) s.process_one_event();
  EXPECT_THROW(s.process_one_event(), BatchStuck) << "a start-up that keeps asking";
  c.cycle.init_in_progress = 0;
  EXPECT_THROW(s.process_one_event(), BatchStuck);
  std::fclose(out);
}

// The executable: batch mode is chosen by --auto and reports through its exit status.
TEST_F(Batch, RokanSimRunsABatchAndReportsUsageErrors) {
  auto sim = [&](const std::string& args) {
    std::string cmd = std::string(ROKAN_BIN_DIR) + "/rokan-sim --workspace " + ws.string() + " " +
                      args + " > " + (dir / "out.txt").string() + " 2> " +
                      (dir / "err.txt").string();
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  };
  EXPECT_EQ(sim("--auto 9"), 0);
  EXPECT_EQ(sim("--auto 9 --seconds 1"), 3);
  EXPECT_EQ(sim("--auto 7"), 2);
  std::ifstream err(dir / "err.txt");
  std::string first;
  std::getline(err, first);
  EXPECT_EQ(first, "rokan-sim: AUTO program 7 does not exist");
}

}  // namespace
}  // namespace rokan
