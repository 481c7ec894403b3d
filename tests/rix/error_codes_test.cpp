// One malformed program per compiler error code against the exact report line. Programs are
// written as the lines after the version and heading lines; ';' separates statements. Errors
// whose source line matters are annotated programs under tests/rix/programs/.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

struct ErrorCase {
  const char* body;
  const char* report;
};

class CompilerError : public testing::TestWithParam<ErrorCase> {};

TEST_P(CompilerError, ReportsTheExactLine) {
  const ErrorCase& c = GetParam();
  CompileResult r = compile_body(c.body);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.report, c.report) << c.body;
  // A failed compile leaves nothing behind but the error.
  EXPECT_EQ(r.image.phase, rix::RIX_NONE);
  EXPECT_TRUE(r.image.instructions.empty());
  EXPECT_TRUE(r.image.vars.empty());
  EXPECT_TRUE(r.image.labels.empty());
}

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.body;
}

std::string case_name(const testing::TestParamInfo<ErrorCase>& info) {
  return std::to_string(info.index) + "_" + name_of(info.param.body, " ;");
}

const ErrorCase kErrors[] = {
    {"END extra", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"REM; REM", "[PHASE2]0002: 'END'コマンドが存在しません."},
    {"PTP F1 1 2;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"PTP F1 1 2 3 4;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"START: PTP F1 1 2 3;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"REL_PTP F1 R 1 2 3;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"VEL_CONTROL F1 A 1 2 3;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"DETECT_FLOOR F1 -1;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"SPECIAL X;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"DEF_VAR I;FOR I = 1 TO 2;NEXT;END", "[PHASE3]0001: Format error(FORMAL.TMP)."},
    {"GOSUB LOOP:;LOOP:;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"LOOP:;CALL LOOP:;END", "[PHASE3]0001: Format error(FORMAL.TMP)."},
    {"SUBROUTINE NOCOLON;END", "[PHASE2]0000: Format error(FORMAL.TMP)."},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ12345:;END", "[PHASE2]0000: Format error(FORMAL.TMP)."},
    {"MESSAGE 1234567890123456789012345678901234567890123456789012345678901234567890;END",
     "[PHASE3]0000: 文字列が長過ぎます > (70)byte."},
    {"DEF_VAR X;IF X == 1 GOTO L:;L:;END",
     "[PHASE3]0002: 汎用型変数(X)は参照されるが代入されていない"},
    {"DEF_POS P;PTP F1 P;END", "[PHASE3]0001: 座標型変数(P)は参照されるが代入されていない"},
    {"DEF_JNT J;PTP_ANGLE F1 J;END", "[PHASE3]0001: 関節型変数(J)は参照されるが代入されていない"},
    {"ABC;END", "[PHASE3]0000: Unknown command(ABC)."},
    {",, ,;END", "[PHASE3]0000: Unknown command(,,)."},
    {"PTP_HS F1 1 2 3;END", "[PHASE3]0000: Unknown command(PTP_HS)."},
    {"TORQUE J11 1;END", "[PHASE3]0000: Unknown command(TORQUE)."},
    {"SET_TORQUE_MAX_SOFT J11;END", "[PHASE3]0000: Unknown command(SET_TORQUE_MAX_SOFT)."},
    {"DEF_VAR 5;5 = 1;END", "[PHASE3]0000: Format error(FORMAL.TMP)."},
    {"SLEEP -1;END", "[PHASE3]0000: Domain Error."},
    {"SET_A_MAX F1 -0.5;END", "[PHASE3]0000: Domain Error."},
    {"SPECIAL 256;END", "[PHASE3]0000: Domain Error."},
    {"DEF_VAR V;AD_IN 1 3 V;END", "[PHASE3]0000: Domain Error."},
    {"DEF_VAR V;AD_IN 0 17 V;END", "[PHASE3]0000: Domain Error."},
    {"DEF_VAR V;AD_IN 0 1.5 V;END", "[PHASE3]0000: Domain Error."},
    {"PTP J11 1 2 3;END", "[PHASE3]0000: Target Error."},
    {"SET_OMEGA_MAX_SLOW F1;END", "[PHASE3]0000: Target Error."},
    {"DEF_POS P;TEACH_POSITION ALL P;END", "[PHASE3]0000: Target Error."},
    {"DEF_VAR V;AD_IN F1 V;END", "[PHASE3]0000: Target Error."},
    {"GOTO NOWHERE:;END", "[PHASE3]0000: ラベル(NOWHERE:)は存在しません."},
    {"GOTO;END", "[PHASE3]0000: ラベル(LOOP:)は存在しません."},
    {"DEF_VAR X;X = 1;IF X = 1 THEN;ENDIF;END", "[PHASE3]0001: 条件式書式エラー"},
    {"DEF_VAR X;X = 1;WHILE X == ;WEND;END", "[PHASE3]0001: 条件式書式エラー"},
    {"WHILE FLAG;WEND;END", "[PHASE3]0000: 条件式書式エラー"},
    {"DEF_VAR X;X = 1 2;END", "[PHASE3]0000: 数式書式エラー"},
    {"DEF_POS P, Q;Q.X = 1;P = -Q;END", "[PHASE3]0001: 数式書式エラー"},
    {"DEF_VAR X;X := 1;END", "[PHASE3]0000: 数式書式エラー"},
    {"DEF_VAR X;DEF_POS P;P.X = 1;X = P;END", "[PHASE3]0001: Format error(FORMAL.TMP)."},
    {"DEF_VAR X;DEF_POS P;P.X = 1;P = ROT_Z P P;END", "[PHASE3]0001: Format error(FORMAL.TMP)."},
    {"DEF_VAR X;X = 1;FOR -X = 1 TO 2;NEXT X;END", "[PHASE3]0001: 引数が正しくありません"},
    {"DEF_VAR X;X = 1;FOR 3 = 1 TO 2;NEXT X;END", "[PHASE3]0001: 引数が正しくありません"},
    {"DEF_VAR X;X = 1;FOR X = 1 TO 2;NEXT -X;END", "[PHASE3]0002: 引数が正しくありません"},
    {"WAIT_NEAR VR1;END", "[PHASE3]0000: 未定義のTARGETです"},
    {"SET_NEAR_ANGLE PAW1 1;END", "[PHASE3]0000: 未定義のTARGETです"},
    {"DEF_VAR ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567;END",
     "[PHASE1]0000: 変数名の長さが長過ぎます(<=32)"},
    {"DEF_VAR A;DEF_POS B;DEF_JNT A;END",
     "[PHASE2]0000: 同じ名前の変数が複数宣言されています(A)．"},
    {"DEF_VAR VAR_KEY;END", "[PHASE2]0000: 同じ名前の変数が複数宣言されています(VAR_KEY)．"},
    {"ELSE;END", "[PHASE4]0000: IF_THEN_ELSE_ENDIFの対応が正しくありません．"},
    {"ENDIF;END", "[PHASE4]0000: IF_THEN_ELSE_ENDIFの対応が正しくありません．"},
    {"IF KB_HIT THEN;ELSE;ELSE;ENDIF;END",
     "[PHASE4]0002: IF_THEN_ELSE_ENDIFの対応が正しくありません．"},
    {"IF KB_HIT THEN;ELSE;ELSEIF KB_HIT THEN;ENDIF;END",
     "[PHASE4]0002: IF_THEN_ELSE_ENDIFの対応が正しくありません．"},
    {"WHILE KB_HIT;IF KB_HIT THEN;WEND;ENDIF;END",
     "[PHASE4]0002: WHILE-WENDの対応が正しくありません．"},
    {"UNTIL KB_HIT;END", "[PHASE4]0000: REPEAT-UNTILの対応が正しくありません．"},
    {"DEF_VAR X;X = 1;NEXT X;END", "[PHASE4]0001: FOR-NEXTの対応が正しくありません．"},
    {"SUBROUTINE S:;SUBEND;END", "[PHASE4]0000: SUBROUTINEの開始位置が正しくありません．"},
    {"SUBEND;END", "[PHASE4]0000: SUBROUTINE-SUBENDの対応が正しくありません．"},
    {"EXIT;SUBROUTINE S:;SUBROUTINE T:;SUBEND;SUBEND;END",
     "[PHASE4]0002: SUBROUTINEの開始位置が正しくありません．"},
    {"GOTO S:;SUBROUTINE S:;SUBEND;END", "[PHASE3]0000: サブルーチンがGOTOで呼び出された(S:)．"},
    {"L:;CALL L:;END", "[PHASE3]0001: CALLしているラベルはSUBROUTINEではない(L:)"},
    {"REPEAT;END", "[PHASE4]0001: 制御構文が閉じていません(ENDIFなど)"},
    {"EXIT;SUBROUTINE S:;RETURN;END", "[PHASE4]0003: 制御構文が閉じていません(ENDIFなど)"},
};
INSTANTIATE_TEST_SUITE_P(Codes, CompilerError, testing::ValuesIn(kErrors), case_name);

TEST(CompilerErrorFiles, VersionLineIsCheckedToThreeDecimals) {
  EXPECT_TRUE(compile_source("3.1\nh\nEND\n").ok);
  EXPECT_TRUE(compile_source(" +3.1009 version\nh\nEND\n").ok);
  for (const char* source : {"3.101\nh\nEND\n", "3.0999\nh\nEND\n", "nan\nh\nEND\n", ""}) {
    CompileResult r = compile_source(source);
    EXPECT_EQ(r.report, "[RIX_INIT]0000: バージョン番号不一致(≠ 3.100)") << source;
  }
  EXPECT_EQ(compile_source("3.1\n").report, "[RIX_INIT]0000: Format error(FORMAL.TMP).");
}

TEST(CompilerErrorFiles, PathsThatAreTooLongOrMissingAreReported) {
  RixImage image;
  EXPECT_FALSE(rix_compile(image, std::string(500, 'd') + "\\", "T.RIX"));
  EXPECT_EQ(cp932_to_utf8(image.error_text),
            "[RIX_INIT]0000: ファイル名（フォルダ名含む）が長過ぎます");
  EXPECT_FALSE(rix_compile(image, "d\\", std::string(511, 'n')));
  EXPECT_EQ(image.error_code, 1);

  TempDir dir;
  std::filesystem::create_directory(dir.path / "DIR.RIX");
  EXPECT_FALSE(rix_compile(image, dir.rix_path(), "DIR.RIX"));
  EXPECT_EQ(image.error_code, 2);
  EXPECT_FALSE(rix_compile(image, dir.rix_path(), "NONE.RIX"));
  EXPECT_EQ(cp932_to_utf8(image.error_text),
            "[RIX_INIT]0000: RIXソースファイルが開けません(NONE.RIX)");
}

TEST(CompilerErrorFiles, ASourceNamedLikeAWorkFileIsRefusedNotOverwritten) {
  TempDir dir;
  dir.write("formal.tmp", "3.1\nh\nEND\n");
  RixImage image;
  EXPECT_FALSE(rix_compile(image, dir.rix_path(), "formal.tmp"));
  EXPECT_EQ(image.error_code, 2);
  EXPECT_EQ(dir.read("formal.tmp"), "3.1\nh\nEND\n");
}

// Each work file replaced by something that cannot be opened or written.
TEST(CompilerErrorFiles, WorkFilesThatCannotBeUsedAreReported) {
  namespace fs = std::filesystem;
  struct Case {
    const char* file;
    const char* report;
  };
  const Case cases[] = {
      {"WARNING.LOG", "[RIX_INIT]0000: 警告ログファイルが開けません(WARNING.LOG)"},
      {"FORMAL.TMP", "[PHASE1]0000: RIX中間言語ファイルが開けません(FORMAL.TMP)"},
      {"VARIABLE.TMP", "[PHASE1]0000: 変数テーブルファイルが開けません(VARIABLE.TMP)"},
      {"LABEL.TMP", "[PHASE2]0000: RIXラベル一覧ファイルが開けません(LABEL.TMP)"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    fs::create_directory(dir.path / c.file);
    EXPECT_EQ(compile_in(dir, "3.1\nh\nEND\n").report, c.report) << c.file;
  }
  if (fs::exists("/dev/full")) {
    TempDir dir;
    fs::create_symlink("/dev/full", dir.path / "FORMAL.TMP");
    EXPECT_EQ(compile_in(dir, "3.1\nh\nEND\n").report,
              "[PHASE1]0000: ファイル書き込み不可(FORMAL.TMP).");
  }
  if (fs::exists("/dev/null")) {
    TempDir dir;  // labels written into nothing cannot be read back
    fs::create_symlink("/dev/null", dir.path / "LABEL.TMP");
    EXPECT_EQ(compile_in(dir, "3.1\nh\nL:\nEND\n").report,
              "[PHASE2]0001: ラベル一覧ファイルが読めません(LABEL.TMP)");
  }
}

TEST(CompilerErrorFiles, HugeProgramsEndInAMemoryReport) {
  std::string statements = "3.1\nh\n";
  for (int i = 0; i <= 100000; ++i) statements += "REM\n";
  EXPECT_EQ(compile_source(statements + "END\n").report,
            "[PHASE1]100000: Not enough memory for user program.");

  std::string names = "3.1\nh\n";
  for (int i = 0; i <= 100000; ++i) names += format(i % 100 ? ",V%d" : "\nDEF_VAR V%d", i);
  EXPECT_EQ(compile_source(names + "\nEND\n").report,
            "[PHASE1]0000: Not enough memory for variable table.");
}

}  // namespace
}  // namespace rokan::test
