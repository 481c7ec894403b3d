#include "sim/script.h"

#include <gtest/gtest.h>

namespace rokan {
namespace {

// Space, confirm, notice, dump and most keys and sliders are parsed by the scenario tests; these
// are the forms only this test sees.
TEST(Script, EveryCommandBecomesOneEvent) {
  auto e = parse_script(
      "\xEF\xBB\xBF# start-up\n"
      "\n"
      "tick 1000000\n"
      "  key a\n"
      "key TAB\n"
      "key ESC\n"
      "key CR\r\n"
      "vr2 -10.0\n"
      "paw4 on\n"
      "antenna off\n"
      "input 12.5 mm\n"
      "input cancel\n"
      "option pt_limit off\n"
      "option pt_limit on\n"
      "option skip 0\n"
      "option scale front 500\n"
      "option  scale  top  0\n");
  ASSERT_EQ(e.size(), 15u);
  EXPECT_EQ(e[0].kind, EventKind::kTick);
  EXPECT_EQ(e[0].count, 1000000u);
  EXPECT_EQ(e[0].line, 3);
  EXPECT_EQ(e[1].code, 'a');
  EXPECT_EQ(e[2].kind, EventKind::kKeyRelease);
  EXPECT_EQ(e[2].code, 9);
  EXPECT_EQ(e[3].code, 27);
  EXPECT_EQ(e[4].kind, EventKind::kKey);
  EXPECT_EQ(e[4].code, 13);
  EXPECT_EQ(e[5].index, 1);
  EXPECT_EQ(e[5].position, -100);
  EXPECT_EQ(e[6].index, 3);
  EXPECT_TRUE(e[6].on);
  EXPECT_EQ(e[7].index, kAntennaBox);
  EXPECT_FALSE(e[7].on);
  EXPECT_EQ(e[8].text, "12.5 mm");
  EXPECT_EQ(e[9].kind, EventKind::kInputCancel);
  EXPECT_EQ(e[10].kind, EventKind::kOption);
  EXPECT_EQ(e[10].index, static_cast<int>(OptionKind::kPtLimit));
  EXPECT_TRUE(e[10].on) << "the PT_LIMIT OFF item checked";
  EXPECT_FALSE(e[11].on);
  EXPECT_EQ(e[12].index, static_cast<int>(OptionKind::kSkip));
  EXPECT_EQ(e[12].position, 0);
  EXPECT_EQ(e[13].index, static_cast<int>(OptionKind::kScale));
  EXPECT_EQ(e[13].code, 1);
  EXPECT_EQ(e[13].position, 500);
  EXPECT_EQ(e[14].code, 2);
  EXPECT_EQ(e[14].position, 0);
}

TEST(Script, BadLinesAreNamed) {
  const struct {
    const char* script;
    int line;
  } cases[] = {
      {"tick 1\nfly away\n", 2},
      {"tick 0\n", 1},
      {"tick -3\n", 1},
      {"tick 2x\n", 1},
      {"key ab\n", 1},
      {"key\n", 1},
      {"\n\nvr1 0.05\n", 3},
      {"vr2 10.1\n", 1},
      {"vr3 x\n", 1},
      {"paw5 on\n", 1},
      {"paw1 yes\n", 1},
      {"confirm maybe\n", 1},
      {"notice cancel\n", 1},
      {"dump all\n", 1},
      {"vr1 nan\n", 1},
      {"option\n", 1},
      {"option pt_limit\n", 1},
      {"option pt_limit 0\n", 1},
      {"option skip -1\n", 1},
      {"option skip 2.5\n", 1},
      {"option skip 99999999999\n", 1},
      {"option scale side 19\n", 1},
      {"option scale front 501\n", 1},
      {"option scale top -1\n", 1},
      {"option scale back 100\n", 1},
      {"option scale side\n", 1},
      {"option skip +3\n", 1},
  };
  for (const auto& c : cases) {
    try {
      parse_script(c.script);
      ADD_FAILURE() << "accepted: " << c.script;
    } catch (const ScriptError& e) {
      EXPECT_EQ(e.line(), c.line) << c.script;
      EXPECT_EQ(std::string(e.what()).rfind("line " + std::to_string(c.line) + ": ", 0), 0u)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace rokan
