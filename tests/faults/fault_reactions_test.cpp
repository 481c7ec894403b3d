// What the controller does when the simulated robot breaks under a running program: which faults
// stop it and with which report in emg.log, and which it never notices. The runs are batch runs
// of small RIX programs, as a team checking its programs in CI would write them.
#include "platform/text.h"
#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

// Raises foot F1 by 50 mm: joints J12 and J13 move, J11 stays.
constexpr const char* kMove = "PTP F1 -301 201 -200\nWAIT_INPOS F1\nMESSAGE done\nEND";

struct FaultRun {
  int status = -1;
  std::string out, err;
  double truth[4][3] = {};  // the joints' true positions when the run ended, counts
  double raw[4][3] = {};    // what the potentiometers reported then
};

class FaultReactions : public SimWorkspace {
 protected:
  // A program (UTF-8 body after the two header lines) written as CP932 into `dir`.
  std::string program(const std::string& body) {
    const fs::path file = dir / "P.RIX";
    std::ofstream(file, std::ios::binary) << utf8_to_cp932("3.1\nfault test\n" + body + "\n");
    return file.string();
  }

  // A batch run of `body`, kept open at its end to look at the robot.
  FaultRun run(const std::string& body, std::vector<std::string> args) {
    args.insert(args.begin(), {"--workspace", ws.string(), "--run", program(body)});
    Argv a(std::move(args));
    BatchOptions options;
    std::string error;
    FaultRun r;
    if (!parse_batch_options(a.argc(), a.argv(), options, error)) {
      r.err = error;
      return r;
    }
    std::FILE* out = std::fopen((dir / "out.txt").c_str(), "wb");
    std::FILE* err = std::fopen((dir / "err.txt").c_str(), "wb");
    {
      BatchSession session(options, out, err, dir.string());
      r.status = session.run(rix_batch_program(options.rix_file));
      for (int leg = 0; leg < 4; ++leg) {
        for (int j = 0; j < 3; ++j) {
          r.truth[leg][j] = session.faults().true_count(leg, j);
          r.raw[leg][j] = session.controller().sensor.raw[leg][j];
        }
      }
    }
    std::fclose(out);
    std::fclose(err);
    r.out = slurp(dir / "out.txt");
    r.err = slurp(dir / "err.txt");
    return r;
  }

  // The reports of emg.log (UTF-8), without the session's date line.
  std::vector<std::string> emg_log() {
    std::vector<std::string> reports;
    for (const std::string& line : lines_of(cp932_to_utf8(slurp(ws / "emg" / "emg.log"))))
      if (line.rfind("----- ", 0) != 0) reports.push_back(line);
    return reports;
  }

  void set_parameter(const std::string& key, const std::string& value) {
    const fs::path ini = ws / "DEFAULT" / "init" / "rokan.ini";
    std::string text = slurp(ini);
    const std::size_t at = text.find("\n" + key + "\t");
    ASSERT_NE(at, std::string::npos) << key;
    const std::size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at - 1, key + "\t" + value);
    std::ofstream(ini, std::ios::binary) << text;
  }

  using Lines = std::vector<std::string>;
};

TEST_F(FaultReactions, ReversedMotorRunsAwayIntoTheAngleLimit) {
  FaultRun r = run(kMove, {"--fault", "motor-reversed:J12"});
  EXPECT_EQ(r.status, kBatchEmg);
  EXPECT_EQ(r.err, "EMG:ANGLE_LIMIT\n");
  EXPECT_EQ(emg_log(), (Lines{"ABS_ANGLE_OVER: JOINT01 = -70.004698", "EMG:ANGLE_LIMIT"}));
  EXPECT_EQ(r.raw[0][1], r.truth[0][1]);  // the potentiometer saw it all
}

