#include "rix/compiler/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/text.h"
#include "rix/compiler/tables.h"

namespace rokan {
namespace {

std::string utf8(const std::string& s) {
  return cp932_to_utf8(s);
}

TEST(ErrorReport, FormatsPhaseStatementAndMessage) {
  RixImage image;
  image.phase = rix::PHASE3;
  image.pc = 12;
  rix_report_error(image, RixError::kUnknownCommand, "ABC");
  EXPECT_EQ(image.error_code, 22);
  EXPECT_EQ(image.error_text, "[PHASE3]0012: Unknown command(ABC).");

  image.phase = 9;
  image.pc = 123456;
  rix_report_error(image, RixError::kDomain);
  EXPECT_EQ(image.error_text, "[MODE_ERR]123456: Domain Error.");

  image.phase = rix::RIX_NONE;
  image.pc = 0;
  rix_report_error(image, static_cast<RixError>(56));
  EXPECT_EQ(utf8(image.error_text), "[RIX_NONE]0000: 未定義のエラーです(56)");
  EXPECT_EQ(image.error_code, 56);
}

TEST(ErrorReport, LongMessagesAreCutAt63BytesWithoutSplittingACharacter) {
  RixImage image;
  image.phase = rix::PHASE2;
  // "Unknown command(" is 16 bytes; a 70-byte detail makes the message 88 bytes.
  rix_report_error(image, RixError::kUnknownCommand, std::string(80, 'x'));
  EXPECT_EQ(image.error_text, "[PHASE2]0000: Unknown command(" + std::string(47, 'x'));

  // Double-byte characters: the 63rd byte would be the first half of one.
  std::string kanji;
  for (int i = 0; i < 35; ++i) kanji += SJ("表");
  rix_report_error(image, RixError::kUnknownCommand, kanji);
  std::string message = image.error_text.substr(std::string("[PHASE2]0000: ").size());
  EXPECT_EQ(message.size(), 62u);
  EXPECT_EQ(message, "Unknown command(" + kanji.substr(0, 46));
}

TEST(Warnings, NameTheVariableOfTheirKindAndAppendToTheLog) {
  RixImage image;
  image.vars = {{"VAR_KEY", 0, 0}, {"A", 0, 0}};
  image.pos = {{"P0", {}, 0}, {"P1", {}, 0}};
  image.jnt = {{"J0", {}, 0}};
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  image.error_index = 1;
  rix_write_warning(image, log, 1);
  rix_write_warning(image, log, 5);
  image.error_index = 0;
  rix_write_warning(image, log, 6);
  rix_write_warning(image, log, 7);
  EXPECT_EQ(image.warning_code, 7);
  std::rewind(log);
  char buf[1024];
  std::string text(buf, std::fread(buf, 1, sizeof buf, log));
  std::fclose(log);
  EXPECT_EQ(utf8(text),
            "汎用型変数(A)は宣言(DEF_VAR)されているが使用されていない．\n"
            "座標型変数(P1)は代入されているが参照されていない．\n"
            "関節型変数(J0)は代入されているが参照されていない．\n"
            "未定義の警告です(7)\n");
}

// The compiler checks the tables' sentinels before it runs; past them nothing has a name.
TEST(Tables, NameNothingPastTheirSentinels) {
  EXPECT_EQ(rix_command_name(rix::END_OF_CMD + 1), nullptr);
  EXPECT_EQ(rix_target_name(rix::END_OF_TARGET + 1), nullptr);
  EXPECT_EQ(rix_arg_name(rix::END_OF_ARG + 1), nullptr);
  EXPECT_EQ(rix_command_name(-1), nullptr);
}

}  // namespace
}  // namespace rokan
