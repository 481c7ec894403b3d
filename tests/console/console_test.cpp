#include "console/console.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

struct Console : ::testing::Test {
  test::Rig rig{std::string("console_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  void answer(const std::string& text) { rig.host.input_answers.push_back(text); }
};

// The dialog's text is read up to 127 bytes; what lies beyond is not seen by the caller.
TEST_F(Console, PromptedInputReadsAtMost127BytesOfTheDialog) {
  answer(std::string(127, '0') + "5");
  double value = -1;
  EXPECT_TRUE(input_number(c, value));
  EXPECT_EQ(value, 0.0) << "the 5 is the 128th byte";

  answer(std::string(126, '0') + "75");
  EXPECT_TRUE(input_number(c, value));
  EXPECT_EQ(value, 7.0);

  std::string text;
  answer(std::string(200, 'a'));
  EXPECT_TRUE(input_string(c, text, 300));
  EXPECT_EQ(text, std::string(127, 'a'));

  // A double-byte character across the limit is left out whole.
  const std::string kanji = SJ("漢");
  ASSERT_EQ(kanji.size(), 2u);
  answer(std::string(126, 'a') + kanji + "b");
  EXPECT_TRUE(input_string(c, text, 300));
  EXPECT_EQ(text, std::string(126, 'a'));

  answer(std::string(125, 'a') + kanji + "b");
  EXPECT_TRUE(input_string(c, text, 300));
  EXPECT_EQ(text, std::string(125, 'a') + kanji);

  // The caller's own maximum still applies within the 127 bytes.
  answer("abcdef");
  EXPECT_TRUE(input_string(c, text, 4));
  EXPECT_EQ(text, "abcd");
}

}  // namespace
}  // namespace rokan
