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
  rix_report_error(image, 22, "ABC");
  EXPECT_EQ(image.error_code, 22);
  EXPECT_EQ(image.error_text, "[PHASE3]0012: Unknown command(ABC).");

  image.phase = 9;
  image.pc = 123456;
  rix_report_error(image, 23);
  EXPECT_EQ(image.error_text, "[MODE_ERR]123456: Domain Error.");
}

TEST(ErrorReport, MessagesTakeTheirDetailsFromTheImage) {
  RixImage image;
  image.phase = rix::RIX_RUN;
  image.vars = {{"VAR_KEY", 0, 0}, {"SPEED", 0, 0}};
  image.error_index = 1;
  rix_report_error(image, 19);
  EXPECT_EQ(utf8(image.error_text),
            "[RIX_RUN]0000: 汎用型変数(SPEED)は参照されるが代入されていない");

  image.last_index = 41;
  rix_report_error(image, 28);
  EXPECT_EQ(utf8(image.error_text), "[RIX_RUN]0000: ステップ番号が異常です(max = 41)");

  image.instructions.resize(3);
  image.instructions[2].command = rix::PTP_ANGLE;
  image.pc = 2;
  rix_report_error(image, 29);
  EXPECT_EQ(utf8(image.error_text), "[RIX_RUN]0002: 未実装(PTP_ANGLE)");

  rix_report_error(image, 41);
  EXPECT_EQ(utf8(image.error_text), "[RIX_RUN]0002: 変数名の長さが長過ぎます(<=32)");
}

TEST(ErrorReport, UnknownCodesSayWhichCode) {
  RixImage image;
  rix_report_error(image, 56);
  EXPECT_EQ(utf8(image.error_text), "[RIX_NONE]0000: 未定義のエラーです(56)");
  EXPECT_EQ(image.error_code, 56);
}

TEST(ErrorReport, LongMessagesAreCutAt63BytesWithoutSplittingACharacter) {
  RixImage image;
  image.phase = rix::PHASE2;
  // "Unknown command(" is 16 bytes; a 70-byte detail makes the message 88 bytes.
  rix_report_error(image, 22, std::string(80, 'x'));
  EXPECT_EQ(image.error_text, "[PHASE2]0000: Unknown command(" + std::string(47, 'x'));

  // Double-byte characters: the 63rd byte would be the first half of one.
  std::string kanji;
  for (int i = 0; i < 35; ++i) kanji += SJ("表");
  rix_report_error(image, 22, kanji);
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

TEST(Tables, EndInTheirSentinelsAndNameNothingBeyond) {
  EXPECT_TRUE(rix_tables_intact());
  EXPECT_STREQ(rix_command_name(162), "END_OF_CMD");
  EXPECT_STREQ(rix_target_name(104), "END_OF_TARGET");
  EXPECT_STREQ(rix_arg_name(112), "END_OF_ARG");
  EXPECT_EQ(rix_command_name(163), nullptr);
  EXPECT_EQ(rix_target_name(105), nullptr);
  EXPECT_EQ(rix_arg_name(113), nullptr);
  EXPECT_EQ(rix_command_name(-1), nullptr);
}

TEST(Tables, CodesFollowTheirLayout) {
  // Comparison families: base + comparison index, EVENT codes apart for IF_GOTO/IF_GOSUB.
  EXPECT_STREQ(rix_command_name(rix_condition_code(rix::IF_GOSUB_EQ, rix::CMP_LE)), "IF_GOSUB_LE");
  EXPECT_STREQ(rix_command_name(rix_condition_code(rix::IF_GOTO_EQ, rix::CMP_EVENT)),
               "IF_GOTO_EVENT");
  EXPECT_STREQ(rix_command_name(rix_condition_code(rix::IF_GOSUB_EQ, rix::CMP_EVENT)),
               "IF_GOSUB_EVENT");
  EXPECT_STREQ(rix_command_name(rix_condition_code(rix::UNTIL_EQ, rix::CMP_EVENT)), "UNTIL_EVENT");
  EXPECT_STREQ(rix_command_name(rix_condition_code(rix::ELSEIF_EQ, rix::CMP_GT)), "ELSEIF_GT");
  // Target Jnm = 11 + 9 (n - 1) + (m - 1).
  EXPECT_STREQ(rix_target_name(11 + 9 * 8 + 8), "TARGET_J99");
  EXPECT_STREQ(rix_target_name(rix::target_joint(2, 3)), "TARGET_J23");
  EXPECT_STREQ(rix_target_name(91), "TARGET_J99");
  EXPECT_STREQ(rix_target_name(92), "TARGET_VR1");
  // Argument kinds: REL_ and M_ forms lie at fixed offsets from the plain kinds.
  EXPECT_STREQ(rix_arg_name(rix::JNT_1 + 8), "JNT_9");
  EXPECT_STREQ(rix_arg_name(rix::POS_Z + rix::kRelOffset), "REL_POS_Z");
  EXPECT_STREQ(rix_arg_name(rix::JNT_1 + 8 + rix::kRelOffset + rix::kMinusOffset), "M_REL_JNT_9");
  EXPECT_STREQ(rix_arg_name(rix::INPOS_J11 + 11), "INPOS_J43");
  EXPECT_STREQ(rix_arg_name(rix::SPECIAL_FLAG0 + 9), "SPECIAL_FLAG9");
}

}  // namespace
}  // namespace rokan
