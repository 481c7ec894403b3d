// How source text is read: line ends, over-long lines read in pieces, and double-byte
// characters kept whole wherever a line is cut or split.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/lex.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

std::string message(const CompileResult& r, std::size_t i) {
  return i < r.image.messages.size() ? std::string(r.image.messages[i].data()) : "<none>";
}

TEST(SourceText, WindowsLineEndsAndALastLineWithoutLineEndAreLineEnds) {
  CompileResult r = compile_source("3.1\r\nheading\r\nMESSAGE a  b\r\nEND");
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(message(r, 0), "a\tb");
}

TEST(SourceText, LinesLongerThan1023BytesAreReadInPieces) {
  // The first piece ends after 1023 bytes, inside the blanks; the rest is a statement of its own.
  std::string line = "MESSAGE a" + std::string(1014, ' ') + "MESSAGE b";
  CompileResult r = compile_source("3.1\nheading\n" + line + "\nEND\n");
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(message(r, 0), "a");
  EXPECT_EQ(message(r, 1), "b");
  EXPECT_EQ(r.image.source_lines, (std::vector<int32_t>{3, 3, 4}));
}

TEST(SourceText, ACommentRunsToTheEndOfItsLineHoweverLong) {
  // The comment's text beyond the first 1023 bytes would be statements if read as a piece.
  const std::string tail = ";MESSAGE leaked;BOGUS";
  std::string line = "MESSAGE a // " + std::string(1100, 'c') + tail;
  CompileResult r = compile_source("3.1\nheading\n" + line + "\nMESSAGE b\nEND\n");
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(message(r, 0), "a");
  EXPECT_EQ(message(r, 1), "b");
  EXPECT_EQ(r.image.source_lines, (std::vector<int32_t>{3, 4, 5}));

  // "//" cut by the piece boundary: '/' is byte 1023, the second '/' starts the next piece.
  line = "MESSAGE a" + std::string(1013, ' ') + "//" + std::string(1100, 'c') + tail;
  r = compile_source("3.1\nheading\n" + line + "\nEND\n");
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(message(r, 0), "a");
  EXPECT_EQ(r.image.messages.size(), 1u);

  // A lone '/' at the boundary stays what it was: the first character of the next piece.
  line = "MESSAGE a" + std::string(1013, ' ') + "/x";
  r = compile_source("3.1\nheading\n" + line + "\nEND\n");
  EXPECT_EQ(r.report, "[PHASE3]0001: Unknown command(x).");
}

TEST(SourceText, APieceNeverEndsInsideADoubleByteCharacter) {
  // "ソ" (0x83 0x5C) would straddle bytes 1023 and 1024; it moves whole into the next piece,
  // which is then the label "ソ:" (split, it would be a stray byte and a "\:" label).
  std::string line = "REM" + std::string(1019, ' ') + "ソ:";
  CompileResult r = compile_source("3.1\nheading\n" + line + "\nGOTO ソ:\nEND\n");
  ASSERT_TRUE(r.ok) << r.report;
  ASSERT_EQ(r.image.labels.size(), 1u);
  EXPECT_EQ(cp932_to_utf8(r.image.labels[0].name), "ソ:");
  EXPECT_EQ(r.image.labels[0].index, 1);
}

TEST(SourceText, OverLongVersionAndHeadingLinesAreNotCompiled) {
  std::string heading(3000, 'X');
  EXPECT_TRUE(compile_source("3.1" + std::string(2000, ' ') + "Y\n" + heading + "\nEND\n").ok);
}

TEST(SourceText, AVersionOrHeadingLineThatNeverEndsFailsAfterABoundedRead) {
  TempDir dir;
  std::filesystem::create_symlink("/dev/zero", dir.path / "ZERO.RIX");
  RixImage zero;
  EXPECT_FALSE(rix_compile(zero, dir.rix_path(), "ZERO.RIX"));
  EXPECT_EQ(zero.error_code, 7);

  EXPECT_EQ(compile_bytes("3.1" + std::string(70000, ' ') + "\nheading\nEND\n").image.error_code,
            7);
  EXPECT_EQ(compile_bytes("3.1\n" + std::string(70000, 'X') + "\nEND\n").image.error_code, 11);

  // The front ends' excerpt of the failing line reads within bounds too.
  std::string line;
  EXPECT_TRUE(rix_read_source_line({}, dir.rix_path() + "ZERO.RIX", 1, line));
  std::string shown;
  for (int i = 0; i < 1023; ++i) shown += "\\0";  // its first piece, each NUL shown as \0
  EXPECT_EQ(line, shown);
  EXPECT_FALSE(rix_read_source_line({}, dir.rix_path() + "ZERO.RIX", 2, line));
}

TEST(SourceText, StrayBytesEndInAReportNotACrash) {
  // A NUL byte is shown as "\0" wherever a source token reaches the operator: the report
  // line (which AUTO also writes to emg.log), the warnings and the failing source line.
  CompileResult nul = compile_bytes(std::string("3.1\nheading\nREM a\0b\nA\0B\nEND\n", 28));
  EXPECT_EQ(nul.image.error_code, 22);
  EXPECT_EQ(nul.report, "[PHASE3]0001: Unknown command(A\\0B).");
  TempDir dir;
  dir.write("N.RIX", std::string("3.1\nheading\nREM a\0b\nA\0B\nEND\n", 28));
  std::string line;
  ASSERT_TRUE(rix_read_source_line({}, dir.rix_path() + "N.RIX", 4, line));
  EXPECT_EQ(line, "A\\0B");
  const char unused_source[] = "3.1\nheading\nDEF_VAR U\0V\nEND\n";
  CompileResult unused = compile_bytes(std::string(unused_source, sizeof unused_source - 1));
  ASSERT_TRUE(unused.ok) << unused.report;
  EXPECT_EQ(unused.warnings.find('\0'), std::string::npos);
  EXPECT_NE(unused.warnings.find("(U\\0V)"), std::string::npos) << unused.warnings;
  CompileResult lone_lead = compile_bytes("3.1\nheading\nMESSAGE abc\x81\nEND\n");
  ASSERT_TRUE(lone_lead.ok) << lone_lead.report;
  EXPECT_EQ(message(lone_lead, 0), "abc\x81");
}

TEST(Lexing, DoubleByteCharactersAreNeverSplitOrFolded) {
  // 0x5C and 0x7C second bytes, and a second byte that is a lower-case letter (ヂ = 0x83 0x61).
  std::string s = utf8_to_cp932("表 ソ|ポ;ヂ");
  EXPECT_EQ(find_semicolon(s), s.size() - 3);
  EXPECT_EQ(split_tokens(s).size(), 2u);
  EXPECT_EQ(fold_case(utf8_to_cp932("ヂa")), utf8_to_cp932("ヂA"));
  EXPECT_FALSE(label_names_equal(utf8_to_cp932("ア:"), utf8_to_cp932("ヂ:")));
  EXPECT_TRUE(label_names_equal("Loop:", "LOOP:"));
  // A lead byte takes the next byte whatever it is: no comment, no separator inside.
  EXPECT_EQ(find_comment(std::string("\x81/ /x//")), 5u);
  EXPECT_TRUE(ends_with_colon(utf8_to_cp932("表:")));
  EXPECT_FALSE(ends_with_colon(std::string("A\x81:")));
}

}  // namespace
}  // namespace rokan::test
