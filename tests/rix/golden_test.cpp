// A program that uses every construct compiles to a rix.obj that matches, line by line, the
// reviewed dump in tests/rix/golden/.
#include <gtest/gtest.h>

#include <sstream>

#include "rix/compiler/compiler.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(GoldenDump, EveryConstructCompilesToTheReviewedDump) {
  const std::filesystem::path golden = std::filesystem::path(ROKAN_SOURCE_DIR) / "tests/rix/golden";
  TempDir dir;
  CompileResult r = compile_in(dir, read_file(golden / "every_construct.rix"));
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(r.image.warning_code, 0) << r.warnings;

  std::vector<std::string> got = lines_of(dir.read("rix.obj"));
  std::vector<std::string> want = lines_of(read_file(golden / "every_construct.obj"));
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(got[i], want[i]) << "rix.obj line " << i + 1;
  }
  // The dump is the file the compiler wrote, and the same text the image gives.
  EXPECT_EQ(dir.read("rix.obj"), rix_dump_text(r.image));
}

TEST(GoldenDump, WorkFilesCarryStatementsVariablesAndLabels) {
  TempDir dir;
  CompileResult r = compile_in(dir,
                               "3.1\nh\nDEF_VAR A; DEF_POS B, C\nDEF_JNT D\n"
                               "  START: ;MESSAGE  x   y // c\nGOTO start:\n"
                               "EXIT;SUBROUTINE S1:;A = 1;B = C;D.J1 = A;C.X = 1;SUBEND\nEND\n");
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(r.image.phase, rix::PHASE4);
  EXPECT_EQ(dir.read("FORMAL.TMP"),
            "START:\nMESSAGE\tx\ty\nGOTO start:\nEXIT\nSUBROUTINE S1:\nA = 1\nB = C\n"
            "D.J1 = A\nC.X = 1\nSUBEND\nEND\n");
  EXPECT_EQ(dir.read("VARIABLE.TMP"), "V VAR_KEY\nV A\nP B\nP C\nJ D\n");
  EXPECT_EQ(dir.read("LABEL.TMP"), "L\tSTART:\t0\nS\tS1:\t4\n");
  // A statement index stored as an argument reads back as the whole number.
  EXPECT_EQ(r.image.instructions[2].arg_value[0], 0.0);
  EXPECT_EQ(r.image.labels[1].kind, 'S');
}

}  // namespace
}  // namespace rokan::test
