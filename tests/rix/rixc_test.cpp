// The rixc command: exit codes, the report line and the editor line on error, warnings and the
// dump on success, all as UTF-8 on the terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/text.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

struct RixcRun {
  int status = -1;
  std::string out;  // stdout and stderr together
};

RixcRun rixc(const std::string& args) {
  RixcRun r;
  std::string command = std::string(ROKAN_BIN_DIR) + "/rixc " + args + " 2>&1";
  std::FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(Rixc, AnErrorPrintsTheReportAndTheFailingSourceLine) {
  TempDir dir;
  dir.write("BAD.RIX",
            utf8_to_cp932("3.1\n見出し\nREM ok; REM\n\nMESSAGE 前進; PTP F7 0 0 0\nEND\n"));
  std::string file = (dir.path / "BAD.RIX").string();
  RixcRun r = rixc(file);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "[PHASE3]0003: Target Error.\n" + file +
                       ":5: error: Target Error.\n"
                       "    5 | MESSAGE 前進; PTP F7 0 0 0\n");
}

TEST(Rixc, SuccessPrintsTheWarningsAndWithDumpTheCompiledProgram) {
  TempDir dir;
  dir.write("OK.RIX", "3.1\nh\nDEF_VAR UNUSED\nEND\n");
  RixcRun r = rixc((dir.path / "OK.RIX").string());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "汎用型変数(UNUSED)は宣言(DEF_VAR)されているが使用されていない．\n");
  EXPECT_EQ(dir.read("FORMAL.TMP"), "END\n");
  ASSERT_FALSE(dir.read("rix.obj").empty());

  // The warnings first, then the dump.
  RixcRun dump = rixc("--dump " + (dir.path / "OK.RIX").string());
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(dump.out, r.out + dir.read("rix.obj"));
}

TEST(Rixc, WrongArgumentsAndMissingFilesAreReported) {
  EXPECT_EQ(rixc("").status, 2);
  EXPECT_EQ(rixc("--verbose X.RIX").status, 2);
  EXPECT_EQ(rixc("A.RIX B.RIX").status, 2);
  TempDir dir;
  RixcRun missing = rixc((dir.path / "NONE.RIX").string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("RIXソースファイルが開けません(NONE.RIX)"), std::string::npos);
  EXPECT_NE(missing.out.find("NONE.RIX: error: "), std::string::npos);
}

}  // namespace
}  // namespace rokan::test
