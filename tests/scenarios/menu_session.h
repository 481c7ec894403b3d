// A whole session through the scripted host, for the menu scenarios: every `dump screen` /
// `dump strip` is kept as UTF-8 lines for exact comparison.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "scenarios/rix_session.h"

namespace rokan::test {

using Lines = std::vector<std::string>;

// Start-up (login left with Q), EMG by CR, then <TOP> opened with O and waiting for a key.
inline constexpr const char* kToTop =
    "tick 1\nkey Q\nkey SPACE\ntick 1\nkey CR\ntick 1\nkey O\ntick 1\n";

// A menu screen: a blank line, the title, a blank line, the items and the Quit footer.
inline Lines menu_screen(const std::string& title, std::initializer_list<std::string> items) {
  Lines lines = {"", title, ""};
  lines.insert(lines.end(), items);
  for (const char* l : {"", "Q : Quit", "", "Input -> "}) lines.push_back(l);
  return lines;
}

struct MenuSession : ScriptedSession {
  const std::filesystem::path dir = ScriptedSession::dir();  // the workspace copy
  std::vector<Lines> screens;                                // lines 1..25 of each screen dump
  std::vector<Lines> strips;    // mode, status and prompt line of each dump
  std::function<void()> probe;  // called at every dump, to look at the controller mid-script

  explicit MenuSession(const std::string& name = current_test_name()) : ScriptedSession(name) {
    host.set_dump_handler([this](DumpKind kind) {
      if (probe) probe();
      Lines lines;
      if (kind == DumpKind::kScreen) {
        for (int i = 1; i <= kTextLines; ++i) lines.push_back(cp932_to_utf8(c.console.screen[i]));
        // Trailing empty lines are left out so that expectations list only what shows.
        while (!lines.empty() && lines.back().empty()) lines.pop_back();
        screens.push_back(lines);
      } else if (kind == DumpKind::kStrip) {
        for (const std::string& l : c.console.lines) lines.push_back(cp932_to_utf8(l));
        strips.push_back(lines);
      }
    });
  }

  // Writes a file of the workspace; `text` is UTF-8 and stored as CP932.
  void write(const std::filesystem::path& rel, const std::string& text) {
    std::filesystem::create_directories((dir / rel).parent_path());
    std::ofstream(dir / rel, std::ios::binary) << utf8_to_cp932(text);
  }
  std::string read(const std::filesystem::path& rel) const {
    std::ifstream in(dir / rel, std::ios::binary);
    return cp932_to_utf8(std::string(std::istreambuf_iterator<char>(in), {}));
  }
};

}  // namespace rokan::test
