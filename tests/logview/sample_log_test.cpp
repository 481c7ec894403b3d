#include "logview/sample_log.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace rokan::test {
namespace {

// A log as the logger writes it: two note lines, the header, rows ending in a line feed.
std::string log_text(const std::string& rows) {
  return utf8_to_cp932("サンプリングオーバータイムが発生した形跡があります．\n\n") +
         utf8_to_cp932("No.\t時間\tθ11\tF1_x\n") + rows;
}

TEST(SampleLog, ReadsNotesHeaderAndRows) {
  const SampleLog log =
      parse_sample_log(log_text("0\t0.000000\t180.000000\t-101.5\n1\t0.010000\t179.5\t-100\n"
                                "2\t0.020000\t179.000000\t-98.25\n"));
  ASSERT_EQ(log.error, "");
  ASSERT_EQ(log.notes.size(), 2u);
  EXPECT_EQ(cp932_to_utf8(log.notes[0]), "サンプリングオーバータイムが発生した形跡があります．");
  ASSERT_EQ(log.columns.size(), 4u);
  EXPECT_EQ(cp932_to_utf8(log.columns[2]), "θ11");
  EXPECT_EQ(log.time_column, 1);
  ASSERT_EQ(log.rows, 3u);
  EXPECT_DOUBLE_EQ(log.at(2, 3), -98.25);
  EXPECT_TRUE(log.skipped.empty());
}

TEST(SampleLog, FindsTheRowAtATime) {
  const SampleLog log = parse_sample_log(log_text("0\t0.0\t1\t1\n1\t0.01\t2\t2\n2\t0.02\t3\t3\n"));
  EXPECT_EQ(row_at_time(log, -5), 0);
  EXPECT_EQ(row_at_time(log, 0.015), 1);
  EXPECT_EQ(row_at_time(log, 0.02), 2);
  EXPECT_EQ(row_at_time(log, 99), 2);
  EXPECT_EQ(row_at_time(parse_sample_log(log_text("")), 0), -1);
}

TEST(SampleLog, SkipsDamagedRowsAndKeepsTheRest) {
  // Lines 4..9: good, short, non-number, good (CRLF), blank, truncated.
  const SampleLog log = parse_sample_log(
      log_text("0\t0.0\t1\t1\n1\t0.01\t2\n2\t0.02\tabc\t3\n3\t0.03\t4\t4\r\n\n4\t0.04\t5\t5."));
  ASSERT_EQ(log.error, "");
  ASSERT_EQ(log.rows, 2u);
  EXPECT_DOUBLE_EQ(log.at(1, 3), 4);
  ASSERT_EQ(log.skipped.size(), 3u);
  EXPECT_EQ(log.skipped[0].line, 5);
  EXPECT_EQ(log.skipped[0].reason, "has 3 fields, the header has 4");
  EXPECT_EQ(log.skipped[1].line, 6);
  EXPECT_EQ(log.skipped[1].reason, "field 3 (θ11) is not a number");
  EXPECT_EQ(log.skipped[2].line, 9);
  EXPECT_NE(log.skipped[2].reason.find("truncated"), std::string::npos);
  EXPECT_EQ(skipped_summary(log, 2),
            "3 lines skipped: line 5 (has 3 fields, the header has 4); line 6 (field 3 (θ11) is "
            "not a number); and 1 more");
}

TEST(SampleLog, RefusesFilesThatAreNotSamplingLogs) {
  const std::string utf16("\xFF\xFEN\0o\0", 6);
  const std::string binary(
      "\x7F"
      "ELF\x02\x01\x01\0\0\0",
      10);
  const std::string utf8_log = "\n\nNo.\t時間\tF1_x\n0\t0\t1\n";  // right layout, wrong encoding
  for (const std::string& bytes :
       {std::string(), utf16, binary, utf8_log, std::string("just some text\nwithout tabs\n")}) {
    const SampleLog log = parse_sample_log(bytes);
    EXPECT_NE(log.error, "") << bytes;
    EXPECT_EQ(log.rows, 0u);
  }
  EXPECT_EQ(parse_sample_log("").error, "The file is empty.");
  EXPECT_NE(parse_sample_log(utf8_log).error.find("UTF-8"), std::string::npos);
  EXPECT_NE(load_sample_log("/nonexistent/RKN0000.LOG").error, "");
}

TEST(SampleLog, ExportsChosenColumnsAsUtf8Csv) {
  SampleLog log = parse_sample_log(log_text("0\t0.0\t180.5\t-1\n1\t0.01\t1e-3\t2\n"));
  log.columns[3] = "F1,x";  // a name with a comma is quoted
  EXPECT_EQ(sample_log_csv(log, {1, 2, 3}), "時間,θ11,\"F1,x\"\n0,180.5,-1\n0.01,0.001,2\n");
}

}  // namespace
}  // namespace rokan::test
