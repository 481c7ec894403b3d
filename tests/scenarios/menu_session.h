// A whole session through the scripted host, for the menu scenarios: a fresh copy of the bundled
// workspace, a script of keys, ticks and dialog answers, and every `dump screen` / `dump strip`
// kept as UTF-8 lines for exact comparison.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/controller.h"
#include "platform/text.h"
#include "sim/script.h"
#include "sim/scripted_host.h"

namespace rokan::test {

// Start-up (login left with Q), EMG by CR, then <TOP> opened with O and waiting for a key.
inline constexpr const char* kToTop =
    "tick 1\nkey Q\nkey SPACE\ntick 1\nkey CR\ntick 1\nkey O\ntick 1\n";

struct MenuSession {
  std::filesystem::path dir;
  std::filesystem::path old_cwd = std::filesystem::current_path();
  ScriptedHost host;
  Controller c{host};
  std::vector<std::vector<std::string>> screens;  // lines 1..25 of each screen dump
  std::vector<std::vector<std::string>> strips;   // mode, status and prompt line of each dump
  std::function<void()> probe;  // called at every dump, to look at the controller mid-script

  explicit MenuSession(const std::string& name) {
    dir = std::filesystem::temp_directory_path() / ("rokan_menu_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::copy(std::filesystem::path(ROKAN_SOURCE_DIR) / "workspace", dir,
                          std::filesystem::copy_options::recursive);
    std::filesystem::current_path(dir);
    host.attach(c);
    host.set_dump_handler([this](DumpKind kind) {
      if (probe) probe();
      std::vector<std::string> lines;
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
  ~MenuSession() {
    if (c.console.emg_log) std::fclose(c.console.emg_log);
    std::filesystem::current_path(old_cwd);
    std::filesystem::remove_all(dir);
  }

  // Runs a script (UTF-8) to its end.
  void run(const std::string& script) {
    host.append(parse_script(script));
    host.run();
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
