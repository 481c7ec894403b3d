#include "console/rix_variables_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "console/menus.h"
#include "platform/text.h"
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

TEST_F(RixVariablesFile, AutoMenuItemTwoWritesEveryVariableAndSaysWhere) {
  c.rix.source_name = "WALK.RIX";
  c.rix.vars = {{"VAR_KEY", 13, 0}, {"COUNT", kRixUnset, 0}};
  RixVectorVar p{"HOME", {-301, 201.5, kRixUnset}, 0};
  RixVectorVar j{"BENT", {90, 0, -45.25}, 0};
  c.rix.pos.push_back(p);
  c.rix.jnt.push_back(j);
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

TEST_F(RixVariablesFile, NothingIsWrittenWithoutACompiledProgram) {
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数がありません(RIXプログラムが未コンパイルです)．"));
  EXPECT_FALSE(std::filesystem::exists(rig.dir / "DEFAULT" / "rixs" / "ROKAN.VAR"));
}

TEST_F(RixVariablesFile, AnUnwritableDirectoryIsReported) {
  c.rix.vars = {{"VAR_KEY", 0, 0}};
  c.params.rix_dir = "missing\\";
  press_item_2();
  EXPECT_EQ(c.console.lines[1], SJ("RIX変数を書き出せません: DEFAULT\\missing\\ROKAN.VAR"));
}

}  // namespace
}  // namespace rokan
