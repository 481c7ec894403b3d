// `fault` lines of rokan-sim scripts: how they are read, that a bad one stops the script before
// anything runs, and that a robot whose faults are all repaired runs exactly as a sound one.
#include "platform/text.h"
#include "sim/script.h"
#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

TEST(FaultLines, AreReadIntoFaultEventsAndMistakesNameTheirLine) {
  const std::vector<ScriptEvent> events = parse_script(
      "tick 1\nfault pot-offset J23 -40\n# comment\nfault  overrun \nfault clear all\n");
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1].kind, EventKind::kFault);
  EXPECT_EQ(events[1].line, 2);
  EXPECT_EQ(fault_text(events[1].fault), "pot-offset J23 -40");
  EXPECT_EQ(fault_text(events[2].fault), "overrun");
  EXPECT_EQ(events[3].fault.target, FaultTarget::kAll);

  const std::pair<const char*, const char*> bad[] = {
      {"tick 1\nfault\n", "line 2: fault takes KIND TARGET [VALUE]"},
      {"tick 1\n\nfault motor-dead J11 1 2\n",
       "line 3: fault takes KIND TARGET [VALUE], not 'motor-dead J11 1 2'"},
      {"fault pot-stuck J50 10\n",
       "line 1: there is no J50 on the robot (pot-stuck takes a joint J11..J43 (leg 1-4, joint "
       "1-3))"},
      {"fault paw-stuck PAW1\n", "line 1: paw-stuck takes on (closed) or off (open), not ''"},
  };
  for (const auto& [text, message] : bad) {
    SCOPED_TRACE(text);
    try {
      parse_script(text);
      ADD_FAILURE() << "accepted";
    } catch (const ScriptError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

// Leg 3 driven by hand, the initial posture, gait 5 walking, quit with the log written.
constexpr const char* kSession =
    "tick 1\nkey Q\nkey x\nkey L\ntick 1\nkey 3\ntick 1\nvr1 1.5\npaw2 on\ntick 3000\n"
    "dump state\nkey 0\ntick 10\nkey O\ntick 1\nkey I\ntick 4000\ndump state\nkey A\ntick 1\n"
    "key 5\ntick 1\nkey S\ntick 100\nvr1 10.0\ntick 5000\ndump state\ndump strip\nkey E\n"
    "tick 1\nkey E\ntick 1\nconfirm ok\nnotice ok\n";

struct FaultScripts : SimWorkspace {
  Outcome script(const std::string& text) {
    std::ofstream(dir / "s.txt", std::ios::binary) << text;
    return sim("--workspace ws --script s.txt");
  }
  std::string undated_emg_log() {
    std::string out;
    for (const std::string& line : lines_of(slurp(ws / "emg" / "emg.log")))
      if (line.rfind("----- ", 0) != 0) out += line + "\n";
    return out;
  }
};

TEST_F(FaultScripts, ARobotWithEveryFaultRepairedRunsBitForBitAsASoundOne) {
  Outcome sound = script(kSession);
  ASSERT_EQ(sound.status, 0) << sound.err;
  const std::string sound_log = undated_emg_log();
  const std::string sound_samples = slurp(ws / "DEFAULT" / "log" / "RKN0000.LOG");
  ASSERT_FALSE(sound_samples.empty());

  fs::remove_all(ws);
  fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", ws, fs::copy_options::recursive);
  // Faults before the start-up, repaired before it: the robot is attached but sound.
  Outcome repaired = script(
      "fault pot-noise J31 30\nfault motor-reversed J31\nfault paw-stuck PAW2 off\n"
      "fault ad-stuck AD13 5\nfault overrun\nfault clear all\n" +
      std::string(kSession));
  ASSERT_EQ(repaired.status, 0) << repaired.err;
  EXPECT_EQ(repaired.out, sound.out);
  EXPECT_EQ(repaired.err, sound.err);
  EXPECT_EQ(undated_emg_log(), sound_log);
  EXPECT_EQ(slurp(ws / "DEFAULT" / "log" / "RKN0000.LOG"), sound_samples);
}

TEST_F(FaultScripts, OverrunLineStopsTheRobotInTheNextCycle) {
  Outcome o =
      script("tick 1\nkey Q\nkey x\ntick 5\nfault overrun\ndump strip\ntick 1\ndump strip\n");
  EXPECT_EQ(o.status, 0) << o.err;
  const std::vector<std::string> dumps = lines_of(o.out);
  ASSERT_EQ(dumps.size(), 2u);
  EXPECT_EQ(dumps[0].find("Timer_OVERRUN"), std::string::npos);
  EXPECT_NE(dumps[1].find("\"status_line\":\"Timer_OVERRUN\""), std::string::npos) << dumps[1];
}

TEST_F(FaultScripts, BadFaultLineStopsTheScriptBeforeAnythingRuns) {
  Outcome o = script("tick 1\nkey Q\nkey x\ndump strip\ntick 100\nfault motor-dead J05\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "rokan-sim: s.txt: line 6: there is no J05 on the robot (motor-dead takes a joint "
            "J11..J43 (leg 1-4, joint 1-3))\n");
  EXPECT_EQ(o.out, "");
  EXPECT_FALSE(fs::exists(ws / "emg" / "emg.log"));
}

}  // namespace
}  // namespace rokan::test
