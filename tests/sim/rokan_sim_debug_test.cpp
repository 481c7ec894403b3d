// rokan-sim's debugger lines as a process: `dump rix` in its documented form, breakpoints and
// steps from a script, and the exit status of a debugger line that cannot be done.
#include <nlohmann/json.hpp>

#include "sim/base64.h"
#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

// Start-up, ORIGIN, the initial posture, AUTO, program 0 (DEBUG.RIX) and S: the program is
// compiled, its first instruction still to come.
const std::string kStart =
    "tick 1\nkey Q\nkey x\nkey O\ntick 1\nkey I\ntick 6000\nkey A\ntick 1\nkey 0\ntick 1\n"
    "key S\ntick 1\n";

struct RokanSimDebug : SimWorkspace {
  Outcome run(const std::string& program, const std::string& script) {
    std::ofstream(ws / "DEFAULT" / "rixs" / "ROKAN.RIX", std::ios::binary) << program;
    std::ofstream(dir / "script.txt", std::ios::binary) << kStart << script;
    return sim("--workspace ws --script script.txt");
  }
};

constexpr const char* kProgram =
    "3.1\n"
    "Debugging from a script\n"  // 2
    "DEF_VAR N\n"                // 3
    "DEF_POS P\n"                // 4
    "DEF_JNT Q\n"                // 5
    "N = 1; Q.J1 = 0\n"          // 6
    "PTP ALL R 0 R 0 R 10\n"     // 7
    "GOSUB SUB:\n"               // 8
    "WAIT_INPOS ALL\n"           // 9
    "EXIT\n"                     // 10
    "SUB:\n"                     // 11
    "  P.Z = N * 2\n"            // 12
    "  N = P.Z + Q.J1\n"         // 13
    "  RETURN\n"                 // 14
    "END\n";                     // 15

