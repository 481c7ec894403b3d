// The MANUAL, ORIGIN, AUTO and EMG menus of <TOP>, <TOP> itself and the login screen, driven
// through the scripted host.
#include <gtest/gtest.h>

#include "scenarios/menu_session.h"

namespace rokan::test {
namespace {

struct MenuMode : ::testing::Test {
  MenuSession s;

  // The RIX directory holds only the sources a test writes.
  void empty_rix_directory() {
    for (const auto& e : std::filesystem::directory_iterator(s.dir / "DEFAULT" / "rixs"))
      std::filesystem::remove_all(e.path());
  }
};

TEST_F(MenuMode, ManualMenuChoosesOnlyTheSelectableControlModes) {
  s.run(std::string(kToTop) + "key M\ndump screen\nkey 3\ndump screen\nkey 0\nkey 2\n" +
        "dump screen\nkey q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.screens[0],
            menu_screen("<MANUAL MODE>",
                        {"Now: Leg Position", "", "0: DISABLE", "1: Leg Position Control mode",
                         "2: Joint Angle Control mode", "3: Joint Torque Control mode　(選択不可)",
                         "4: Leg Velocity Control mode　(選択不可)",
                         "5: Joint Omega Control mode　 (選択不可)"}));
  EXPECT_EQ(s.screens[1], s.screens[0]);
  EXPECT_EQ(s.screens[2][3], "Now: Joint Angle");
  EXPECT_EQ(s.c.mode.manual_sub_mode, 2);
}

TEST_F(MenuMode, OriginMenuReadsShowsAndWritesTheOriginFile) {
  s.write("DEFAULT/init/rkn_org.ini", "1.5 -2.5 0\n0\t0\t10.0\n-10 3 4\n0.25 0 -0.75\n");
  s.run(std::string(kToTop) + "key O\ndump screen\nkey R\ndump screen\nkey SPACE\nkey D\n" +
        "dump screen\nkey SPACE\nkey W\ndump screen\nkey SPACE\nkey Q\nkey Q\ntick 1\n");
  const Lines menu = menu_screen("<ORIGIN MODE>", {"R: 原点記憶fileから読み込み",
                                                   "W: 原点記憶fileへ書き込み", "D: 原点の表示"});
  EXPECT_EQ(s.screens[0], menu);
  Lines read = menu;
  read.push_back("原点記憶fileを読み込みます．[完了]");
  EXPECT_EQ(s.screens[1], read);
  Lines shown = menu;
  for (const char* l : {"", "Leg1:   1.5  -2.5   0.0[V]", "Leg2:   0.0   0.0  10.0[V]",
                        "Leg3: -10.0   3.0   4.0[V]", "Leg4:   0.2   0.0  -0.8[V]"})
    shown.push_back(l);
  EXPECT_EQ(s.screens[2], shown);
  EXPECT_EQ(s.screens[3].back(), "原点記憶fileを書き込みます．[完了]");
  EXPECT_EQ(s.read("DEFAULT/init/rkn_org.ini"),
            "1.500000\t-2.500000\t0.000000\t\n0.000000\t0.000000\t10.000000\t\n"
            "-10.000000\t3.000000\t4.000000\t\n0.250000\t0.000000\t-0.750000\t\n");
  EXPECT_EQ(s.c.sensor.origin[3][2], -0.75);
}

TEST_F(MenuMode, OriginMenuSaysWhenTheFileCannotBeRead) {
  s.write("DEFAULT/init/rkn_org.ini", "1 2 3\n4 5 6\n7 8 10.01\n0 0 0\n");
  s.run(std::string(kToTop) + "key O\nkey R\ndump screen\nkey SPACE\nkey Q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.screens[0].back(), "原点記憶fileを読み込みます．Can not read [rkn_org.ini].");
  EXPECT_EQ(s.c.sensor.origin[0][0], 0.0);
}

TEST_F(MenuMode, OriginMenuSaysWhenTheFileCannotBeWritten) {
  std::filesystem::create_directories(s.dir / "DEFAULT/init/rkn_org.ini");
  s.run(std::string(kToTop) + "key O\nkey W\ndump screen\nkey SPACE\nkey Q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.screens[0].back(),
            "原点記憶fileを書き込みます．Can not write [rkn_org.ini]. Is a directory");
}

TEST_F(MenuMode, AutoMenuListsTheRegisteredPrograms) {
  s.run(std::string(kToTop) + "key A\ndump screen\nkey 1\ndump screen\nkey SPACE\nkey Q\n" +
        "key Q\ntick 1\n");
  const Lines menu =
      menu_screen("<AUTO MODE>", {"1: (AUTO) 登録されているAUTOプログラム名の表示",
                                  "2: (RIX)  全変数のファイルへの書き出し",
                                  "3: (RIX)  RIXプログラム一覧＆選択       (ROKAN.RIX)"});
  EXPECT_EQ(s.screens[0], menu);
  Lines programs = menu;
  for (const char* l : {"No.0 = RIX", "No.1 = 胴体接地歩行（４足同時）", "No.2 = 脚先接地歩行",
                        "No.3 = 胴体接地歩行（古い歩行）", "No.4 = 胴体接地歩行（１足毎）",
                        "No.5 = バタフライ型（中間なし）", "No.6 = シャクトリムシ型",
                        "No.7 = ", "No.8 = ", "No.9 = DEBUG"})
    programs.push_back(l);
  EXPECT_EQ(s.screens[1], programs);
}

TEST_F(MenuMode, RixProgramListPagesTenAtATimeAndChoosesAFile) {
  empty_rix_directory();
  for (int i = 0; i < 12; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "P%02d.RIX", i);
    s.write(std::filesystem::path("DEFAULT/rixs") / name,
            "3.1\r\n\t  歩行 " + std::to_string(i) + " \r\nEND\r\n");
  }
  s.run(std::string(kToTop) + "key A\nkey 3\ndump screen\nkey p\ndump screen\nkey N\n" +
        "dump screen\nkey 2\ndump screen\nkey 1\ndump screen\nkey Q\nkey Q\ntick 1\n");
  const Lines& page0 = s.screens[0];
  ASSERT_EQ(page0.size(), 3u + 10u + 6u);
  EXPECT_EQ(page0[1], "<AUTO MODE/ RIX選択 : 0page>");
  // The comment is padded to 40 bytes: "歩行 0" takes 6 of them in Shift-JIS.
  const std::string pad0(34, ' '), pad1(33, ' ');
  EXPECT_EQ(page0[3], "0: 歩行 0" + pad0 + " (P00.RIX      :3.10)");
  EXPECT_EQ(page0[12], "9: 歩行 9" + pad0 + " (P09.RIX      :3.10)");
  EXPECT_EQ(s.screens[1], page0);  // no page before 0
  const Lines page1 = {"",
                       "<AUTO MODE/ RIX選択 : 1page>",
                       "",
                       "0: 歩行 10" + pad1 + " (P10.RIX      :3.10)",
                       "1: 歩行 11" + pad1 + " (P11.RIX      :3.10)",
                       "",
                       "N : next     page",
                       "P : previous page",
                       "Q : Quit",
                       "",
                       "Input -> "};
  EXPECT_EQ(s.screens[2], page1);
  EXPECT_EQ(s.screens[3], page1);  // no line 2 on this page
  EXPECT_EQ(s.screens[4][5], "3: (RIX)  RIXプログラム一覧＆選択       (P11.RIX)");
  EXPECT_EQ(s.c.rix.source_name, "P11.RIX");
}

TEST_F(MenuMode, RixProgramListRefusesANameLongerThanItsField) {
  empty_rix_directory();
  s.write("DEFAULT/rixs/LONGPROGRAM1.RIX", "3.1\nlong\n");
  s.run(std::string(kToTop) + "key A\nkey 3\nkey 0\ndump strip\ndump screen\nkey Q\nkey Q\n" +
        "key Q\ntick 1\n");
  EXPECT_EQ(s.strips[0][1], "ファイル名が長すぎます(12文字まで): LONGPROGRAM1.RIX");
  EXPECT_EQ(s.screens[0][1], "<AUTO MODE/ RIX選択 : 0page>");
  EXPECT_EQ(s.c.rix.source_name, "ROKAN.RIX");
}

TEST_F(MenuMode, EmgMenuTogglesTheEmergencyStopEnable) {
  s.run(std::string(kToTop) + "key E\ndump screen\nkey 1\ndump screen\nkey Q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.screens[0], menu_screen("<EMG MODE>", {"1: EMG ON -> OFF"}));
  EXPECT_EQ(s.screens[1][3], "1: EMG OFF -> ON");
  EXPECT_EQ(s.c.mode.emg_enable, 0);
}

using MenuTopLogin = MenuMode;

const std::string kTopTitle = "<TOP>：サーボスイッチを全てＯＦＦにして下さい．";
const Lines kTopScreen = {"",
                          kTopTitle,
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

// The login screen over <TOP>'s first line: the logged-in user, then one line per listed user.
Lines login_screen(const std::string& user, const Lines& entries) {
  Lines lines = {"", kTopTitle, "<LOGIN : " + user + ">", ""};
  lines.insert(lines.end(), entries.begin(), entries.end());
  for (const char* l : {"", "Q : Quit", "", "Input -> "}) lines.push_back(l);
  return lines;
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
  const Lines login =
      login_screen("DEFAULT (DEFAULT\\)",
                   {" 0 : DEFAULT\t(DEFAULT\\)", " 1 : ALICE\t(alice\\)", " 2 : BOB\t(bob\\)"});
  EXPECT_EQ(s.screens[0], login);
  EXPECT_EQ(s.screens[1], login);  // no entry 3
  EXPECT_EQ(s.screens[2][2], "<LOGIN : ALICE (alice\\)>");
  EXPECT_EQ(s.screens[3], kTopScreen);
  EXPECT_EQ(s.c.params.user_name, "ALICE");
  EXPECT_EQ(s.c.params.user_dir, "alice\\");
  EXPECT_EQ(s.c.params.kp[1], 2.5);
  EXPECT_EQ(s.c.params.active.b1.a_max[0], 700.0);  // file values reach the active ones
}

// The login screen is shown by start-up, before the controller is initialised.
TEST_F(MenuTopLogin, StartUpShowsTheFirstTenUsersToLogIn) {
  std::string users;
  Lines entries;
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    users += "U" + n + " d" + n + "\\\n";
    if (i < 10) entries.push_back(" " + n + " : U" + n + "\t(d" + n + "\\)");
  }
  s.write("user.ini", users);
  // U9 has no parameter file: its reader's message waits for a key.
  s.run("tick 1\ndump screen\nkey 9\nkey Q\nkey SPACE\nkey SPACE\ntick 1\n");
  EXPECT_EQ(s.screens[0], login_screen("DEFAULT (DEFAULT\\)", entries));
  EXPECT_EQ(s.c.params.user_name, "U9");
  EXPECT_EQ(s.c.mode.mode, kManual);
}

}  // namespace
}  // namespace rokan::test
