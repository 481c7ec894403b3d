#include "sim/run_expect.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "platform/text.h"

namespace rokan {
namespace {

std::string unescape_tabs(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 't') {
      out += '\t';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

bool parse_run_expectations(const std::string& source, RunExpectations& out, std::string& error) {
  out = RunExpectations{};
  std::string_view text = source;
  int number = 0;
  for (std::string_view raw; next_line(text, raw);) {
    ++number;
    std::string_view line = trim(raw);
    if (line.substr(0, 2) != "//") continue;
    line = trim(line.substr(2));
    if (line.substr(0, 7) != "expect:") continue;
    line = trim(line.substr(7));
    const std::size_t space = line.find_first_of(" \t");
    const std::string_view kind = line.substr(0, space);
    const std::string_view text =
        space == std::string_view::npos ? std::string_view{} : trim(line.substr(space));
    const std::string where = "line " + std::to_string(number) + ": ";
    if (kind == "exit") {
      const bool digits =
          !text.empty() && text.size() <= 3 &&
          std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (!digits || std::stoi(std::string(text)) > 255) {
        error =
            where + "'expect: exit' takes an exit status 0..255, not '" + std::string(text) + "'";
        return false;
      }
      if (out.exit >= 0) {
        error = where + "a second 'expect: exit'";
        return false;
      }
      out.exit = std::stoi(std::string(text));
    } else if (kind == "message" || kind == "emg") {
      if (text.empty()) {
        error = where + "'expect: " + std::string(kind) + "' needs a text";
        return false;
      }
      (kind == "message" ? out.messages : out.emg).push_back(unescape_tabs(text));
    } else {
      error = where + "unknown expectation '" + std::string(kind) +
              "' (expect: exit N, message TEXT or emg TEXT)";
      return false;
    }
  }
  return true;
}

std::string check_run_expectations(const RunExpectations& expect, const RunOutcome& run) {
  const int exit = expect.exit >= 0 ? expect.exit : expect.emg.empty() ? 0 : 1;
  if (run.status != exit) {
    // Without expectations the reason alone says what went wrong.
    if (exit == 0 && !run.reason.empty()) return run.reason;
    std::string why =
        "expected exit " + std::to_string(exit) + ", got exit " + std::to_string(run.status);
    return run.reason.empty() ? why : why + ": " + run.reason;
  }
  for (const std::string& text : expect.emg)
    if (run.reason.find(text) == std::string::npos)
      return "expected an EMG stop with '" + text + "', got: " + run.reason;
  auto from = run.output.begin();
  for (const std::string& text : expect.messages) {
    auto found = std::find(from, run.output.end(), text);
    if (found == run.output.end())
      return "expected the message '" + text + "'" +
             (from == run.output.begin() ? "" : " after the previous one") +
             ", which the program did not show";
    from = found + 1;
  }
  return "";
}

}  // namespace rokan
