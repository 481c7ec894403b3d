// The parameter menus through the scripted host: screens, input rules, and rokan.ini.
#include <gtest/gtest.h>

#include <cmath>

#include "core/param_file.h"
#include "scenarios/menu_session.h"

namespace rokan::test {
namespace {

constexpr double kDeg = kPi / 180;
const std::string kToParam = std::string(kToTop) + "key P\n";
const std::string kOut = "key Q\nkey Q\nkey Q\nkey Q\ntick 1\n";  // back out of four levels

struct MenuParam : ::testing::Test {
  MenuSession s;
  Params& p = s.c.params;
};

TEST_F(MenuParam, RootAndGroupScreens) {
  s.run(kToParam + "dump screen\nkey C\ndump screen\nkey E\ndump screen\nkey Q\nkey G\n" +
        "dump screen\nkey Q\nkey L\ndump screen\n" + kOut);
  EXPECT_EQ(s.screens[0], menu_screen("<Parameter>", {"C: 変更", "W: 書き込み(->rokan.ini)"}));
  EXPECT_EQ(s.screens[1], menu_screen("<Parameter : TOP>", {"E: Error", "G: Gain", "L: Limit",
                                                            "S: Sampling", "D: Directory"}));
  EXPECT_EQ(s.screens[2], menu_screen("<Parameter : Error>",
                                      {"1: 位置許容誤差", "2: 角度許容誤差", "3: トルク許容誤差",
                                       "4: 位置許容誤差   (近傍)", "5: 角度許容誤差   (近傍)",
                                       "6: トルク許容誤差 (近傍)"}));
  EXPECT_EQ(s.screens[3],
            menu_screen("<Parameter : Gain>",
                        {"1: モータゲイン(km)", "2: 位置制御ゲイン(kp)", "3: 位置制御ゲイン(ks)"}));
  EXPECT_EQ(s.screens[4], menu_screen("<Parameter : Limit>",
                                      {"1: 電圧制限", "2: 最大加速度", "3: 最大速度",
                                       "4: 最大角加速度", "5: 最大角速度", "6: 角度制限"}));
}

TEST_F(MenuParam, PerLegValuesStoreTheMagnitudeOfANonZeroNumber) {
  double active_in_menu = 0;
  s.probe = [&] { active_in_menu = p.active.b2.position_err[1]; };
  s.run(kToParam + "key C\nkey E\nkey 1\ndump screen\nkey 2\ndump screen\ninput -7.5\n" +
        "key 3\ninput 0\nkey 4\ninput abc\nkey 1\ninput cancel\nkey 4\ninput nan\n" +
        "dump screen\nkey Q\n" + kOut);
  EXPECT_EQ(s.screens[0], menu_screen("<Parameter : 位置許容誤差>",
                                      {"1: F1 = ± 5.00 [mm]", "2: F2 = ± 5.00 [mm]",
                                       "3: F3 = ± 5.00 [mm]", "4: F4 = ± 5.00 [mm]"}));
  EXPECT_EQ(s.screens[1].back(), "Value -> ");
  EXPECT_EQ(s.screens[1].size(), s.screens[0].size() + 1);
  EXPECT_EQ(s.screens[2][4], "2: F2 = ± 7.50 [mm]");
  const double* v = p.file.b2.position_err;
  EXPECT_EQ((std::vector<double>(v, v + 4)), (std::vector<double>{5.0, 7.5, 5.0, 5.0}));
  EXPECT_EQ(active_in_menu, 5.0) << "not yet in effect while the menus run";
  EXPECT_EQ(p.active.b2.position_err[1], 7.5) << "in effect once <TOP> is left";
}

TEST_F(MenuParam, PerJointDegreesAskForTheJointAndConvert) {
  s.run(kToParam + "key C\nkey E\nkey 2\nkey 1\ndump screen\nkey 2\ninput 30\ndump screen\n" +
        "key 3\nkey q\nkey 3\nkey 9\nkey Q\n" + kOut);
  Lines asked =
      menu_screen("<Parameter : 角度許容誤差>",
                  {"Now:", "1: F1 = ± 3.00, 3.00, 3.00 [deg]", "2: F2 = ± 3.00, 3.00, 3.00 [deg]",
                   "3: F3 = ± 3.00, 3.00, 3.00 [deg]", "4: F4 = ± 3.00, 3.00, 3.00 [deg]"});
  asked.push_back("    関節番号(1,2,3,Q)  ＝");
  EXPECT_EQ(s.screens[0], asked);
  EXPECT_EQ(s.screens[1][4], "1: F1 = ± 3.00, 30.00, 3.00 [deg]");
  EXPECT_NEAR(p.file.b2.angle_err[0][1], kPi / 6, 1e-12);
  EXPECT_NEAR(p.file.b2.angle_err[2][0], 3 * kDeg, 1e-12);  // Q and 9 abandon the joint
}

TEST_F(MenuParam, MotorGainSignFollowsTheJoint) {
  s.run(kToParam + "key C\nkey G\nkey 1\ndump screen\nkey 1\nkey 1\ninput 2.5\nkey 1\nkey 3\n" +
        "input -2.5\nkey 2\nkey 2\ninput -4\nkey 4\nkey 1\ninput 6\nkey A\ndump screen\nkey Q\n" +
        kOut);
  EXPECT_EQ(s.screens[0],
            menu_screen("<Parameter : モータゲイン>",
                        {"Now:", "1: F1 = -30.00, -30.00, 30.00 ", "2: F2 = -30.00, 30.00, -30.00 ",
                         "3: F3 = -30.00, 30.00, -30.00 ", "4: F4 = -30.00, -30.00, 30.00 ",
                         "A: Motor Gain Auto-Tuning (No-Function)"}));
  EXPECT_EQ(p.km[1][1], 4.0);
  EXPECT_EQ(p.km[3][0], -6.0);
  EXPECT_EQ(s.screens[1][4], "1: F1 = -2.50, -30.00, 2.50 ");
}

TEST_F(MenuParam, OmegaLimitsAreShownAndEnteredInDegrees) {
  s.run(kToParam + "key C\nkey L\nkey 5\nkey 4\nkey 3\ninput 90\ndump screen\nkey Q\n" + kOut);
  EXPECT_EQ(s.screens[0][7], "4: F4 = ± 10.00, 10.00, 90.00 [deg/sec]");
  EXPECT_NEAR(p.file.b1.omega_max[3][2], kPi / 2, 1e-12);
}

TEST_F(MenuParam, AngularAccelerationLimitsAreShownAndEnteredInDegrees) {
  s.run(kToParam + "key C\nkey L\nkey 4\nkey 2\nkey 1\ninput 45\ndump screen\nkey Q\n" + kOut);
  EXPECT_EQ(s.screens[0][5], "2: F2 = ± 45.00, 10.00, 10.00 [deg/sec^2]");
  EXPECT_NEAR(p.file.b1.omega_dot_max[1][0], kPi / 4, 1e-12);
  EXPECT_NEAR(p.file.b1.omega_dot_max[1][1], 10 * kDeg, 1e-12);
}

TEST_F(MenuParam, AngleLimitScreenEditsTheSelectedSide) {
  s.run(kToParam + "key C\nkey L\nkey 6\ndump screen\nkey -\nkey 1\ninput -45\ndump screen\n" +
        "key +\nkey 7\ninput 150\nkey 8\ninput -1500.7\nkey 8\ninput 0.4\nkey 8\ninput 40000\n" +
        "dump screen\nkey Q\n" + kOut);
  EXPECT_EQ(
      s.screens[0],
      menu_screen(
          "<Parameter : Limit>",
          {"Now:プラス側選択", "F1 = (65.00～230.00), (-70.00～60.00), (-120.00～0.00) [deg]",
           "F2 = (-50.00～105.00), (-70.00～60.00), (-120.00～0.00) [deg]",
           "F3 = (130.00～295.00), (-70.00～60.00), (-120.00～0.00) [deg]",
           "F4 = (-105.00～50.00), (-70.00～60.00), (-120.00～0.00) [deg]",
           "第3関節相対角度 = (-145.00～145.00) [deg]", "ポテンショメータ稼動範囲 = (2048 ± 2000)",
           "", "1: 脚1の第1関節         5: 脚1～4の第2関節",
           "2: 脚2の第1関節         6: 脚1～4の第3関節",
           "3: 脚3の第1関節         7: 脚1～4の第3関節(相対角度)",
           "4: 脚4の第1関節         8: ポテンショメータ稼動範囲",
           "+ : プラス側選択        - : マイナス側選択"}));
  EXPECT_EQ(s.screens[1][3], "Now:マイナス側選択");
  EXPECT_EQ(s.screens[1][4], "F1 = (-45.00～230.00), (-70.00～60.00), (-120.00～0.00) [deg]");
  EXPECT_NEAR(p.joint_limit[kLimitJ00Minus], -kPi / 4, 1e-12);
  EXPECT_NEAR(p.joint_limit[kLimitJn2RelPlus], 150 * kDeg, 1e-12);
  EXPECT_EQ(s.screens[2][9], "ポテンショメータ稼動範囲 = (2048 ± 1500)");
}

TEST_F(MenuParam, SamplingScreenSetsTheCycleAndManagesTheLogArea) {
  s.run(std::string("tick 1\nkey Q\nkey SPACE\ntick 1\nkey L\ntick 6\nkey CR\ntick 1\nkey O\n") +
        "tick 1\nkey P\nkey C\nkey S\ndump screen\nkey 1\ninput 0\nkey 1\ninput 2\ntick 1\n" +
        "key 3\ninput 0.5\nkey 3\ninput 4\nkey 4\ndump screen\nkey W\nnotice ok\n" +
        "dump screen\nkey 2\ninput 25\ndump screen\nkey Q\n" + kOut);
  EXPECT_EQ(
      s.screens[0],
      menu_screen("<Parameter : Sampling>",
                  {"1: サンプリングタイム(1.000000msec)", "2: サンプリング数(10data) : 確保済み",
                   "3: サンプリング間隔(1cycle毎)",
                   "→ 0.001000 × 10 × 1 = 0.010000[sec]のサンプリングが可能",
                   "4: Watch_Dog Check(Enable)", "", "W : ログファイルの強制書き出し & 初期化",
                   "C : ログ記録領域の初期化(カウンター(7 -> 0)リセット)"}));
  EXPECT_EQ(s.screens[1][3], "1: サンプリングタイム(2.000000msec)");
  EXPECT_EQ(s.screens[1][5], "3: サンプリング間隔(4cycle毎)");
  EXPECT_EQ(s.screens[1][6], "→ 0.002000 × 10 × 4 = 0.080000[sec]のサンプリングが可能");
  EXPECT_EQ(s.screens[1][7], "4: Watch_Dog Check(Disable)");
  EXPECT_EQ(s.screens[1][10], "C : ログ記録領域の初期化(カウンター(8 -> 0)リセット)");
  EXPECT_EQ(s.screens[2][10], "C : ログ記録領域の初期化(カウンター(0 -> 0)リセット)");
  EXPECT_EQ(s.screens[3][4], "2: サンプリング数(25data) : 確保済み");
  EXPECT_EQ(s.host.timer_interval(), 2);
  EXPECT_EQ(s.c.logger.capacity, 25);
  EXPECT_EQ(s.c.logger.state, kLogOff);
  // Logging ran from the cycle after L: five cycles in MANUAL, two in EMG before <TOP> opened,
  // one nested in the menu. The forced write holds those eight records.
  std::ifstream log(s.dir / "DEFAULT" / "log" / "RKN0000.LOG");
  int lines = 0;
  for (std::string l; std::getline(log, l);) ++lines;
  EXPECT_EQ(lines, 3 + 8);
}

TEST_F(MenuParam, DirectoryScreenTakesOnlyExistingDirectoriesThatFit) {
  std::filesystem::create_directories(s.dir / "DEFAULT" / "progs");
  const std::string long_name(31, 'd');
  std::filesystem::create_directories(s.dir / "DEFAULT" / long_name);
  s.run(kToParam + "key C\nkey D\ndump screen\nkey 1\ninput nope\nkey 1\ninput progs\n" +
        "key 2\ninput " + long_name + "\ndump strip\nkey 3\ninput init\\\ndump screen\nkey Q\n" +
        kOut);
  EXPECT_EQ(s.screens[0],
            menu_screen("<Parameter : Directory>",
                        {"1: RIX program  (DEFAULT\\rixs\\)", "2: LOG files    (DEFAULT\\log\\)",
                         "3: 設定ファイル (DEFAULT\\init\\)"}));
  EXPECT_EQ(p.rix_dir, "progs\\");
  EXPECT_EQ(p.rix_path, "DEFAULT\\progs\\");
  EXPECT_EQ(s.strips[0][1], "ディレクトリ名が長すぎます(30バイトまで)．変更しません．");
  EXPECT_EQ(p.log_dir, "log\\");
  EXPECT_EQ(p.ini_dir, "init\\");
  EXPECT_EQ(s.screens[1][3], "1: RIX program  (DEFAULT\\progs\\)");
}

// The settings file ends a value at its first blank, so a name with a blank or a tab would read
// back as another directory: refused, even when the directory exists.
TEST_F(MenuParam, DirectoryScreenRefusesNamesWithBlanks) {
  std::filesystem::create_directories(s.dir / "DEFAULT" / "my progs");
  std::filesystem::create_directories(s.dir / "DEFAULT" / "my\tlogs");
  s.run(kToParam + "key C\nkey D\nkey 1\ninput my progs\ndump strip\nkey 2\ninput my\tlogs\n" +
        "dump strip\nkey Q\n" + kOut);
  EXPECT_EQ(s.strips[0][1], "ディレクトリ名に空白・タブは使えません．変更しません．");
  EXPECT_EQ(s.strips[1][1], "ディレクトリ名に空白・タブは使えません．変更しません．");
  EXPECT_EQ(p.rix_dir, "rixs\\");
  EXPECT_EQ(p.log_dir, "log\\");
}

TEST_F(MenuParam, WrittenSettingsFileReadsBackWithTheEdits) {
  std::filesystem::create_directories(s.dir / "DEFAULT" / "progs");
  s.run(kToParam + "key C\nkey G\nkey 2\nkey 3\ninput 1.75\nkey Q\nkey Q\nkey S\nkey 3\ninput 4\n" +
        "key Q\nkey L\nkey 6\nkey -\nkey 6\ninput -100\nkey Q\nkey Q\nkey D\nkey 1\n" +
        "input progs\nkey Q\nkey Q\nkey W\ndump screen\nkey SPACE\nkey Q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.screens[0].back(), "[完了]");
  EXPECT_EQ(s.screens[0][s.screens[0].size() - 2], "初期設定ファイル(rokan.ini)を書き出します．");
  set_default_params(p, s.c.sensor);
  read_param_file(s.c);
  EXPECT_EQ(p.kp[2], 1.75);
  EXPECT_EQ(p.sampling_skip, 4);
  EXPECT_NEAR(p.joint_limit[kLimitJn2Minus], -100 * kDeg, 1e-8);
  EXPECT_EQ(p.rix_dir, "progs\\");
}

TEST_F(MenuParam, UnwritableSettingsFileShowsTheWritersMessage) {
  std::filesystem::create_directories(s.dir / "DEFAULT" / "ro" / "rokan.ini");
  s.run(kToParam + "key C\nkey D\nkey 3\ninput ro\nkey Q\nkey Q\nkey W\ndump screen\n" +
        "key SPACE\nkey SPACE\nkey Q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.screens[0].back(),
            "\n\rrokan.iniがオープンできません(Write/Text) Is a directory\n\r");
}

// The operator mends the directory and presses W again: the same records reach the file.
TEST_F(MenuParam, FailedForcedLogWriteKeepsTheRecordsAndTheMenuForAnotherTry) {
  const auto log_dir = s.dir / "DEFAULT" / "log";
  std::filesystem::remove_all(log_dir);
  s.probe = [&] { std::filesystem::create_directories(log_dir); };
  s.run(std::string("tick 1\nkey Q\nkey SPACE\ntick 1\nkey L\ntick 6\nkey CR\ntick 1\nkey O\n") +
        "tick 1\nkey P\nkey C\nkey S\nkey W\ndump strip\ndump screen\nkey W\nnotice ok\n" + kOut);
  EXPECT_FALSE(s.host.window_closed());
  const std::string why =
      "ERROR: ログファイルが開けませんでした(DEFAULT\\log\\RKN0000.LOG). No such file or directory";
  EXPECT_EQ(s.strips[0][2], cp932_to_utf8(utf8_to_cp932(why).substr(0, 80)));  // 80 bytes
  EXPECT_EQ(s.screens[0][1], "<Parameter : Sampling>");
  EXPECT_EQ(s.screens[0][10], "C : ログ記録領域の初期化(カウンター(7 -> 0)リセット)");
  EXPECT_NE(s.read("emg/emg.log").find(why + "\n"), std::string::npos);
  std::ifstream log(log_dir / "RKN0000.LOG");
  int lines = 0;
  for (std::string l; std::getline(log, l);) ++lines;
  EXPECT_EQ(lines, 3 + 7);
}

}  // namespace
}  // namespace rokan::test
