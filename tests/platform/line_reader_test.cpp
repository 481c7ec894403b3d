#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/text.h"

namespace rokan {
namespace {

using namespace std::string_literals;

// A temporary file holding exactly `bytes` (NUL bytes included), positioned at its start.
File file_of(const std::string& bytes) {
  File f(std::tmpfile());
  EXPECT_NE(f.get(), nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

struct Piece {
  std::string text;
  LineEnd end;
  std::string line_end;
  int line;
  bool operator==(const Piece&) const = default;
};

void PrintTo(const Piece& p, std::ostream* os) {
  *os << '{' << testing::PrintToString(p.text) << ", " << static_cast<int>(p.end) << ", "
      << testing::PrintToString(p.line_end) << ", line " << p.line << '}';
}

std::vector<Piece> pieces(const std::string& bytes, std::size_t max,
                          LineReader::Cut cut = LineReader::Cut::kAtAnyByte) {
  File f = file_of(bytes);
  LineReader reader(f, cut);
  std::vector<Piece> out;
  for (std::string s; reader.next(s, max);)
    out.push_back({s, reader.end(), std::string(reader.line_end()), reader.line()});
  return out;
}

constexpr LineEnd kNl = LineEnd::kNewline;
constexpr LineEnd kEof = LineEnd::kEndOfFile;
constexpr LineEnd kLong = LineEnd::kTooLong;

TEST(LineReader, WindowsAndUnixLineEndsAreStrippedAndReportedAsTheFileHasThem) {
  EXPECT_EQ(pieces("a\r\nb\n\r\nc\rd\n", 100), (std::vector<Piece>{{"a", kNl, "\r\n", 1},
                                                                   {"b", kNl, "\n", 2},
                                                                   {"", kNl, "\r\n", 3},
                                                                   {"c\rd", kNl, "\n", 4}}))
      << "a carriage return inside a line is text";
}

TEST(LineReader, ALastLineWithoutLineEndIsALineAndAnEmptyFileHasNone) {
  EXPECT_EQ(pieces("a\nlast", 100),
            (std::vector<Piece>{{"a", kNl, "\n", 1}, {"last", kEof, "", 2}}));
  EXPECT_EQ(pieces("last\r", 100), (std::vector<Piece>{{"last\r", kEof, "", 1}}))
      << "only \\r\\n is a line end";
  EXPECT_EQ(pieces("", 100), std::vector<Piece>{});
  EXPECT_EQ(pieces("\n", 100), (std::vector<Piece>{{"", kNl, "\n", 1}}));

  File f = file_of("x");
  LineReader reader(f);
  std::string s;
  ASSERT_TRUE(reader.next(s, 10));
  EXPECT_FALSE(reader.next(s, 10));
  EXPECT_FALSE(reader.next(s, 10)) << "the end of the file stays the end";
  EXPECT_EQ(reader.line(), 1);
}

TEST(LineReader, LongLinesComeInBoundedPiecesAndALineOfExactlyTheBoundIsOnePiece) {
  EXPECT_EQ(pieces("abcde\nfg\nhi\r\njk", 2), (std::vector<Piece>{{"ab", kLong, "", 1},
                                                                  {"cd", kLong, "", 1},
                                                                  {"e", kNl, "\n", 1},
                                                                  {"fg", kNl, "\n", 2},
                                                                  {"hi", kNl, "\r\n", 3},
                                                                  {"jk", kEof, "", 4}}));
  // A carriage return right after a full piece: the line end when "\n" follows, else text.
  EXPECT_EQ(pieces("ab\rc\n", 2),
            (std::vector<Piece>{{"ab", kLong, "", 1}, {"\rc", kNl, "\n", 1}}));
}

TEST(LineReader, SkippingTheRestOfALineIsBounded) {
  File f = file_of("abcdefgh\nij\nklm");
  LineReader reader(f);
  std::string s;
  ASSERT_TRUE(reader.next(s, 2));
  EXPECT_FALSE(reader.skip_rest(3)) << "cdefgh goes on past 3 bytes";
  EXPECT_TRUE(reader.skip_rest(10)) << "the rest, up to and with the line end";
  EXPECT_TRUE(reader.skip_rest(0)) << "at a line start there is nothing to skip";
  ASSERT_TRUE(reader.next(s, 10));
  EXPECT_EQ(s, "ij");
  EXPECT_EQ(reader.line(), 2);
  ASSERT_TRUE(reader.next(s, 1));
  EXPECT_TRUE(reader.skip_rest(10)) << "the end of the file ends the skip";
  EXPECT_FALSE(reader.next(s, 10));

  // A file that is one line without end: memory stays within the bound.
  File zero = File::open("/dev/zero", "r");
  ASSERT_NE(zero.get(), nullptr);
  LineReader endless(zero);
  ASSERT_TRUE(endless.next(s, 255));
  EXPECT_EQ(s, std::string(255, '\0'));
  EXPECT_EQ(endless.end(), kLong);
  EXPECT_FALSE(endless.skip_rest(100000));
}

TEST(LineReader, NulBytesAreOrdinaryText) {
  EXPECT_EQ(pieces("a\0b\n\0\r\n"s, 100),
            (std::vector<Piece>{{"a\0b"s, kNl, "\n", 1}, {"\0"s, kNl, "\r\n", 2}}));
}

TEST(LineReader, CutBetweenCharactersMovesASplitCharacterWholeIntoTheNextPiece) {
  const std::string so = SJ("ソ");  // 0x83 0x5C: its second byte is a backslash
  EXPECT_EQ(pieces("a" + so + "\n", 2, LineReader::Cut::kBetweenCharacters),
            (std::vector<Piece>{{"a", kLong, "", 1}, {so, kNl, "\n", 1}}));
  EXPECT_EQ(pieces("a" + so + "\n", 2),
            (std::vector<Piece>{{"a\x83", kLong, "", 1}, {"\x5C", kNl, "\n", 1}}))
      << "cut at any byte, as fgets() does";
}

std::vector<std::pair<std::string, LineEnd>> lines_of(std::string_view text) {
  std::vector<std::pair<std::string, LineEnd>> out;
  LineEnd end;
  for (std::string_view line; next_line(text, line, &end);) out.emplace_back(line, end);
  return out;
}

TEST(NextLine, TextInMemoryFollowsTheSameLineEnds) {
  using Lines = std::vector<std::pair<std::string, LineEnd>>;
  EXPECT_EQ(lines_of("a\r\nb\n\nc\r"), (Lines{{"a", kNl}, {"b", kNl}, {"", kNl}, {"c\r", kEof}}));
  EXPECT_EQ(lines_of(""), Lines{});
  EXPECT_EQ(lines_of("\n"), (Lines{{"", kNl}}));
  EXPECT_EQ(lines_of("\0\r\n"s), (Lines{{"\0"s, kNl}}));
}

TEST(Trim, RemovesBlanksAndTabsAtBothEndsOnly) {
  EXPECT_EQ(trim(" \t a b\t \t"), "a b");
  EXPECT_EQ(trim("   "), "");
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim("\ra\r"), "\ra\r") << "line ends are the reader's business";
  const std::string kanji = SJ("表");  // 0x95 0x5C
  EXPECT_EQ(trim(" " + kanji + " "), kanji);
}

}  // namespace
}  // namespace rokan
