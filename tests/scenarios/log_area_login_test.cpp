// Logging in again as a user whose rokan.ini names another MAX_BUF: the records waiting in the
// log area are written first, under the settings they were recorded with, and the area takes
// the new size, which the overflow note, the LOGGING lamp and the sampling screen all use.
#include <gtest/gtest.h>

#include <fstream>

#include "core/logger.h"
#include "core/modes.h"
#include "scenarios/menu_session.h"

namespace rokan::test {
namespace {

// Start-up, logging on, EMG by CR after `ticks` cycles and <TOP> opened with O.
std::string log_then_top(int ticks) {
  return "tick 1\nkey Q\nkey SPACE\ntick 1\nkey L\ntick " + std::to_string(ticks) +
         "\nkey CR\ntick 1\nkey O\ntick 1\n";
}
// Login as entry 1; the pending write's notice; back to EMG; logging on again for `ticks`.
std::string login_then_log(int ticks) {
  return "key L\nkey 1\nkey Q\nnotice ok\nkey Q\ntick 1\nkey L\ntick " + std::to_string(ticks) +
         "\n";
}
// The sampling screen's line of the area's size, seen from EMG mode.
const std::string kSamplingScreen =
    "key O\ntick 1\nkey P\nkey C\nkey S\ndump screen\n"
    "key Q\nkey Q\nkey Q\nkey Q\ntick 1\n";

struct LogAreaLogin : ::testing::Test {
  MenuSession s;
  std::vector<std::string> log_lines(const std::string& user_dir) {
    std::ifstream in(s.dir / user_dir / "log" / "RKN0000.LOG");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  void set_default_max_buf(int n) {
    std::string ini = s.read("DEFAULT/init/rokan.ini");
    const std::size_t at = ini.find("MAX_BUF\t10\n");
    ASSERT_NE(at, std::string::npos);
    ini.replace(at, 11, "MAX_BUF\t" + std::to_string(n) + "\n");
    s.write("DEFAULT/init/rokan.ini", ini);
  }
};

TEST_F(LogAreaLogin, LargerSizeWritesTheFullAreaFirstThenLogsWithoutOverflow) {
  s.write("user.ini", "DEFAULT DEFAULT\\\nBIG big\\\n");
  s.write("big/init/rokan.ini", "ARDO_VERSION\t4.20\nMAX_BUF\t100\n");
  s.run(log_then_top(20) + login_then_log(40));
  // Written before the login took effect: to DEFAULT's directory, the ten-record area full.
  const auto lines = log_lines("DEFAULT");
  ASSERT_EQ(lines.size(), 3u + 9u);
  EXPECT_EQ(lines[1], utf8_to_cp932("サンプリング領域をオーバーフローした形跡があります．"));
  EXPECT_EQ(s.c.params.user_dir, "big\\");
  EXPECT_EQ(s.c.logger.capacity, 100);
  // Forty cycles fit: no record was overwritten and the lamp still says so.
  EXPECT_EQ(s.c.logger.count, 39);
  EXPECT_TRUE(logging_lamp(s.c));
  s.run(kSamplingScreen);
  EXPECT_EQ(s.screens.back()[4], "2: サンプリング数(100data) : 確保済み");
}

TEST_F(LogAreaLogin, SmallerSizeWritesEveryRecordFirstAndNeverStopsInEmg) {
  set_default_max_buf(100);
  s.write("user.ini", "DEFAULT DEFAULT\\\nSMALL small\\\n");
  s.write("small/init/rokan.ini", "ARDO_VERSION\t4.20\nMAX_BUF\t10\n");
  s.run(log_then_top(50) + login_then_log(20));
  // 49 cycles after the one that took L, the one that took CR and the one that opened <TOP>:
  // all written, without an overflow note.
  const auto lines = log_lines("DEFAULT");
  ASSERT_EQ(lines.size(), 3u + 51u);
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(s.c.logger.capacity, 10);
  EXPECT_EQ(s.c.logger.count, 9);   // the small area is full ...
  EXPECT_FALSE(logging_lamp(s.c));  // ... and the lamp shows it
  EXPECT_EQ(s.emg_log().find("不正なメモリ領域"), std::string::npos) << s.emg_log();
  s.run(kSamplingScreen);
  EXPECT_EQ(s.screens.back()[4], "2: サンプリング数(10data) : 確保済み");
}

TEST_F(LogAreaLogin, FailedWriteKeepsTheAreaItsSizeAndItsRecords) {
  s.write("user.ini", "DEFAULT DEFAULT\\\nBIG big\\\n");
  s.write("big/init/rokan.ini", "ARDO_VERSION\t4.20\nMAX_BUF\t100\n");
  std::filesystem::remove_all(s.dir / "DEFAULT" / "log");
  // No notice: the file could not be opened.
  s.run(log_then_top(5) + "key L\nkey 1\nkey Q\nkey Q\ntick 1\n");
  EXPECT_EQ(s.c.params.max_buf, 100);
  EXPECT_EQ(s.c.logger.capacity, 10);
  EXPECT_EQ(s.c.logger.count, 7);  // six before the login, one after
  EXPECT_NE(s.emg_log().find("ERROR: ログファイルが開けませんでした(DEFAULT\\log\\RKN0000.LOG). "
                             "No such file or directory"),
            std::string::npos);
  s.run(kSamplingScreen);
  EXPECT_EQ(s.screens.back()[4], "2: サンプリング数(10data) : 確保済み");
}

}  // namespace
}  // namespace rokan::test
