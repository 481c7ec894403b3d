// The Debug Adapter Protocol server behind `rokan-sim --dap`: an adapter from protocol messages
// to the RIX debugger (src/debug) and the batch runner (src/sim/batch.h). It owns no controller
// logic: the batch runner prepares the robot and starts the program exactly as `--run` does, and
// the server only decides when the next cycles run and turns the debugger's records into
// protocol bodies.
//
// It is single-threaded and knows nothing of file descriptors: the caller hands it message
// bodies (handle), asks it to run the program's cycles in slices between them (run_slice), and
// gets every outgoing message through `send`. At full simulated speed the cycles of a run depend
// only on the requests, so a session is deterministic; while the debugger holds the program no
// cycle runs (simulated time stands still), unless the launch asked for real time, where held
// cycles keep the robot servoed at the wall clock's pace without counting against --seconds.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "debug/debugger.h"
#include "sim/batch.h"

namespace rokan {

class DapServer {
 public:
  using Json = nlohmann::json;
  // `bundled_workspace`: copied to a temporary directory for a launch without "workspace".
  DapServer(std::function<void(const Json&)> send, std::string bundled_workspace);
  ~DapServer();  // ends a run still going; removes the temporary workspace
  DapServer(const DapServer&) = delete;
  DapServer& operator=(const DapServer&) = delete;

  // One message body as it arrived (any bytes: a body that is not a request gets an error).
  void handle(std::string_view body);
  // A message whose header could not be used: an error response saying why.
  void bad_frame(const std::string& why);
  // The client went away without disconnecting: the run ends as on disconnect.
  void input_closed();

  // Runs a slice of cycles when the program may run. Returns the milliseconds until cycles are
  // due again: 0 at once, -1 when only a request can make them due.
  int run_slice();
  // Disconnect was answered: the process may end.
  bool done() const { return phase_ == Phase::kDone; }
  // The directory the launched run's controller works in (the temporary copy when the launch
  // named none); empty before a launch.
  const std::string& workspace() const { return workspace_; }

 private:
  enum class Phase { kNew, kInitialized, kLaunched, kRunning, kEnded, kDone };
  using Handler = void (DapServer::*)(const Json& request, Json& body);

  void respond(const Json& request, bool success, Json body, const std::string& message = "");
  void event(const char* name, Json body = Json::object());
  void output(const char* category, const std::string& text);

  void initialize(const Json& req, Json& body);
  void launch(const Json& req, Json& body);
  void set_breakpoints(const Json& req, Json& body);
  void set_exception_breakpoints(const Json& req, Json& body);
  void configuration_done(const Json& req, Json& body);
  void threads(const Json& req, Json& body);
  void stack_trace(const Json& req, Json& body);
  void scopes(const Json& req, Json& body);
  void variables(const Json& req, Json& body);
  void set_variable(const Json& req, Json& body);
  void evaluate(const Json& req, Json& body);
  void resume(const Json& req, Json& body);  // continue, next, stepIn, stepOut
  void pause(const Json& req, Json& body);
  void disconnect(const Json& req, Json& body);

  // Throws a request error unless a run has been launched (and not ended).
  Controller& running_controller();
  bool held() const;
  void prepare_workspace(const Json& args);
  void drain_output();
  void report_stop();
  void report_breakpoints();
  void end_run(int status);
  Json breakpoint_json(const RixBreakpoint& b) const;

  std::function<void(const Json&)> send_;
  std::string bundled_workspace_;
  int seq_ = 0;
  Phase phase_ = Phase::kNew;

  // The run.
  std::string program_path_;    // absolute path of the .RIX file
  std::string workspace_;       // the directory the controller runs in
  std::string temp_workspace_;  // a copy made for this session, removed at the end
  std::string launch_dir_;      // the working directory, for relative names in the launch
  bool realtime_ = false;
  BatchOptions options_;
  BatchProgram program_;
  RixDebugger debugger_;
  std::unique_ptr<BatchSession> session_;
  std::vector<RixBreakpointSpec> early_breakpoints_;  // set before the launch
  bool stop_on_error_ = true;
  uint32_t stops_seen_ = 0;
  std::map<int32_t, Json> reported_;  // breakpoint id -> what the client was last told
  // The batch runner's output streams, read back as output events.
  std::FILE* out_ = nullptr;
  std::FILE* err_ = nullptr;
  char* out_buf_ = nullptr;
  char* err_buf_ = nullptr;
  std::size_t out_len_ = 0, err_len_ = 0, out_taken_ = 0, err_taken_ = 0;
  // Real-time pacing: simulated seconds run since `wall_start_`.
  std::chrono::steady_clock::time_point wall_start_;
  double paced_seconds_ = 0;
};

// rokan-sim --dap: serves one session on standard input and output; the exit status.
int dap_main(const char* argv0);

}  // namespace rokan
