// rokan-sim: the controller without a display. It runs in the workspace directory given by
// --workspace (where user.ini and emg\ are). In script mode it takes its events from a script
// file or from standard input; dumps go to standard output as JSON lines and the controller's own
// messages stay on standard error. In batch mode (--auto N, or --run FILE.RIX) it runs one AUTO
// program unattended (src/sim/batch.h).
//
// Exit status of script mode: 0 when the script ran to its end (also after quitting through the
// quit confirmation); 2 for a usage error, a script error, or a script that ends while the
// program waits for a key or an answer; otherwise the status the program itself ended with.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/controller.h"
#include "debug/debugger.h"
#include "platform/text.h"
#include "sim/batch.h"
#include "sim/debug_json.h"
#include "sim/script.h"
#include "sim/script_debug.h"
#include "sim/scripted_host.h"
#include "sim/sim_json.h"

namespace {

constexpr int kUsageOrScriptError = 2;

int usage(const char* message) {
  std::fprintf(stderr, "rokan-sim: %s\n%s", message, rokan::rokan_sim_usage());
  return kUsageOrScriptError;
}

}  // namespace

int main(int argc, char** argv) {
  if (rokan::is_batch_command(argc, argv)) return rokan::batch_main(argc, argv, stdout, stderr);
  const char* workspace = nullptr;
  const char* script_file = nullptr;
  for (int i = 1; i < argc; ++i) {
    bool has_value = i + 1 < argc;
    if (std::strcmp(argv[i], "--workspace") == 0 && has_value) {
      workspace = argv[++i];
    } else if (std::strcmp(argv[i], "--script") == 0 && has_value) {
      script_file = argv[++i];
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(rokan::rokan_sim_usage(), stdout);
      return 0;
    } else {
      return usage((std::string("unexpected argument '") + argv[i] + "'").c_str());
    }
  }
  if (!workspace) return usage("--workspace DIR is required");

  // The script is read whole (relative to the directory rokan-sim was started in) and checked
  // before anything runs.
  std::string text;
  if (script_file) {
    std::ifstream in(script_file, std::ios::binary);
    if (!in) return usage((std::string("cannot read the script '") + script_file + "'").c_str());
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  const char* script_name = script_file ? script_file : "<stdin>";

  rokan::ScriptedHost host;
  bool debugging = false;
  try {
    std::vector<rokan::ScriptEvent> events = rokan::parse_script(text);
    debugging = rokan::script_uses_debugger(events);
    host.append(events);
  } catch (const rokan::ScriptError& e) {
    std::fprintf(stderr, "rokan-sim: %s: %s\n", script_name, e.what());
    return kUsageOrScriptError;
  }
  if (chdir(workspace) != 0)
    return usage((std::string("cannot enter the workspace '") + workspace + "'").c_str());

  rokan::Controller controller(host);
  host.attach(controller);
  host.set_dump_handler([&controller](rokan::DumpKind kind) {
    std::string line = rokan::sim_json_line(controller, kind);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  });

  // The RIX debugger is attached only for scripts that use it.
  rokan::RixDebugger debugger;
  rokan::ScriptDebug script_debug{controller, debugger, {}, stderr};
  if (debugging) {
    rokan::rix_debug_attach(debugger, controller);
    debugger.on_output = [](rokan::RixDebugOutput kind, std::string_view cp932) {
      const std::string text = rokan::cp932_to_utf8(cp932);
      std::fprintf(stderr, "%s%s\n", kind == rokan::RixDebugOutput::kNote ? "rokan-sim: " : "",
                   text.c_str());
    };
    script_debug.dump_rix = [&]() {
      std::string line = rokan::rix_debug_json_line(debugger, controller);
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
    };
    host.set_debug_handler([&](const rokan::ScriptEvent& e) { script_debug.run(e); });
  }

  try {
    host.run();
  } catch (const rokan::ScriptError& e) {
    std::fprintf(stderr, "rokan-sim: %s: %s\n", script_name, e.what());
    return kUsageOrScriptError;
  } catch (const rokan::ScriptExhausted& e) {
    std::fprintf(stderr, "rokan-sim: %s: %s\n", script_name, e.what());
    return kUsageOrScriptError;
  } catch (const rokan::ProcessExit& e) {
    std::fflush(stdout);
    return e.code;
  }
  std::fflush(stdout);
  return 0;
}
