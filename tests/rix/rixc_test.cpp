// The rixc command: exit codes, the report line and the editor line on error, warnings and the
// dump on success, all as UTF-8 on the terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
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

// The dump is the compile's last write: a failed one fails the compile with the severe error
// and tells which file failed and why, whether the name is taken (here by a directory) or the
// disk is full (/dev/full takes the writes; the failure shows at the flush). Both happen to the
// root user too.
TEST(Rixc, ADumpThatCannotBeWrittenFailsTheCompileWithTheFileAndTheReason) {
  TempDir taken;
  taken.write("OK.RIX", "3.1\nh\nEND\n");
  std::filesystem::create_directory(taken.path / "rix.obj");
  RixcRun r = rixc((taken.path / "OK.RIX").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "[PHASE4]0000: 深刻なエラーです(要debug) (rix.obj: Is a directory)");

  TempDir full;
  full.write("OK.RIX", "3.1\nh\nEND\n");
  std::filesystem::create_symlink("/dev/full", full.path / "rix.obj");
  r = rixc((full.path / "OK.RIX").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "[PHASE4]0000: 深刻なエラーです(要debug) (rix.obj: No space left on device)");
  EXPECT_NE(r.out.find(": error: 深刻なエラーです(要debug) (rix.obj: No space left on device)"),
            std::string::npos)
      << r.out;
}

// The warnings reach the disk as WARNING.LOG closes, after the dump: warnings that cannot be
// written fail the compile instead of vanishing.
TEST(Rixc, WarningsThatCannotBeWrittenFailTheCompileWithTheReason) {
  TempDir full;
  full.write("W.RIX", "3.1\nh\nDEF_VAR UNUSED\nEND\n");
  std::filesystem::create_symlink("/dev/full", full.path / "WARNING.LOG");
  RixcRun r = rixc((full.path / "W.RIX").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "[PHASE4]0000: 警告ログファイルが開けません(WARNING.LOG) No space left on device");
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
