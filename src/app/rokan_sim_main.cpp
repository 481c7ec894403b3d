// rokan-sim: the controller without a display. Its files are named inside the workspace
// directory given by --workspace (where user.ini and emg\ are); the working directory is never
// changed. In script mode it takes its events from a script
// file or from standard input; dumps go to standard output as JSON lines and the controller's own
// messages stay on standard error. In batch mode (--auto N, or --run FILE.RIX) it runs one AUTO
// program unattended (src/sim/batch.h). With --dap it is a Debug Adapter Protocol server on
// standard input and output for one debugging session of a RIX program (src/dap/server.h).
//
// Exit status of script mode: 0 when the script ran to its end (also after quitting through the
// quit confirmation); 1 when the controller ended itself (the reason on standard error); 2 for a
// usage error, a script error, or a script that ends while the program waits for a key or an
// answer; 128 + signal when SIGINT, SIGTERM or SIGHUP stopped the run; 4 (over all of these) when
// the pending sampling data could not be written at the end; otherwise the status the program
// itself ended with. However the run ends, the end routine runs, so pending sampling data are
// written.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/controller.h"
#include "dap/server.h"
#include "debug/debugger.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/text.h"
#include "sim/batch.h"
#include "sim/debug_json.h"
#include "sim/script.h"
#include "sim/script_debug.h"
#include "sim/scripted_host.h"
#include "sim/sim_json.h"

namespace {

constexpr int kUsageOrScriptError = 2;
constexpr int kProgramEndedItself = 1;

int usage(const char* message) {
  std::fprintf(stderr, "rokan-sim: %s\n%s", message, rokan::rokan_sim_usage());
  return kUsageOrScriptError;
}

// The controller ran its end routine without being asked to quit: say why, and where in the
// script, instead of dropping the rest of the script in silence.
int ended_by_itself(const char* script_name, const rokan::ScriptedHost& host,
                    const rokan::Controller& c) {
  std::string text = rokan::cp932_to_utf8(c.cycle.stop_reason);
  if (text.empty()) text = "no reason given";
  std::fprintf(stderr, "rokan-sim: %s: the program ended itself at line %d: %s\n", script_name,
               host.last_line(), text.c_str());
  if (host.has_events())
    std::fprintf(stderr, "rokan-sim: %s: the rest of the script was not run\n", script_name);
  return kProgramEndedItself;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--dap") == 0) return rokan::dap_main(argv[0]);
  if (rokan::is_batch_command(argc, argv)) {
    rokan::install_stop_signals();
    return rokan::batch_main(argc, argv, stdout, stderr);
  }
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
  if (!rokan::is_searchable_directory(workspace))
    return usage((std::string("cannot enter the workspace '") + workspace + "'").c_str());

  // Only now: until the script has been read, Ctrl-C ends rokan-sim as any other program.
  rokan::install_stop_signals();
  rokan::Controller controller(host, workspace);
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

  int status = 0;
  try {
    host.run();
  } catch (const rokan::ScriptError& e) {
    std::fprintf(stderr, "rokan-sim: %s: %s\n", script_name, e.what());
    status = kUsageOrScriptError;
  } catch (const rokan::ScriptExhausted& e) {
    std::fprintf(stderr, "rokan-sim: %s: %s\n", script_name, e.what());
    status = kUsageOrScriptError;
  } catch (const rokan::ProcessExit& e) {
    std::fflush(stdout);
    // Before the end routine ran, the program ended the process itself with nothing to write.
    if (!controller.cycle.terminated) return e.code;
    status = e.code;
  } catch (const rokan::StopRequested& e) {
    std::fprintf(stderr, "rokan-sim: stopped by signal %d (%s)\n", e.signal, strsignal(e.signal));
  }
  status = host.end_run(status);
  std::fflush(stdout);
  if (status == 0 && controller.cycle.ended_by_itself) {
    return ended_by_itself(script_name, host, controller);
  }
  return status;
}
