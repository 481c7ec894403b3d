// Content-Length framing: whole bodies out of bytes that come in any pieces, and bad headers
// dropped without losing the messages after them.
#include "dap/framing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rokan {
namespace {

std::vector<DapFrame> all_frames(DapReader& r) {
  std::vector<DapFrame> out;
  for (DapFrame f = r.next(); f.kind != DapFrame::kNone; f = r.next()) out.push_back(f);
  return out;
}

TEST(DapFraming, BodiesComeOutWholeWhateverTheBytesArriveIn) {
  const std::string body1 = R"({"seq":1,"type":"request","command":"initialize"})";
  const std::string body2 = "{\"text\":\"\xE3\x83\x87\"}";  // multibyte: the length counts bytes
  const std::string stream = dap_frame(body1) + dap_frame(body2);
  // Byte by byte.
  DapReader slow;
  std::vector<std::string> got;
  for (char ch : stream) {
    slow.feed(std::string_view(&ch, 1));
    for (const DapFrame& f : all_frames(slow)) {
      ASSERT_EQ(f.kind, DapFrame::kBody);
      got.push_back(f.text);
    }
  }
  EXPECT_EQ(got, (std::vector<std::string>{body1, body2}));
  EXPECT_EQ(slow.pending(), 0u);
  // All at once.
  DapReader fast;
  fast.feed(stream);
  std::vector<DapFrame> frames = all_frames(fast);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].text, body2);
}

TEST(DapFraming, HeaderNamesIgnoreCaseAndOtherHeadersAreSkipped) {
  DapReader r;
  r.feed("content-type: application/json\r\nCONTENT-LENGTH:  2 \r\n\r\n{}");
  std::vector<DapFrame> f = all_frames(r);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].kind, DapFrame::kBody);
  EXPECT_EQ(f[0].text, "{}");
}

TEST(DapFraming, BadHeadersAreDroppedWithAReasonAndReadingGoesOn) {
  struct Case {
    std::string header;
    std::string reason;
  };
  const Case cases[] = {
      {"Content-Type: x\r\n\r\n", "without Content-Length"},
      {"Content-Length: twelve\r\n\r\n", "not a byte count"},
      {"Content-Length: -3\r\n\r\n", "not a byte count"},
      {"Content-Length: 99999999999\r\n\r\n", "not a byte count"},
      {"Content-Length: 999999999\r\n\r\n", "larger than"},
      {"garbage\r\n\r\n", "without a colon"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    DapReader r;
    r.feed(c.header + dap_frame("{}"));
    std::vector<DapFrame> f = all_frames(r);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].kind, DapFrame::kBadHeader);
    EXPECT_NE(f[0].text.find(c.reason), std::string::npos) << f[0].text;
    EXPECT_EQ(f[1].kind, DapFrame::kBody);
    EXPECT_EQ(f[1].text, "{}");
  }
}

TEST(DapFraming, AHeaderThatNeverEndsIsDroppedInsteadOfGrowingForever) {
  DapReader r;
  r.feed(std::string(kDapMaxHeader + 1, 'x'));
  std::vector<DapFrame> f = all_frames(r);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].kind, DapFrame::kBadHeader);
  EXPECT_EQ(r.pending(), 0u);
  r.feed(dap_frame("[]"));
  f = all_frames(r);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].text, "[]");
}

TEST(DapFraming, AnIncompleteBodyWaitsForTheRest) {
  DapReader r;
  r.feed("Content-Length: 9\r\n\r\n{\"a\":");
  EXPECT_TRUE(all_frames(r).empty());
  r.feed("123}");
  std::vector<DapFrame> f = all_frames(r);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].text, "{\"a\":123}");
}

}  // namespace
}  // namespace rokan
