// Two controllers alive in one process, each on its own workspace copy: every file one of them
// writes (the compiler's work files, the report log) lands in its own workspace and nowhere
// else, whatever order their cycles run in. Nothing depends on the process's working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/modes.h"
#include "scenarios/rix_session.h"
#include "support/file_contents.h"

namespace rokan::test {
namespace {

TEST(WorkspaceIsolation, TwoControllersInOneProcessWriteIntoTheirOwnWorkspaces) {
  RixSession a(current_test_name() + "_a");
  RixSession b(current_test_name() + "_b");
  ASSERT_NE(a.dir(), b.dir());

  // Their cycles interleaved step by step, as two tests running side by side would.
  ASSERT_NO_FATAL_FAILURE(a.enter_auto());
  ASSERT_NO_FATAL_FAILURE(b.enter_auto());
  a.write_program("3.1\nh\nDEF_VAR ALPHA, Z\nZ = 0\nALPHA = 1 / Z\nEND\n");
  b.write_program("3.1\nh\nDEF_VAR BETA\nBETA = 2\nMESSAGE fine\nEND\n");
  a.press_start();
  b.press_start();
  a.run("tick 5\n");
  b.run("tick 5\n");

  // The compiler's variable list of each program is in its own RIX directory.
  const std::string vars_a = slurp(a.dir() / "DEFAULT" / "rixs" / "VARIABLE.TMP");
  const std::string vars_b = slurp(b.dir() / "DEFAULT" / "rixs" / "VARIABLE.TMP");
  EXPECT_NE(vars_a.find("ALPHA"), std::string::npos) << vars_a;
  EXPECT_EQ(vars_a.find("BETA"), std::string::npos) << vars_a;
  EXPECT_NE(vars_b.find("BETA"), std::string::npos) << vars_b;
  EXPECT_EQ(vars_b.find("ALPHA"), std::string::npos) << vars_b;

  // Only A's program failed: its report is in A's emg.log alone.
  EXPECT_EQ(a.c.mode.mode, kEmg);
  EXPECT_NE(b.c.mode.mode, kEmg) << b.status_line();
  EXPECT_NE(a.emg_log().find("[RIX_RUN]"), std::string::npos) << a.emg_log();
  EXPECT_EQ(b.emg_log().find("[RIX_RUN]"), std::string::npos) << b.emg_log();
}

}  // namespace
}  // namespace rokan::test