TEST_F(FaultReactions, DeadMotorNeverReachesInPositionAndTheRunTimesOut) {
  FaultRun r = run(kMove, {"--fault", "motor-dead:J12", "--seconds", "5", "--trace"});
  EXPECT_EQ(r.status, kBatchTimeout);
  EXPECT_EQ(lines_of(r.out), (Lines{"fault motor-dead J12 at 0.000 s", "pc 0 PTP at 0.000 s",
                                    "pc 1 WAIT_INPOS at 0.001 s"}));
  EXPECT_EQ(r.err, "rokan-sim: the program still runs after 5 s of simulated time\n");
  EXPECT_EQ(emg_log(), Lines{});
  // J13 went where the servo sent it; the dead J12 stayed where the initial posture left it.
  FaultRun healthy = run("END", {});
  EXPECT_EQ(r.truth[0][1], healthy.raw[0][1]);
}

TEST_F(FaultReactions, StuckPotentiometerGoesUnnoticedWhileTheJointRunsOutOfItsRange) {
  // Stuck at a count the joint is not at: the servo drives the joint for ever towards a goal
  // the reading never shows, past every limit, and nothing in the controller sees it.
  FaultRun r = run(kMove, {"--fault", "pot-stuck:J12:2000@0.1", "--seconds", "10"});
  EXPECT_EQ(r.status, kBatchTimeout);
  EXPECT_EQ(emg_log(), Lines{});
  EXPECT_EQ(r.raw[0][1], 2000);
  EXPECT_TRUE(r.truth[0][1] < 0 || r.truth[0][1] > 4095) << r.truth[0][1];
}

TEST_F(FaultReactions, SmallOffsetLeavesTheLegOffItsGoalUnnoticedAndALargeOneHitsTheLimit) {
  FaultRun small = run(kMove, {"--fault", "pot-offset:J12:100"});
  EXPECT_EQ(small.status, kBatchEnded) << small.err;
  EXPECT_EQ(lines_of(small.out), (Lines{"done", ""}));
  EXPECT_EQ(emg_log(), Lines{});
  EXPECT_NEAR(small.raw[0][1] - small.truth[0][1], 100, 1e-9);

  FaultRun large = run(kMove, {"--fault", "pot-offset:J12:1000"});
  EXPECT_EQ(large.status, kBatchEmg);
  EXPECT_EQ(emg_log(), (Lines{"ABS_ANGLE_OVER: JOINT01 = -85.779139", "EMG:ANGLE_LIMIT"}));
}

TEST_F(FaultReactions, PotentiometerReadingOutsideTheConverterBandStopsTheRobot) {
  FaultRun r = run(kMove, {"--fault", "pot-stuck:J11:4090@0.2"});
  EXPECT_EQ(r.status, kBatchEmg);
  const Lines reports = emg_log();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports[0], "EMG:PT_LIMIT_OVER: PT00 = 4090");
}

TEST_F(FaultReactions, NoisyPotentiometerIsRiddenOutAndTheSameNoiseComesEveryRun) {
  const std::vector<std::string> args = {"--fault", "pot-noise:J12:50", "--trace"};
  FaultRun first = run(kMove, args);
  EXPECT_EQ(first.status, kBatchEnded) << first.err;
  EXPECT_EQ(emg_log(), Lines{});
  FaultRun second = run(kMove, args);
  EXPECT_EQ(second.out, first.out);
  EXPECT_EQ(second.raw[0][1], first.raw[0][1]);
  FaultRun quiet = run(kMove, {"--trace"});
  EXPECT_NE(quiet.raw[0][1], first.raw[0][1]);
}

TEST_F(FaultReactions, StuckPawSwitchFoolsFloorDetection) {
  const char* body = "DETECT_FLOOR F1 1\nMESSAGE floor\nEND";
  // Open for ever: the leg is lowered until the foot is out of reach.
  FaultRun open = run(body, {"--paw1", "on@1", "--fault", "paw-stuck:PAW1:off"});
  EXPECT_EQ(open.status, kBatchEmg);
  EXPECT_EQ(emg_log(), Lines{"EMG:Position2angle()_domain_error"});
  // Closed for ever: the floor is "found" where the foot hangs, and nothing complains.
  FaultRun closed = run(body, {"--fault", "paw-stuck:PAW1:on", "--trace"});
  EXPECT_EQ(closed.status, kBatchEnded) << closed.err;
  EXPECT_NE(closed.out.find("floor\npc 1 MESSAGE at 0.001 s"), std::string::npos) << closed.out;
}