TEST_F(RokanSimDebug, DumpRixShowsTheHeldProgramInTheDocumentedForm) {
  Outcome r = run(kProgram,
                  "dump rix\nbreak 12\ntick until stop 100\ndump rix\nset N 5\nnext\n"
                  "tick until stop 100\ndump rix\ncontinue\ntick until stop 5000\ndump rix\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> out = lines_of(r.out);
  ASSERT_EQ(out.size(), 4u) << r.out;
  using json = nlohmann::ordered_json;
  EXPECT_EQ(json::parse(out[0]).dump(),
            R"({"kind":"rix","state":"running","reason":null,"line":6,"pc":0,)"
            R"("motion":[null,null,null,null],"stack":[{"name":"ROKAN.RIX","line":6}],)"
            R"("variables":[{"name":"VAR_KEY","kind":"var","value":null},)"
            R"({"name":"N","kind":"var","value":null},{"name":"P","kind":"pos","value":null},)"
            R"({"name":"Q","kind":"jnt","value":null}],"error":null})");
  const json held = json::parse(out[1]);
  EXPECT_EQ(held["state"], "paused");
  EXPECT_EQ(held["reason"], "breakpoint");
  EXPECT_EQ(held["line"], 12);
  EXPECT_EQ(held["motion"], json::parse("[7,7,7,7]"));
  EXPECT_EQ(held["stack"],
            json::parse(R"([{"name":"SUB:","line":12},{"name":"ROKAN.RIX","line":8}])"));
  EXPECT_EQ(held["variables"][1]["value"], 1);
  EXPECT_EQ(held["variables"][3]["value"], json::parse("[0,null,null]"));
  const json stepped = json::parse(out[2]);
  EXPECT_EQ(stepped["reason"], "step");
  EXPECT_EQ(stepped["line"], 13);
  EXPECT_EQ(stepped["variables"][2]["value"], json::parse("[null,null,10]"))
      << "the program used the value set while paused";
  const json ended = json::parse(out[3]);
  EXPECT_EQ(ended["state"], "ended");
  EXPECT_EQ(ended["stack"], json::array());
  EXPECT_EQ(ended["motion"], json::parse("[null,null,null,null]"));
}

TEST_F(RokanSimDebug, ARuntimeErrorIsShownBeforeTheRunEndsInEmg) {
  Outcome r =
      run("3.1\nerror\nDEF_VAR A\nA = -1\nA = SQRT A\nEND\n",
          "tick until stop 100\ndump rix\ntick 1\ndump strip\ncontinue\ntick until stop 10\n"
          "dump rix\ndump strip\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> out = lines_of(r.out);
  ASSERT_EQ(out.size(), 4u) << r.out;
  using json = nlohmann::ordered_json;
  const json held = json::parse(out[0]);
  EXPECT_EQ(held["state"], "paused");
  EXPECT_EQ(held["reason"], "error");
  EXPECT_EQ(held["line"], 5);
  EXPECT_EQ(held["pc"], 1);
  EXPECT_EQ(held["error"], "[RIX_RUN]0001: Domain Error.");
  EXPECT_EQ(held["variables"][1]["value"], -1);
  // The interpreter's own pc has gone one further after the failed statement, as without the
  // debugger; the mode line shows it.
  EXPECT_EQ(json::parse(out[1])["mode_line"], "AUTO:自動プログラム動作中 [RIX:2]  デバッガ停止中");
  const json ended = json::parse(out[2]);
  EXPECT_EQ(ended["state"], "ended");
  EXPECT_EQ(ended["reason"], "error");
  EXPECT_EQ(json::parse(out[3])["status_line"], "[RIX_RUN]0001: Domain Error.");
}

// `debugger window`, as a recorded session begins: the debugger then acts as the program
// window's, which keeps a breakpoint it cannot set and lets a failing run end in EMG.
TEST_F(RokanSimDebug, AfterDebuggerWindowAFailingRunEndsAndAnUnsetBreakpointIsKept) {
  Outcome r = run("3.1\nerror\nDEF_VAR A\nA = -1\nA = SQRT A\nEND\n",
                  "debugger window\nbreak 99\ntick until stop 100\ndump rix\ndump strip\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> out = lines_of(r.out);
  ASSERT_EQ(out.size(), 2u) << r.out;
  using json = nlohmann::ordered_json;
  const json ended = json::parse(out[0]);
  EXPECT_EQ(ended["state"], "ended") << "not held on the error";
  EXPECT_EQ(ended["error"], "[RIX_RUN]0001: Domain Error.");
  EXPECT_EQ(json::parse(out[1])["status_line"], "[RIX_RUN]0001: Domain Error.");
}

TEST_F(RokanSimDebug, RunToHoldsTheProgramWhenItArrivesAtTheLine) {
  Outcome r = run(kProgram,
                  "pause\ntick until stop 10\nrun-to 13\ntick until stop 100\ndump rix\n"
                  "run-to 10\ntick until stop 5000\ndump rix\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> out = lines_of(r.out);
  ASSERT_EQ(out.size(), 2u) << r.out;
  using json = nlohmann::ordered_json;
  const json at13 = json::parse(out[0]);
  EXPECT_EQ(at13["reason"], "step");
  EXPECT_EQ(at13["line"], 13);
  EXPECT_EQ(at13["variables"][2]["value"], json::parse("[null,null,2]")) << "line 12 ran";
  EXPECT_EQ(json::parse(out[1])["line"], 10);
}

// `save` writes the bytes as they are and compiles them as the program window does; a program
// that does not compile is noted, not an error: the operator saved it so.
TEST_F(RokanSimDebug, SaveWritesTheExactBytesAndCompilesThem) {
  const std::string good = "3.1\r\nsaved \x83\x65\x83\x58\x83\x67\r\nEND\r\n";
  const std::string bad = "3.1\nbroken\nFLY F1\nEND\n";
  const fs::path rixs = ws / "DEFAULT" / "rixs";
  Outcome r = run(kProgram, "save NEW.RIX " + base64_encode(good) + "\nsave BAD.RIX " +
                                base64_encode(bad) + "\ncompile ROKAN.RIX\nsave EMPTY.RIX -\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(rixs / "NEW.RIX"), good);
  EXPECT_EQ(slurp(rixs / "BAD.RIX"), bad);
  EXPECT_TRUE(fs::exists(rixs / "EMPTY.RIX"));
  EXPECT_EQ(fs::file_size(rixs / "EMPTY.RIX"), 0u);
  EXPECT_NE(r.err.find("rokan-sim: line 15: BAD.RIX does not compile: "), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("NEW.RIX does not compile"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("ROKAN.RIX does not compile"), std::string::npos) << r.err;

  // A file that cannot be replaced (a directory stands in its place) stops the replay.
  fs::create_directory(rixs / "DIR.RIX");
  r = run(kProgram, "save DIR.RIX " + base64_encode(good) + "\ntick 1\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 14: save: cannot write DEFAULT\\rixs\\DIR.RIX: "), std::string::npos)
      << r.err;
}

// Each line that cannot be done stops the script with status 2 and says why.
TEST_F(RokanSimDebug, DebuggerLinesThatCannotBeDoneAreScriptErrors) {
  const struct {
    const char* script;
    const char* err_has;
  } cases[] = {
      {"step\n", "line 14: the program is running; pause it first"},
      {"break 99\n", "line 14: break 99: line 99 is after the last statement (line 15)"},
      {"break 6 if N >> 1\n", "does not compile"},
      {"break 12\ntick until stop 100\nset P 1\n", "line 16: P is a POS variable"},
      {"break 12\ntick until stop 100\nset M 1\n", "the program has no variable M"},
      {"tick until stop 3\n", "line 14: the program neither paused nor ended within 3 cycles"},
      {"break x\n", "line 14: break takes a source line number from 1"},
      {"tick until 5\n", "line 14: tick until takes stop LIMIT"},
      {"run-to 12\n", "line 14: the program is running; pause it first"},
      {"break 12 hits 0x\n", "line 14: break 12: hit count condition '0x' is none of"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    Outcome r = run(kProgram, c.script);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.err_has), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace rokan::test
