// The debugger and program-file lines of the script as text: what each reads as, that the writer
// gives back the same line for every form a recorded session holds, and the messages of bad ones.
#include "sim/script_debug.h"

#include <gtest/gtest.h>

#include "sim/base64.h"
#include "sim/script.h"

namespace rokan {
namespace {

ScriptEvent one(const std::string& line) {
  const std::vector<ScriptEvent> e = parse_script(line + "\n");
  EXPECT_EQ(e.size(), 1u) << line;
  return e.empty() ? ScriptEvent{} : e[0];
}

DebugOp op_of(const ScriptEvent& e) {
  EXPECT_EQ(e.kind, EventKind::kDebug);
  return static_cast<DebugOp>(e.code);
}

TEST(ScriptDebugLines, BreakTakesAHitCountAndAConditionInThatOrder) {
  ScriptEvent e = one("break 12 hits >= 5 if I >= 3");
  EXPECT_EQ(op_of(e), DebugOp::kBreak);
  EXPECT_EQ(e.count, 12u);
  EXPECT_EQ(e.extra, ">= 5");
  EXPECT_EQ(e.text, "I >= 3");

  e = one("break 7  hits  %  2");
  EXPECT_EQ(e.extra, "%  2") << "the hit count as typed, blanks inside kept";
  EXPECT_TRUE(e.text.empty());

  e = one("break 7 if HITS > 2");
  EXPECT_TRUE(e.extra.empty()) << "a variable named like the keyword is the condition's";
  EXPECT_EQ(e.text, "HITS > 2");
}

TEST(ScriptDebugLines, RunToWindowSaveAndCompileReadAsTheirEvents) {
  ScriptEvent e = one("run-to 14");
  EXPECT_EQ(op_of(e), DebugOp::kRunTo);
  EXPECT_EQ(e.count, 14u);
  EXPECT_EQ(op_of(one("debugger window")), DebugOp::kWindow);

  e = one("save MY PROG.RIX My4xCg==");
  EXPECT_EQ(op_of(e), DebugOp::kSave);
  EXPECT_EQ(e.text, "MY PROG.RIX") << "the name is everything before the bytes";
  EXPECT_EQ(e.extra, "3.1\n");
  e = one("save EMPTY.RIX -");
  EXPECT_EQ(e.text, "EMPTY.RIX");
  EXPECT_TRUE(e.extra.empty());

  e = one("compile ROKAN.RIX");
  EXPECT_EQ(op_of(e), DebugOp::kCompile);
  EXPECT_EQ(e.text, "ROKAN.RIX");
}

TEST(ScriptDebugLines, EveryRecordedFormIsWrittenAsTheLineThatReadsBackTheSame) {
  // CP932 text, CR LF, a NUL and a byte that is no character: the bytes, whatever they are.
  static constexpr char kProgram[] = "3.1\r\n\x83\x65\x83\x58\x83\x67\r\nEND\0\xFF";
  const std::string program(kProgram, sizeof kProgram - 1);
  auto event = [](DebugOp op) {
    ScriptEvent e;
    e.kind = EventKind::kDebug;
    e.code = static_cast<int>(op);
    return e;
  };
  std::vector<ScriptEvent> events;
  for (DebugOp op : {DebugOp::kContinue, DebugOp::kPause, DebugOp::kStepIn, DebugOp::kStepOver,
                     DebugOp::kStepOut, DebugOp::kWindow, DebugOp::kClearAll})
    events.push_back(event(op));
  ScriptEvent b = event(DebugOp::kBreak);
  b.count = 9;
  events.push_back(b);
  b.extra = "== 3";
  b.text = "P.X < -250";
  events.push_back(b);
  ScriptEvent c = event(DebugOp::kClear);
  c.count = 9;
  events.push_back(c);
  ScriptEvent r = event(DebugOp::kRunTo);
  r.count = 30;
  events.push_back(r);
  ScriptEvent s = event(DebugOp::kSet);
  s.text = "P.X";
  s.values = {0.1};
  events.push_back(s);
  s.values = {-1e-300};
  events.push_back(s);
  s.text = "Q";
  s.values = {1, 2.5, -3};
  events.push_back(s);
  ScriptEvent save = event(DebugOp::kSave);
  save.text = "ROKAN.RIX";
  save.extra = program;
  events.push_back(save);
  save.extra.clear();
  events.push_back(save);
  ScriptEvent compile = event(DebugOp::kCompile);
  compile.text = "ROKAN.RIX";
  events.push_back(compile);

  for (const ScriptEvent& e : events) {
    const std::string line = script_line(e);
    SCOPED_TRACE(line);
    const ScriptEvent back = one(line);
    EXPECT_EQ(back.kind, e.kind);
    EXPECT_EQ(back.code, e.code);
    EXPECT_EQ(back.count, e.count);
    EXPECT_EQ(back.text, e.text);
    EXPECT_EQ(back.extra, e.extra);
    EXPECT_EQ(back.values, e.values);
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
}

TEST(ScriptDebugLines, BadLinesNameTheLineAndSayWhatTheyTake) {
  const struct {
    const char* script;
    const char* message;
  } cases[] = {
      {"tick 1\nbreak 12 hits\n", "line 2: break takes LINE [hits HITS] [if CONDITION]"},
      {"break 12 hits if I > 1\n", "line 1: break takes LINE [hits HITS] [if CONDITION]"},
      {"break 12 hits 3 if\n", "line 1: break takes LINE [hits HITS] [if CONDITION]"},
      {"break 12 when I > 1\n", "line 1: break takes LINE [hits HITS] [if CONDITION]"},
      {"run-to\n", "line 1: run-to takes a source line number from 1, not ''"},
      {"run-to 0\n", "line 1: run-to takes a source line number from 1, not '0'"},
      {"run-to 12 13\n", "line 1: run-to takes a source line number from 1"},
      {"debugger\n", "line 1: debugger takes window, not ''"},
      {"debugger gui\n", "line 1: debugger takes window, not 'gui'"},
      {"save\n", "line 1: save takes FILE and the file's bytes in base64 (- for none)"},
      {"save ROKAN.RIX\n", "line 1: save takes FILE and the file's bytes in base64"},
      {"save ROKAN.RIX My4*\n", "line 1: save: the file's bytes are not base64"},
      {"save ROKAN.RIX Mw=\n", "line 1: save: the file's bytes are not base64"},
      {"save ../x.RIX Mw==\n", "line 1: save takes the name of a file of the RIX directory"},
      {"save a\\b.RIX Mw==\n", "line 1: save takes the name of a file of the RIX directory"},
      {"compile\n", "line 1: compile takes the name of a file of the RIX directory, not ''"},
      {"compile /etc/x\n", "line 1: compile takes the name of a file of the RIX directory"},
      {"save .. Mw==\n", "line 1: save takes the name of a file of the RIX directory, not '..'"},
  };
  for (const auto& c : cases) {
    try {
      parse_script(c.script);
      ADD_FAILURE() << "accepted: " << c.script;
    } catch (const ScriptError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(Base64, EncodesTheStandardVectorsAndRefusesWhatIsNotOneOfThem) {
  const struct {
    const char* bytes;
    const char* text;
  } vectors[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"}};
  for (const auto& v : vectors) {
    EXPECT_EQ(base64_encode(v.bytes), v.text);
    std::string back;
    EXPECT_TRUE(base64_decode(v.text, back)) << v.text;
    EXPECT_EQ(back, v.bytes);
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string back;
  ASSERT_TRUE(base64_decode(base64_encode(all), back));
  EXPECT_EQ(back, all);
  for (const char* bad : {"Zg=", "Zg==Zg==", "Zh==", "Zm9=", "Z===", "Zm 9", "Zm9v\n", "Zm9*"}) {
    std::string out = "kept";
    EXPECT_FALSE(base64_decode(bad, out)) << bad;
    EXPECT_EQ(out, "kept");
  }
}

}  // namespace
}  // namespace rokan
