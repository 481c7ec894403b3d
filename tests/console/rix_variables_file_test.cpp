#include "console/rix_variables_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "console/menus.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::Rig;

struct RixVariablesFile : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;

  void SetUp() override { rig.start(); }
  void press_item_2() {
    rig.key('2');
    rig.key('q');
    auto_menu(c);
  }
  std::string file(const char* name) {
    std::ifstream in(rig.dir / "DEFAULT" / "rixs" / name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
};

// Tables as a compile of WALK.RIX in the user's RIX directory leaves them.
void load_walk_tables(Controller& c) {
  c.rix.rix_path = c.params.user_dir + c.params.rix_dir;
  c.rix.source_name = c.rix.loaded_name = "WALK.RIX";
  c.rix.vars = {{"VAR_KEY", 13, 0}, {"COUNT", kRixUnset, 0}};
  c.rix.pos.push_back({"HOME", {-301, 201.5, kRixUnset}, 0});
  c.rix.jnt.push_back({"BENT", {90, 0, -45.25}, 0});
}

TEST_F(RixVariablesFile, AutoMenuItemTwoWritesEveryVariableAndSaysWhere) {
  load_walk_tables(c);
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数を書き出しました: DEFAULT\\rixs\\WALK.VAR"));
  EXPECT_EQ(file("WALK.VAR"),
            "RIX_PROGRAM\tWALK.RIX\n"
            "KIND\tNAME\tVALUE1\tVALUE2\tVALUE3\n"
            "VAR\tVAR_KEY\t13.000000\n"
            "VAR\tCOUNT\tNAN\n"
            "POS\tHOME\t-301.000000\t201.500000\tNAN\n"
            "JNT\tBENT\t90.000000\t0.000000\t-45.250000\n");
}

TEST_F(RixVariablesFile, TheFileIsNamedAfterTheCompiledProgramNotTheOneChosenSince) {
  ASSERT_TRUE(rix_compile(c.rix, c.params.user_dir + c.params.rix_dir, "WAVE.RIX"));
  c.rix.source_name = "ROKAN.RIX";  // another program chosen in the AUTO menu
  c.params.rix_dir = "elsewhere\\";
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数を書き出しました: DEFAULT\\rixs\\WAVE.VAR"));
  EXPECT_EQ(file("WAVE.VAR").rfind("RIX_PROGRAM\tWAVE.RIX\nKIND\t", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(rig.dir / "DEFAULT" / "rixs" / "ROKAN.VAR"));
}

TEST_F(RixVariablesFile, NothingIsWrittenWithoutACompiledProgram) {
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数がありません(RIXプログラムが未コンパイルです)．"));

  // A failed compile leaves no tables either.
  ASSERT_FALSE(rix_compile(c.rix, c.params.user_dir + c.params.rix_dir, "NOSUCH.RIX"));
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数がありません(RIXプログラムが未コンパイルです)．"));
  EXPECT_FALSE(std::filesystem::exists(rig.dir / "DEFAULT" / "rixs" / "ROKAN.VAR"));
}

TEST_F(RixVariablesFile, AnUnwritableDirectoryIsReported) {
  load_walk_tables(c);
  c.rix.rix_path = "DEFAULT\\missing\\";
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数を書き出せません: DEFAULT\\missing\\WALK.VAR"));
}

}  // namespace
}  // namespace rokan
