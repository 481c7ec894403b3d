// A user file that cannot be used ends the program at start-up, with the reason on the status
// line and on the standard error stream, before any field is filled from it.
#include <gtest/gtest.h>

#include <fstream>

#include "console/menus.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::Rig;

struct BadUserFile {
  const char* name;
  const char* contents;  // nullptr: no file
  const char* status;    // UTF-8
};

class LoginRefuses : public ::testing::TestWithParam<BadUserFile> {};

// A line longer than the reader's 1023 bytes comes in pieces: the rest of the first line is a
// line of blanks of its own, which holds no user.
const std::string kOverLongLine = "A a\\" + std::string(1100, ' ') + "\nB b\\\n";

TEST_P(LoginRefuses, AndEndsTheProgramAtStartUp) {
  const BadUserFile& bad = GetParam();
  Rig rig(std::string("login_") + bad.name);
  std::filesystem::remove(rig.dir / "user.ini");
  if (bad.contents) std::ofstream(rig.dir / "user.ini", std::ios::binary) << bad.contents;
  sampling_tick(rig.c);
  EXPECT_EQ(rig.c.console.lines[1], utf8_to_cp932(bad.status));
  EXPECT_TRUE(rig.host.window_closed);
  EXPECT_EQ(rig.c.params.user_name, "DEFAULT");
  EXPECT_EQ(rig.c.params.user_dir, "DEFAULT\\");
  rig.ticks(2);
  EXPECT_EQ(rig.c.cycle.tick_count, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    UserFile, LoginRefuses,
    ::testing::Values(BadUserFile{"missing", nullptr, "ユーザー情報管理ファイルが存在しません．"},
                      BadUserFile{"blank_line", "DEFAULT DEFAULT\\\n\nB b\\\n",
                                  "ユーザー情報管理ファイルの書式が正しくありません．"},
                      BadUserFile{"one_word", "DEFAULT DEFAULT\\\nLONELY\n",
                                  "ユーザー情報管理ファイルの書式が正しくありません．"},
                      BadUserFile{"long_name", "A a\\\nSIXTEEN_BYTES_XX b\\\n",
                                  "user.ini 2行目: ユーザー名が長すぎます(15バイトまで)．"},
                      BadUserFile{"long_dir", "A abcdefghijklmnopqrstuvwxyz01234\\\n",
                                  "user.ini 1行目: ディレクトリ名が長すぎます(31バイトまで)．"},
                      BadUserFile{"over_long_line", kOverLongLine.c_str(),
                                  "ユーザー情報管理ファイルの書式が正しくありません．"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Login, LongestNamesThatFitAreTaken) {
  Rig rig("login_fit");
  std::ofstream(rig.dir / "user.ini", std::ios::binary)
      << "FIFTEEN_BYTES_X abcdefghijklmnopqrstuvwxyz0123\\\r\n";
  rig.key('0');
  rig.key('q');
  EXPECT_TRUE(login_screen(rig.c));
  EXPECT_EQ(rig.c.params.user_name, "FIFTEEN_BYTES_X");
  EXPECT_EQ(rig.c.params.user_dir, "abcdefghijklmnopqrstuvwxyz0123\\");
  EXPECT_EQ(rig.c.console.screen[3], "");  // Q clears the screen
}

}  // namespace
}  // namespace rokan
