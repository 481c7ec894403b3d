// What the operator learns when start-up meets a broken file: reader messages stay on the text
// screen while the reader waits for its key, and a controller that cannot go on keeps the reason
// it ended for the front ends.
#include <gtest/gtest.h>

#include <fstream>

#include "scenarios/rix_session.h"

namespace rokan {
namespace {

using test::ScriptedSession;

struct StartupFailures : ::testing::Test {
  ScriptedSession s{test::current_test_name()};
  Controller& c = s.c;

  void write(const char* path, const std::string& text) {
    std::ofstream(s.dir() / path, std::ios::binary | std::ios::trunc) << text;
  }
  // Screen lines 11, 13 and 14 while the reader waits, and once start-up waits for its key.
  std::vector<std::string> start_with_reader_wait() {
    s.run("tick 1\nkey Q\ndump screen\nkey x\ndump screen\nkey x\n");
    std::vector<std::string> out;
    for (const auto& d : s.dumps)
      for (int line : {11, 13, 14}) out.push_back(d["lines"][line - 1]);
    return out;
  }
};

TEST_F(StartupFailures, ParameterFileMessagesAppearOnTheTextScreen) {
  write("DEFAULT/init/rokan.ini", "ARDO_VERSION\t4.30\n");
  EXPECT_EQ(start_with_reader_wait(),
            (std::vector<std::string>{"", "初期設定ファイルのバージョンが違います．", "",
                                      "キーを押してください．",
                                      "初期設定ファイルのバージョンが違います．", ""}));
  EXPECT_EQ(get_mode(c), kManual);
}

TEST_F(StartupFailures, LabelErrorShowsLabelAndValueWithoutBells) {
  write("DEFAULT/init/rokan.ini", "ARDO_VERSION\t4.20\nKM51\t1.0\n");
  const auto lines = start_with_reader_wait();
  EXPECT_EQ(lines[1], "[Err] 未定義のラベル，あるいは値が不正です．");
  EXPECT_EQ(lines[2], "    KM51 = 1.0");
}

TEST_F(StartupFailures, MissingParameterFileNamesItsPath) {
  std::filesystem::remove(s.dir() / "DEFAULT/init/rokan.ini");
  const auto lines = start_with_reader_wait();
  EXPECT_EQ(lines[1], "ROKAN.INIがオープンできません(Read/Text)");
  EXPECT_EQ(lines[2], "    DEFAULT\\init\\rokan.ini");
}

TEST_F(StartupFailures, FormatErrorShowsTheLineWithoutItsLineEnd) {
  write("DEFAULT/init/rokan.ini", "ARDO_VERSION\t4.20\nKP1\n");
  const auto lines = start_with_reader_wait();
  EXPECT_EQ(lines[1], "初期設定ファイルの書式に誤りがあります．");
  EXPECT_EQ(lines[2], "[KP1]");
}

TEST_F(StartupFailures, FatalStopsKeepTheirReason) {
  const struct {
    const char* file;
    const char* text;  // nullptr: the file is removed
    const char* reason;
  } cases[] = {
      {"user.ini", nullptr, "ユーザー情報管理ファイルが存在しません．"},
      {"user.ini", "DEFAULT DEFAULT\\\n\n", "ユーザー情報管理ファイルの書式が正しくありません．"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.reason);
    ScriptedSession one{test::current_test_name() + "_one"};
    if (k.text)
      std::ofstream(one.dir() / k.file, std::ios::binary | std::ios::trunc) << k.text;
    else
      std::filesystem::remove(one.dir() / k.file);
    one.run("tick 1\nkey Q\nkey x\n");
    EXPECT_TRUE(one.c.cycle.terminated);
    EXPECT_TRUE(one.c.cycle.ended_by_itself);
    EXPECT_EQ(cp932_to_utf8(one.c.cycle.stop_reason), k.reason);
  }
}

TEST_F(StartupFailures, ALoginFromTheTopMenuThatFindsNoUserFileEndsTheRun) {
  s.start();
  std::filesystem::remove(s.dir() / "user.ini");
  s.run("key SPACE\ntick 1\nkey O\ntick 1\nkey L\n");
  EXPECT_TRUE(c.cycle.terminated);
  EXPECT_TRUE(c.cycle.ended_by_itself);
  EXPECT_EQ(cp932_to_utf8(c.cycle.stop_reason), "ユーザー情報管理ファイルが存在しません．");
}

TEST_F(StartupFailures, TheOperatorsQuitIsNotAFailure) {
  s.run("tick 1\nkey Q\nkey x\ntick 1\nkey E\ntick 1\nconfirm ok\n");
  EXPECT_TRUE(c.cycle.terminated);
  EXPECT_FALSE(c.cycle.ended_by_itself);
  EXPECT_EQ(c.cycle.stop_reason, "");
}

}  // namespace
}  // namespace rokan
