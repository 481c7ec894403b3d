// A whole controller session driven by the scripted host (the host of rokan-sim), in a fresh copy
// of the bundled workspace. Scripts can be run in pieces, so a test can look at the controller
// (or change the simulated robot) between them; dumps are collected as parsed JSON.
#pragma once

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/controller.h"
#include "platform/text.h"
#include "sim/script.h"
#include "sim/scripted_host.h"
#include "sim/sim_json.h"
#include "support/workspace_copy.h"

namespace rokan::test {

// The first tick runs start-up: the login screen is left with Q, then start-up waits for one key
// before MANUAL mode begins.
inline constexpr std::string_view kStartScript = "tick 1\nkey Q\nkey x\n";

class ScriptedSession {
 public:
  explicit ScriptedSession(const std::string& name)
      : dir_(fresh_workspace("rokan_session_" + name)), c(host, dir_.string()) {
    host.attach(c);
    host.set_dump_handler(
        [this](DumpKind kind) { dumps.push_back(nlohmann::json::parse(sim_json_line(c, kind))); });
  }
  ~ScriptedSession() { std::filesystem::remove_all(dir_); }
  ScriptedSession(const ScriptedSession&) = delete;
  ScriptedSession& operator=(const ScriptedSession&) = delete;

  void run(std::string_view script) {
    host.append(parse_script(script));
    host.run();
  }
  void start() { run(kStartScript); }

  // The report log as UTF-8, without its session header line.
  std::string emg_log() const {
    std::ifstream in(dir_ / "emg" / "emg.log", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = cp932_to_utf8(ss.str());
    std::size_t nl = text.find('\n');
    return nl == std::string::npos ? std::string() : text.substr(nl + 1);
  }
  std::string status_line() const { return cp932_to_utf8(c.console.lines[1]); }

  // The workspace copy the session works in.
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;

 public:
  ScriptedHost host;
  Controller c;
  std::vector<nlohmann::json> dumps;
};

}  // namespace rokan::test