TEST_F(FaultReactions, ProgramsReadStuckSwitchesAndChannelsButTheAnglesComeFromThePotentiometers) {
  const char* body =
      "DEF_VAR P, A, B, J\nAD_IN PAW2 P\nAD_IN 0 4 A\nAD_IN 0 13 B\nAD_IN J22 J\n"
      "MESSAGE %P% %A% %B% %J%\nEND";
  FaultRun sound = run(body, {});
  FaultRun r = run(body, {"--fault", "paw-stuck:PAW2:on", "--fault", "ad-stuck:AD4:3", "--fault",
                          "ad-stuck:AD13:-7"});
  EXPECT_EQ(r.status, kBatchEnded) << r.err;
  const Lines want_sound = {"0\t0\t0\t0", ""}, want = {"2\t3\t-7\t0", ""};
  EXPECT_EQ(lines_of(sound.out), want_sound);
  EXPECT_EQ(lines_of(r.out), want);
}

TEST_F(FaultReactions, OverrunStopsTheRobotOnlyWhileTheCheckIsOn) {
  FaultRun on = run(kMove, {"--fault", "overrun@0.1"});
  EXPECT_EQ(on.status, kBatchEmg);
  EXPECT_EQ(on.err, "Timer_OVERRUN\n");
  EXPECT_EQ(emg_log(), Lines{"Timer_OVERRUN"});

  fs::remove(ws / "emg" / "emg.log");
  set_parameter("OVER_RUN_ENABLE", "0");
  FaultRun off = run(kMove, {"--fault", "overrun@0.1"});
  EXPECT_EQ(off.status, kBatchEnded) << off.err;
  EXPECT_EQ(emg_log(), Lines{});
}

TEST_F(FaultReactions, RepairedJointMovesOnAndTheProgramEnds) {
  FaultRun r = run(kMove, {"--fault", "motor-dead:J12", "--fault", "clear:all@2", "--trace"});
  EXPECT_EQ(r.status, kBatchEnded) << r.err;
  EXPECT_NE(r.out.find("fault clear all at 2.000 s\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.raw[0][1], r.truth[0][1]);
}

// Bad faults are refused before anything runs: no start-up, nothing in emg.log.
TEST_F(FaultReactions, BadFaultOptionsAreRefusedBeforeAnythingRuns) {
  struct Case {
    const char* option;
    const char* message;
  } cases[] = {
      {"motor-stuck:J12", "rokan-sim: --fault 'motor-stuck:J12': unknown fault 'motor-stuck'"},
      {"motor-dead:J44@1",
       "rokan-sim: --fault 'motor-dead:J44@1': there is no J44 on the robot (motor-dead takes a "
       "joint J11..J43 (leg 1-4, joint 1-3))"},
      {"pot-stuck:J11:5000",
       "rokan-sim: --fault 'pot-stuck:J11:5000': pot-stuck takes the count "
       "the potentiometer reads, a whole number 0..4095, not '5000'"},
      {"motor-dead:J11@-1",
       "rokan-sim: --fault takes KIND:TARGET[:VALUE]@T, T in seconds from 0, "
       "not 'motor-dead:J11@-1'"},
      {"pot-stuck:J11:1:2",
       "rokan-sim: --fault takes KIND:TARGET[:VALUE]@T, T in seconds from 0, "
       "not 'pot-stuck:J11:1:2'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    Outcome o = batch({"--run", program(kMove), "--fault", c.option});
    EXPECT_EQ(o.status, kBatchUsage);
    EXPECT_EQ(lines_of(o.err).at(0).substr(0, std::string(c.message).size()), c.message);
    EXPECT_EQ(o.out, "");
    EXPECT_FALSE(fs::exists(ws / "emg" / "emg.log"));
  }
}

}  // namespace
}  // namespace rokan::test
