#include "sim/junit.h"

#include <cstdio>

namespace rokan {
namespace {

// Length of the valid UTF-8 sequence at s[i], 0 when there is none.
std::size_t utf8_length(const std::string& s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  std::size_t n = b < 0x80           ? 1
                  : (b >> 5) == 0x6  ? 2
                  : (b >> 4) == 0xE  ? 3
                  : (b >> 3) == 0x1E ? 4
                                     : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  if (n == 2 && b < 0xC2) return 0;  // overlong
  return n;
}

// Text as XML character data; in attributes, line ends and tabs are kept as references.
std::string escape(const std::string& s, bool attribute) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = utf8_length(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
      ++i;
      continue;
    }
    if (n > 1) {
      out.append(s, i, n);
      i += n;
      continue;
    }
    ++i;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += attribute ? "&quot;" : "\"";
        break;
      case '\n':
        out += attribute ? "&#10;" : "\n";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\t':
        out += attribute ? "&#9;" : "\t";
        break;
      default:
        if (c >= 0x20 && c != 0x7F) out += static_cast<char>(c);  // other controls are dropped
    }
  }
  return out;
}

std::string seconds_text(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", s < 0 ? 0.0 : s);
  return buf;
}

std::string attr(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + escape(value, true) + "\"";
}

}  // namespace

std::string junit_xml(const JunitSuite& suite) {
  int failures = 0, errors = 0;
  for (const JunitCase& c : suite.cases) {
    failures += c.result == JunitCase::kFailure;
    errors += c.result == JunitCase::kError;
  }
  const std::string counts = attr("tests", std::to_string(suite.cases.size())) +
                             attr("failures", std::to_string(failures)) +
                             attr("errors", std::to_string(errors));
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  x += "<testsuites" + attr("name", suite.name) + counts +
       attr("time", seconds_text(suite.seconds)) + ">\n";
  x += "  <testsuite" + attr("name", suite.name) + counts + attr("skipped", "0") +
       attr("time", seconds_text(suite.seconds)) + attr("timestamp", suite.timestamp) +
       attr("hostname", suite.hostname) + ">\n";
  for (const JunitCase& c : suite.cases) {
    x += "    <testcase" + attr("name", c.name) + attr("classname", c.classname) +
         attr("file", c.file) + attr("time", seconds_text(c.seconds)) + ">\n";
    if (c.result != JunitCase::kPassed) {
      const char* element = c.result == JunitCase::kFailure ? "failure" : "error";
      x += std::string("      <") + element + attr("message", c.message) + attr("type", c.type) +
           ">" + escape(c.detail, false) + "</" + element + ">\n";
    }
    if (!c.system_out.empty())
      x += "      <system-out>" + escape(c.system_out, false) + "</system-out>\n";
    if (!c.system_err.empty())
      x += "      <system-err>" + escape(c.system_err, false) + "</system-err>\n";
    x += "    </testcase>\n";
  }
  x += "  </testsuite>\n</testsuites>\n";
  return x;
}

}  // namespace rokan
