// rokan-sim's batch mode: argument checks, the exit status of each outcome, inputs applied at
// their time, the start-up answers, and the end routine that always runs.
#include "sim/batch.h"

#include <iterator>

#include "console/console.h"
#include "core/modes.h"
#include "platform/text.h"
#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

using Batch = SimWorkspace;

TEST_F(Batch, ReadsTheOptionsAndRefusesWhatTheControlBoxCannotDo) {
  Argv ok({"--workspace", "w", "--auto", "3", "--antenna", "off", "--seconds", "12.5", "--trace"});
  BatchOptions o;
  std::string error;
  ASSERT_TRUE(parse_batch_options(ok.argc(), ok.argv(), o, error)) << error;
  EXPECT_EQ(o.workspace, "w");
  EXPECT_EQ(o.auto_program, 3);
  EXPECT_EQ(o.seconds, 12.5);
  EXPECT_TRUE(o.trace);
  ASSERT_EQ(o.inputs.size(), 1u);
  EXPECT_EQ(o.inputs[0].kind, BatchInput::kAntenna);
  EXPECT_FALSE(o.inputs[0].on);

  for (const char* bad :
       {"--auto 7", "--auto 0", "--auto 1.5", "--auto x", "--auto 1 --auto 2",
        "--auto 1 --vr1 12@1",  // the sliders stop at 10 V
        "--auto 1 --vr1 5.05",  // ... and move in 0.1 V steps
        "--auto 1 --vr2 5@-1", "--auto 1 --vr3 5@", "--auto 1 --vr4 5", "--auto 1 --paw5 on",
        "--auto 1 --paw1 yes", "--auto 1 --seconds 0", "--auto 1 --run A.RIX",
        "--auto 1 --script x", "--auto 1 --seconds", "--seconds 5"}) {
    std::istringstream words(std::string("--workspace w ") + bad);
    std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    Argv a(args);
    EXPECT_FALSE(parse_batch_options(a.argc(), a.argv(), o, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  Argv no_workspace({"--auto", "1"});
  EXPECT_FALSE(parse_batch_options(no_workspace.argc(), no_workspace.argv(), o, error));
}

TEST_F(Batch, ProgramThatReturnsToManualExits0AfterTheEndRoutine) {
  Outcome o = batch({"--auto", "9", "--trace"});
  EXPECT_EQ(o.status, kBatchEnded) << o.err;
  EXPECT_EQ(o.out.substr(0, 40), "step 140 at 0.000 s\nstep 141 at 0.001 s\n");
  EXPECT_NE(o.out.find("\nstep 1 at "), std::string::npos);
  EXPECT_TRUE(fs::exists(ws / "DEFAULT" / "log" / "RKN0000.LOG")) << "the log notice was answered";
}

// VR2 2 V lower than captured puts gait 1's home posture at z = -280; the walk then lowers the
// feet to -330, out of reach of the wide stance.
TEST_F(Batch, TargetOutOfReachEndsInEmgWith1AndTheReason) {
  Outcome o = batch({"--auto", "1", "--vr2", "-2@3", "--vr1", "8@8", "--seconds", "60"});
  EXPECT_EQ(o.status, kBatchEmg);
  EXPECT_EQ(o.out, "EMG:Position2angle()_domain_error\n") << "every status line change";
  EXPECT_EQ(o.err, "EMG:Position2angle()_domain_error\n");
}

TEST_F(Batch, TimeRunningOutExits3AndStillWritesTheSamplingLog) {
  // DEBUG logs from its first step on; two seconds are not enough for its moves.
  Outcome o = batch({"--auto", "9", "--seconds", "2", "--trace"});
  EXPECT_EQ(o.status, kBatchTimeout);
  EXPECT_EQ(o.err, "rokan-sim: the program still runs after 2 s of simulated time\n");
  EXPECT_EQ(o.out.find("step 1 at"), std::string::npos);
  EXPECT_TRUE(fs::exists(ws / "DEFAULT" / "log" / "RKN0000.LOG"));
}

TEST_F(Batch, UnusableWorkspaceOrProgramIsAUsageError) {
  Outcome o = batch({"--auto", "8"});
  EXPECT_EQ(o.status, kBatchUsage);
  EXPECT_EQ(lines_of(o.err).at(0), "rokan-sim: AUTO program 8 does not exist");
  EXPECT_NE(o.err.find("usage: rokan-sim"), std::string::npos);
  o = batch({"--run", "NO_SUCH.RIX"});  // relative to the launch directory, not the workspace
  EXPECT_EQ(o.status, kBatchUsage);
  EXPECT_NE(o.err.find("NO_SUCH.RIX: error: "), std::string::npos) << o.err;
  Argv a({"--workspace", (dir / "missing").string(), "--auto", "1"});
  EXPECT_EQ(batch_main(a.argc(), a.argv(), stdout, stderr), kBatchUsage);
}

// Inputs change before the first cycle that starts at or after their time; changes at the same
// time apply in command-line order.
TEST_F(Batch, InputsChangeAtTheirTimeAfterTheProgramStarts) {
  Argv a({"--workspace", ws.string(), "--auto", "1", "--seconds", "1", "--trace", "--vr2", "3@0.5",
          "--vr2", "-1@0.5", "--vr3", "2", "--paw4", "on@0.25"});
  BatchOptions o;
  std::string error;
  ASSERT_TRUE(parse_batch_options(a.argc(), a.argv(), o, error)) << error;
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

// A minute of walking for every gait at the slider settings the gait scenario tests use: no EMG
// (no target out of reach, no angle limit), and the gait still walking when the time runs out.
TEST_F(Batch, EveryGaitWalksAMinuteWithoutEmg) {
  struct Walk {
    std::vector<std::string> args;
    int walking_step;  // a step of the walking cycle, passed once per cycle
  };
  const Walk walks[] = {
      {{"--auto", "1", "--vr2", "1@2", "--vr1", "-8@5"}, 12},                    // Z = -235
      {{"--auto", "2", "--vr3", "6@0.5", "--vr3", "0@3", "--vr1", "5@14"}, 50},  // S = 50
      {{"--auto", "3", "--vr1", "-2", "--vr1", "10@1"}, 76},                     // S = 100
      {{"--auto", "4", "--vr1", "0.6@3"}, 99},
      {{"--auto", "5", "--vr2", "2@1", "--vr3", "4@1", "--vr1", "10@3"}, 118},  // Z -300, W 40
      {{"--auto", "6", "--vr1", "10@1"}, 135},
  };
  for (const Walk& w : walks) {
    SCOPED_TRACE("gait " + w.args[1]);
    std::vector<std::string> args = {"--seconds", "60", "--trace"};
    args.insert(args.end(), w.args.begin(), w.args.end());
    const Outcome o = batch(args);
    EXPECT_EQ(o.status, kBatchTimeout) << o.err;
    const std::string step = "step " + std::to_string(w.walking_step) + " at ";
    std::size_t cycles = 0;
    for (std::size_t pos = 0; (pos = o.out.find(step, pos)) != std::string::npos; ++pos) ++cycles;
    EXPECT_GE(cycles, 2u) << "fewer than two walking cycles";
  }
}

// The executable chooses batch mode for --auto and --run and reports through its exit status; a
// program is found relative to the directory rokan-sim starts in.
TEST_F(Batch, RokanSimRunsABatchAndReportsUsageErrors) {
  std::ofstream(dir / "REL.RIX", std::ios::binary) << "3.1\nbatch test\nMESSAGE relative\nEND\n";
  Outcome o = sim("--workspace ws --run REL.RIX");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(lines_of(o.out).at(0), "relative");
  o = sim("--workspace ws --auto 7");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(lines_of(o.err).at(0), "rokan-sim: AUTO program 7 does not exist");
}

}  // namespace
}  // namespace rokan::test
