// The JUnit writer: counts, the failure and error elements, and text that XML cannot hold as it
// stands (markup characters, the controller's bells, bytes that are not UTF-8).
#include "sim/junit.h"

#include <gtest/gtest.h>

namespace rokan::test {
namespace {

JunitSuite three_cases() {
  JunitSuite s{"rokan-sim", "2026-01-02T03:04:05", "ci-7", 1.5, {}};
  s.cases.push_back(
      {"A.RIX", "progs", "progs/A.RIX", 0.25, JunitCase::kPassed, "", "", "", "hi\n", ""});
  s.cases.push_back({"B.RIX", "progs", "progs/B.RIX", 0.5, JunitCase::kFailure,
                     "[RIX_RUN]0003: Domain Error.", "emg", "detail", "", "err\n"});
  s.cases.push_back(
      {"C.RIX", "progs", "progs/C.RIX", 0, JunitCase::kError, "died", "crash", "", "", ""});
  return s;
}

TEST(JunitXml, CountsFailuresAndErrorsApartOnBothLevels) {
  const std::string x = junit_xml(three_cases());
  EXPECT_NE(x.find("<testsuites name=\"rokan-sim\" tests=\"3\" failures=\"1\" errors=\"1\" "
                   "time=\"1.500\">"),
            std::string::npos)
      << x;
  EXPECT_NE(x.find("<testsuite name=\"rokan-sim\" tests=\"3\" failures=\"1\" errors=\"1\" "
                   "skipped=\"0\" time=\"1.500\" timestamp=\"2026-01-02T03:04:05\" "
                   "hostname=\"ci-7\">"),
            std::string::npos)
      << x;
}

TEST(JunitXml, EachCaseCarriesItsResultAndOnlyTheOutputItHas) {
  const std::string x = junit_xml(three_cases());
  const std::string expected =
      "    <testcase name=\"A.RIX\" classname=\"progs\" file=\"progs/A.RIX\" time=\"0.250\">\n"
      "      <system-out>hi\n</system-out>\n"
      "    </testcase>\n"
      "    <testcase name=\"B.RIX\" classname=\"progs\" file=\"progs/B.RIX\" time=\"0.500\">\n"
      "      <failure message=\"[RIX_RUN]0003: Domain Error.\" type=\"emg\">detail</failure>\n"
      "      <system-err>err\n</system-err>\n"
      "    </testcase>\n"
      "    <testcase name=\"C.RIX\" classname=\"progs\" file=\"progs/C.RIX\" time=\"0.000\">\n"
      "      <error message=\"died\" type=\"crash\"></error>\n"
      "    </testcase>\n";
  EXPECT_NE(x.find(expected), std::string::npos) << x;
  EXPECT_EQ(x.substr(x.size() - 29), "  </testsuite>\n</testsuites>\n");
}

TEST(JunitXml, EscapesMarkupAndDropsWhatXmlCannotHold) {
  JunitSuite s{"s", "2026-01-02T03:04:05", "h", 0, {}};
  JunitCase c;
  c.name = "a&b<c>.RIX";
  c.result = JunitCase::kFailure;
  c.message = "say \"x\"\nnext\tcol";
  c.detail = "\a\aEMG & <stop>";
  c.system_out = std::string("ok \xff end ") + "速度";
  s.cases.push_back(c);
  const std::string x = junit_xml(s);
  EXPECT_NE(x.find("name=\"a&amp;b&lt;c&gt;.RIX\""), std::string::npos) << x;
  // Line ends and tabs in attributes survive as references; XML would fold them to spaces.
  EXPECT_NE(x.find("message=\"say &quot;x&quot;&#10;next&#9;col\""), std::string::npos) << x;
  EXPECT_NE(x.find(">EMG &amp; &lt;stop&gt;</failure>"), std::string::npos) << x;
  EXPECT_NE(x.find("<system-out>ok \xEF\xBF\xBD end 速度</system-out>"), std::string::npos) << x;
  EXPECT_EQ(x.find('\a'), std::string::npos);
}

TEST(JunitXml, TruncatedMultiByteCharacterIsReplacedNotCopied) {
  JunitSuite s{"s", "t", "h", 0, {}};
  JunitCase c;
  c.system_out = "速度";
  c.system_out.pop_back();  // the last character loses its final byte
  s.cases.push_back(c);
  const std::string x = junit_xml(s);
  EXPECT_NE(x.find("<system-out>速\xEF\xBF\xBD\xEF\xBF\xBD</system-out>"), std::string::npos) << x;
}

}  // namespace
}  // namespace rokan::test
