// <TOP> and the login screen, driven through the scripted host.
#include <gtest/gtest.h>

#include "scenarios/menu_session.h"

namespace rokan {
namespace {

using test::kToTop;
using test::MenuSession;
using Lines = std::vector<std::string>;

struct MenuTopLogin : ::testing::Test {
  MenuSession s{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

const Lines kTopScreen = {"",
                          "<TOP>：サーボスイッチを全てＯＦＦにして下さい．",
                          "M : Manual mode",
                          "O : Origin mode",
                          "A : Auto mode",
                          "E : Emg mode",
                          "P : Parameter",
                          "L : Login",
                          "",
                          "Q : Quit",
                          "",
                          "Input -> "};

TEST_F(MenuTopLogin, StartUpShowsTheLoginScreenBeforeInitialising) {
  s.write("user.ini", "DEFAULT DEFAULT\\\nALICE alice\\\n");
  s.run("tick 1\ndump screen\nkey q\nkey SPACE\ntick 1\n");
  EXPECT_EQ(s.screens[0], (Lines{"", "<TOP>：サーボスイッチを全てＯＦＦにして下さい．",
                                 "<LOGIN : DEFAULT (DEFAULT\\)>", "", " 0 : DEFAULT\t(DEFAULT\\)",
                                 " 1 : ALICE\t(alice\\)", "", "Q : Quit", "", "Input -> "}));
  EXPECT_EQ(s.c.mode.mode, kManual);
}

TEST_F(MenuTopLogin, TopMenuRunsInsideTheTickAndRestoresTheInformationDisplay) {
  s.run(std::string("tick 1\nkey Q\nkey SPACE\ntick 1\nkey T\ntick 1\nkey CR\ntick 1\nkey O\n") +
        "tick 1\ndump screen\ntick 3\ndump screen\nkey x\ndump screen\nkey q\ntick 1\n" +
        "dump screen\n");
  EXPECT_EQ(s.screens[0], kTopScreen);
  EXPECT_EQ(s.screens[1], kTopScreen);  // nested cycles run, the display stays off meanwhile
  EXPECT_EQ(s.screens[2], kTopScreen);  // an unknown key redraws
  ASSERT_FALSE(s.screens[3].empty());
  EXPECT_EQ(s.screens[3][3], "-- Position --                      ->  -- Ref_Position --");
  EXPECT_EQ(s.c.console.info_display, 1);
  EXPECT_EQ(s.c.mode.mode, kEmg);
}

TEST_F(MenuTopLogin, LoginChoosesAListedUserAndReadsThatUsersParameterFile) {
  s.write("user.ini", "DEFAULT DEFAULT\\\nALICE alice\\\nBOB bob\\\n");
  s.write("alice/init/rokan.ini", "ARDO_VERSION\t4.20\nA_MAX1\t700.0\nKP2\t2.5\n");
  s.run(std::string(kToTop) + "key l\ndump screen\nkey 3\ndump screen\nkey 1\ndump screen\n" +
        "key Q\ndump screen\nkey Q\ntick 1\n");
  const Lines login = {"",
                       "<TOP>：サーボスイッチを全てＯＦＦにして下さい．",
                       "<LOGIN : DEFAULT (DEFAULT\\)>",
                       "",
                       " 0 : DEFAULT\t(DEFAULT\\)",
                       " 1 : ALICE\t(alice\\)",
                       " 2 : BOB\t(bob\\)",
                       "",
                       "Q : Quit",
                       "",
                       "Input -> "};
  EXPECT_EQ(s.screens[0], login);
  EXPECT_EQ(s.screens[1], login);  // no entry 3
  EXPECT_EQ(s.screens[2][2], "<LOGIN : ALICE (alice\\)>");
  EXPECT_EQ(s.screens[3], kTopScreen);
  EXPECT_EQ(s.c.params.user_name, "ALICE");
  EXPECT_EQ(s.c.params.user_dir, "alice\\");
  EXPECT_EQ(s.c.params.kp[1], 2.5);
  EXPECT_EQ(s.c.params.active.b1.a_max[0], 700.0);  // file values reach the active ones
}

TEST_F(MenuTopLogin, OnlyTheFirstTenUsersAreListed) {
  std::string users;
  for (int i = 0; i < 12; ++i) users += "U" + std::to_string(i) + " d" + std::to_string(i) + "\\\n";
  s.write("user.ini", users);
  // U9 has no parameter file: its reader's message waits for a key.
  s.run("tick 1\ndump screen\nkey 9\nkey Q\nkey SPACE\nkey SPACE\ntick 1\n");
  ASSERT_EQ(s.screens[0].size(), 4u + 10u + 4u);
  EXPECT_EQ(s.screens[0][13], " 9 : U9\t(d9\\)");
  EXPECT_EQ(s.c.params.user_name, "U9");
}

TEST_F(MenuTopLogin, LeavingTopPutsEditedLimitsIntoEffect) {
  double file_value = 0, active_value = 0;
  s.probe = [&] {
    file_value = s.c.params.file.b1.a_max[0];
    active_value = s.c.params.active.b1.a_max[0];
  };
  s.run(std::string(kToTop) + "key P\nkey C\nkey L\nkey 2\nkey 1\ninput 750\ntick 2\nkey Q\n" +
        "key Q\nkey Q\nkey Q\ndump strip\nkey Q\ntick 1\n");
  EXPECT_EQ(file_value, 750);
  EXPECT_EQ(active_value, 500);  // not yet, while the menus run
  EXPECT_EQ(s.c.params.active.b1.a_max[0], 750);
}

}  // namespace
}  // namespace rokan
