#include "dap/server.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "core/controller.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sim/sim_json.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// A request that cannot be carried out; its text becomes the error response's message.
struct RequestError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr int kThreadId = 1;
// Cycles run between two looks at the input at full simulated speed (50 ms of wall time or
// less on this machine): small enough that a pause request is answered at once.
constexpr int kSliceCycles = 500;
// Variable references: the three scopes, then one per POS/JNT variable and one per leg.
constexpr int kScopeVariables = 1, kScopeRobot = 2, kScopeInputs = 3;
constexpr int kLegRefBase = 10;       // + leg 0..3
constexpr int kComponentBase = 1000;  // + index into rix_debug_variables

std::string number(double v) {
  return format("%.10g", v);
}

std::string value_text(const RixDebugVariable& v) {
  if (v.count == 1) return v.is_set(0) ? number(v.value[0]) : "unset";
  std::string s;
  for (int k = 0; k < 3; ++k) s += (k ? " " : "") + (v.is_set(k) ? number(v.value[k]) : "unset");
  return s;
}

std::string triple(const double* v, double scale = 1) {
  return format("%.3f %.3f %.3f", v[0] * scale, v[1] * scale, v[2] * scale);
}

const char* kind_name(RixVarKind k) {
  return k == RixVarKind::kPos ? "POS" : k == RixVarKind::kJnt ? "JNT" : "VAR";
}

const char* stop_reason(RixStopReason r) {
  switch (r) {
    case RixStopReason::kEntry:
      return "entry";
    case RixStopReason::kBreakpoint:
      return "breakpoint";
    case RixStopReason::kPause:
      return "pause";
    case RixStopReason::kError:
      return "exception";
    default:
      return "step";
  }
}

std::string string_arg(const Json& args, const char* name) {
  if (!args.contains(name)) return "";
  if (!args[name].is_string()) throw RequestError(std::string("\"") + name + "\" must be a string");
  return args[name].get<std::string>();
}

bool bool_arg(const Json& args, const char* name, bool fallback) {
  if (!args.contains(name)) return fallback;
  if (!args[name].is_boolean())
    throw RequestError(std::string("\"") + name + "\" must be true or false");
  return args[name].get<bool>();
}

int int_arg(const Json& args, const char* name) {
  if (!args.contains(name) || !args[name].is_number_integer())
    throw RequestError(std::string("\"") + name + "\" must be a whole number");
  return args[name].get<int>();
}

// "1 2 3", "1, 2, 3" or "[1, 2, 3]": the numbers; throws when a word is not one.
std::vector<double> parse_values(std::string text) {
  for (char& ch : text)
    if (ch == ',' || ch == '[' || ch == ']') ch = ' ';
  std::vector<double> values;
  const char* p = text.c_str();
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    char* end = nullptr;
    const double v = std::strtod(p, &end);
    if (end == p || (*end && *end != ' ' && *end != '\t'))
      throw RequestError("'" + text + "' is not a number or three numbers");
    values.push_back(v);
    p = end;
  }
  if (values.empty()) throw RequestError("a value is needed");
  return values;
}

}  // namespace

DapServer::DapServer(std::function<void(const Json&)> send, std::string bundled_workspace)
    : send_(std::move(send)), bundled_workspace_(std::move(bundled_workspace)) {}

DapServer::~DapServer() {
  if (session_ && phase_ != Phase::kEnded && phase_ != Phase::kDone) {
    rix_debug_detach(debugger_, session_->controller());
    session_->finish(kBatchEmg);
  }
  if (session_) rix_debug_detach(debugger_, session_->controller());
  session_.reset();
  if (out_) std::fclose(out_);
  if (err_) std::fclose(err_);
  std::free(out_buf_);
  std::free(err_buf_);
  std::error_code ec;
  if (!temp_workspace_.empty()) fs::remove_all(temp_workspace_, ec);
}

// --- messages ----------------------------------------------------------------------------

void DapServer::respond(const Json& request, bool success, Json body, const std::string& message) {
  Json r = {{"seq", ++seq_},
            {"type", "response"},
            {"request_seq", request.value("seq", 0)},
            {"success", success},
            {"command", request.value("command", "")}};
  if (!success) {
    r["message"] = message;
    body = {{"error", {{"id", 1}, {"format", message}, {"showUser", true}}}};
  }
  if (!body.empty()) r["body"] = std::move(body);
  send_(r);
}

void DapServer::event(const char* name, Json body) {
  Json e = {{"seq", ++seq_}, {"type", "event"}, {"event", name}};
  if (!body.empty()) e["body"] = std::move(body);
  send_(e);
}

void DapServer::output(const char* category, const std::string& text) {
  if (!text.empty()) event("output", {{"category", category}, {"output", text}});
}

void DapServer::bad_frame(const std::string& why) {
  respond(Json::object(), false, {}, "a message was dropped: " + why);
}

void DapServer::handle(std::string_view text) {
  Json request = Json::parse(text, nullptr, false);
  if (request.is_discarded()) {
    respond(Json::object(), false, {}, "the message is not JSON");
    return;
  }
  if (!request.is_object() || !request.contains("seq") || !request["seq"].is_number_integer()) {
    respond(Json::object(), false, {}, "the message is not a protocol message (no \"seq\")");
    return;
  }
  if (request.value("type", "") != "request" || !request.contains("command") ||
      !request["command"].is_string()) {
    Json r = {{"seq", request["seq"]}};
    respond(r, false, {}, "only requests are understood");
    return;
  }
  static const std::map<std::string, Handler> handlers = {
      {"initialize", &DapServer::initialize},
      {"launch", &DapServer::launch},
      {"setBreakpoints", &DapServer::set_breakpoints},
      {"setExceptionBreakpoints", &DapServer::set_exception_breakpoints},
      {"configurationDone", &DapServer::configuration_done},
      {"threads", &DapServer::threads},
      {"stackTrace", &DapServer::stack_trace},
      {"scopes", &DapServer::scopes},
      {"variables", &DapServer::variables},
      {"setVariable", &DapServer::set_variable},
      {"evaluate", &DapServer::evaluate},
      {"continue", &DapServer::resume},
      {"next", &DapServer::resume},
      {"stepIn", &DapServer::resume},
      {"stepOut", &DapServer::resume},
      {"pause", &DapServer::pause},
      {"disconnect", &DapServer::disconnect},
      {"terminate", &DapServer::disconnect},
  };
  const std::string command = request["command"];
  auto it = handlers.find(command);
  if (it == handlers.end()) {
    respond(request, false, {}, "unknown request '" + command + "'");
    return;
  }
  if (phase_ == Phase::kNew && command != "initialize" && command != "disconnect") {
    respond(request, false, {}, "'" + command + "' before initialize");
    return;
  }
  if (request.contains("arguments") && !request["arguments"].is_object()) {
    respond(request, false, {}, "\"arguments\" must be an object");
    return;
  }
  Json body = Json::object();
  try {
    (this->*(it->second))(request, body);
  } catch (const RequestError& e) {
    respond(request, false, {}, e.what());
    return;
  } catch (const Json::exception& e) {
    respond(request, false, {}, std::string("bad arguments: ") + e.what());
    return;
  }
  if (!body.is_null()) respond(request, true, std::move(body));
  // After the answer, as the protocol wants: the client may now configure.
  if (command == "launch") event("initialized");
  if (command == "disconnect") phase_ = Phase::kDone;
}

// --- requests ----------------------------------------------------------------------------

void DapServer::initialize(const Json&, Json& body) {
  if (phase_ != Phase::kNew) throw RequestError("initialize was already done");
  phase_ = Phase::kInitialized;
  body = {
      {"supportsConfigurationDoneRequest", true},
      {"supportsConditionalBreakpoints", true},
      {"supportsHitConditionalBreakpoints", true},
      {"supportsLogPoints", true},
      {"supportsSetVariable", true},
      {"supportsEvaluateForHovers", true},
      {"supportsTerminateRequest", true},
      {"exceptionBreakpointFilters",
       Json::array({{{"filter", "runtime error"},
                     {"label", "Runtime error"},
                     {"description", "Stop where a statement fails, before the run ends in EMG"},
                     {"default", true}}})}};
}

void DapServer::prepare_workspace(const Json& args) {
  workspace_ = string_arg(args, "workspace");
  std::error_code ec;
  if (!temp_workspace_.empty()) {  // left by a launch that was refused
    fs::remove_all(temp_workspace_, ec);
    temp_workspace_.clear();
  }
  if (!workspace_.empty()) {
    if (!fs::is_directory(workspace_, ec))
      throw RequestError("the workspace '" + workspace_ + "' is not a directory");
    return;
  }
  if (!fs::is_regular_file(fs::path(bundled_workspace_) / "user.ini", ec))
    throw RequestError("no \"workspace\" given and the bundled workspace was not found");
  char pattern[] = "/tmp/rokan-dap-XXXXXX";
  if (!mkdtemp(pattern)) throw RequestError("cannot make a temporary workspace");
  temp_workspace_ = pattern;
  fs::copy(bundled_workspace_, temp_workspace_, fs::copy_options::recursive, ec);
  if (ec)
    throw RequestError("cannot copy the bundled workspace to " + temp_workspace_ + ": " +
                       ec.message());
  workspace_ = temp_workspace_;
}

void DapServer::launch(const Json& req, Json& body) {
  if (phase_ != Phase::kInitialized)
    throw RequestError(session_ ? "a program was already launched" : "launch is not possible now");
  const Json args = req.value("arguments", Json::object());
  program_path_ = string_arg(args, "program");
  if (program_path_.empty()) throw RequestError("\"program\" (the .RIX file) is required");
  std::error_code ec;
  program_path_ = fs::absolute(program_path_, ec).lexically_normal().string();
  if (!fs::is_regular_file(program_path_, ec))
    throw RequestError("the program '" + program_path_ + "' does not exist");
  realtime_ = bool_arg(args, "realtime", false);
  debugger_.stop_on_entry = bool_arg(args, "stopOnEntry", false);
  std::vector<std::string> argv_text = {"rokan-sim", "--workspace", "", "--run", program_path_};
  if (args.contains("args")) {
    if (!args["args"].is_array()) throw RequestError("\"args\" must be a list of strings");
    for (const Json& a : args["args"]) {
      if (!a.is_string()) throw RequestError("\"args\" must be a list of strings");
      argv_text.push_back(a);
    }
  }
  prepare_workspace(args);
  argv_text[2] = workspace_;
  std::vector<char*> argv;
  for (std::string& s : argv_text) argv.push_back(s.data());
  std::string error;
  if (!parse_batch_options(static_cast<int>(argv.size()), argv.data(), options_, error))
    throw RequestError("\"args\": " + error);

  launch_dir_ = fs::current_path(ec).string();
  if (!is_searchable_directory(workspace_))
    throw RequestError("cannot enter the workspace '" + workspace_ + "'");
  out_ = open_memstream(&out_buf_, &out_len_);
  err_ = open_memstream(&err_buf_, &err_len_);
  if (!out_ || !err_) throw RequestError("cannot make the output streams");
  session_ = std::make_unique<BatchSession>(options_, out_, err_, launch_dir_);
  program_ = rix_batch_program(options_.rix_file);
  rix_debug_attach(debugger_, session_->controller());
  debugger_.stop_on_error = stop_on_error_;
  debugger_.on_output = [this](RixDebugOutput kind, std::string_view cp932) {
    output(kind == RixDebugOutput::kLog ? "console" : "stderr", cp932_to_utf8(cp932) + "\n");
  };
  phase_ = Phase::kLaunched;
  const int status = session_->begin(program_);
  drain_output();
  if (status != kBatchRunning) {
    // The program never started (it did not compile, say): the reason is already out.
    end_run(status);
    throw RequestError("the program did not start (exit status " + std::to_string(status) + ")");
  }
  if (!early_breakpoints_.empty()) {
    rix_debug_set_breakpoints(debugger_, session_->controller().rix, early_breakpoints_);
    report_breakpoints();
  }
  (void)body;
}

DapServer::Json DapServer::breakpoint_json(const RixBreakpoint& b) const {
  Json j = {{"id", b.id}, {"verified", b.verified}};
  if (b.verified) {
    j["line"] = b.line;
    j["source"] = {{"name", fs::path(program_path_).filename().string()}, {"path", program_path_}};
  } else {
    j["line"] = b.spec.line;
    j["message"] = cp932_to_utf8(b.message);
  }
  return j;
}

void DapServer::report_breakpoints() {
  for (const RixBreakpoint& b : debugger_.breakpoints) {
    Json j = breakpoint_json(b);
    auto it = reported_.find(b.id);
    if (it != reported_.end() && it->second == j) continue;
    const bool is_new = it == reported_.end();
    reported_[b.id] = j;
    event("breakpoint", {{"reason", is_new ? "new" : "changed"}, {"breakpoint", j}});
  }
}

void DapServer::set_breakpoints(const Json& req, Json& body) {
  const Json args = req.value("arguments", Json::object());
  std::vector<RixBreakpointSpec> specs;
  for (const Json& b : args.value("breakpoints", Json::array())) {
    RixBreakpointSpec s;
    s.line = int_arg(b, "line");
    s.condition = utf8_to_cp932(string_arg(b, "condition"));
    s.hit_condition = string_arg(b, "hitCondition");
    s.log_message = utf8_to_cp932(string_arg(b, "logMessage"));
    specs.push_back(std::move(s));
  }
  // Another file than the program: nothing of it runs.
  const Json source = args.value("source", Json::object());
  std::string path = source.is_object() ? source.value("path", "") : "";
  std::error_code ec;
  if (!path.empty()) path = fs::absolute(path, ec).lexically_normal().string();
  Json list = Json::array();
  if (session_ && !path.empty() && path != program_path_) {
    for (const RixBreakpointSpec& s : specs)
      list.push_back(
          {{"verified", false}, {"line", s.line}, {"message", "not the program being run"}});
    body = {{"breakpoints", list}};
    return;
  }
  if (!session_) {
    early_breakpoints_ = specs;
    for (const RixBreakpointSpec& s : specs)
      list.push_back(
          {{"verified", false}, {"line", s.line}, {"message", "the program is not compiled yet"}});
    body = {{"breakpoints", list}};
    return;
  }
  rix_debug_set_breakpoints(debugger_, session_->controller().rix, std::move(specs));
  reported_.clear();
  for (const RixBreakpoint& b : debugger_.breakpoints) {
    list.push_back(breakpoint_json(b));
    reported_[b.id] = list.back();
  }
  body = {{"breakpoints", list}};
}

void DapServer::set_exception_breakpoints(const Json& req, Json& body) {
  const Json args = req.value("arguments", Json::object());
  bool on = false;
  for (const Json& f : args.value("filters", Json::array())) {
    if (!f.is_string() || f != "runtime error")
      throw RequestError("unknown exception filter " + f.dump() + " (there is \"runtime error\")");
    on = true;
  }
  stop_on_error_ = on;
  debugger_.stop_on_error = on;
  body = {{"breakpoints", Json::array()}};
  if (on) body["breakpoints"].push_back({{"verified", true}});
}

void DapServer::configuration_done(const Json&, Json&) {
  if (phase_ != Phase::kLaunched) throw RequestError("configurationDone before launch");
  phase_ = Phase::kRunning;
  wall_start_ = std::chrono::steady_clock::now();
  paced_seconds_ = 0;
}

Controller& DapServer::running_controller() {
  if (!session_ || phase_ == Phase::kDone) throw RequestError("no program has been launched");
  if (phase_ == Phase::kEnded) throw RequestError("the program has ended");
  return session_->controller();
}

bool DapServer::held() const {
  return session_ && rix_debug_state(debugger_, session_->controller()) == RixRunState::kPaused;
}

void DapServer::threads(const Json&, Json& body) {
  body = {{"threads", Json::array({{{"id", kThreadId}, {"name", "RIX program"}}})}};
}

void DapServer::stack_trace(const Json&, Json& body) {
  Controller& c = running_controller();
  if (!held()) throw RequestError("the program is running");
  Json frames = Json::array();
  const Json source = {{"name", fs::path(program_path_).filename().string()},
                       {"path", program_path_}};
  int id = 0;
  for (const RixDebugFrame& f : rix_debug_frames(debugger_, c))
    frames.push_back({{"id", ++id},
                      {"name", cp932_to_utf8(f.name)},
                      {"line", f.line},
                      {"column", 1},
                      {"source", source}});
  body = {{"stackFrames", frames}, {"totalFrames", frames.size()}};
}

void DapServer::scopes(const Json&, Json& body) {
  running_controller();
  body = {
      {"scopes",
       Json::array(
           {{{"name", "Variables"}, {"variablesReference", kScopeVariables}, {"expensive", false}},
            {{"name", "Robot"}, {"variablesReference", kScopeRobot}, {"expensive", false}},
            {{"name", "Inputs"}, {"variablesReference", kScopeInputs}, {"expensive", false}}})}};
}

void DapServer::variables(const Json& req, Json& body) {
  const Controller& c = running_controller();
  const int ref = int_arg(req.value("arguments", Json::object()), "variablesReference");
  Json list = Json::array();
  auto add = [&](const std::string& name, const std::string& value, int child = 0,
                 const std::string& eval = "", const char* type = nullptr) {
    Json v = {{"name", name}, {"value", value}, {"variablesReference", child}};
    if (!eval.empty()) v["evaluateName"] = eval;
    if (type) v["type"] = type;
    list.push_back(std::move(v));
  };
  const std::vector<RixDebugVariable> vars = rix_debug_variables(c.rix);
  if (ref == kScopeVariables) {
    for (std::size_t i = 0; i < vars.size(); ++i) {
      const std::string name = cp932_to_utf8(vars[i].name);
      add(name, value_text(vars[i]), vars[i].count == 3 ? kComponentBase + static_cast<int>(i) : 0,
          name, kind_name(vars[i].kind));
    }
  } else if (ref >= kComponentBase && ref - kComponentBase < static_cast<int>(vars.size()) &&
             vars[static_cast<std::size_t>(ref - kComponentBase)].count == 3) {
    const RixDebugVariable& v = vars[static_cast<std::size_t>(ref - kComponentBase)];
    static const char* const pos[] = {"X", "Y", "Z"};
    static const char* const jnt[] = {"J1", "J2", "J3"};
    for (int k = 0; k < 3; ++k) {
      const char* comp = v.kind == RixVarKind::kPos ? pos[k] : jnt[k];
      add(comp, v.is_set(k) ? number(v.value[k]) : "unset", 0, cp932_to_utf8(v.name) + "." + comp,
          "number");
    }
  } else if (ref == kScopeRobot) {
    add("mode", mode_name(c.mode.mode));
    add("status line", cp932_to_utf8(c.console.lines[1]));
    for (int leg = 0; leg < kLegCount; ++leg)
      add(format("leg %d", leg + 1), "foot " + triple(c.state.point[leg][kFoot]),
          kLegRefBase + leg);
  } else if (ref >= kLegRefBase && ref < kLegRefBase + 4) {
    const int leg = ref - kLegRefBase;
    add("foot (mm)", triple(c.state.point[leg][kFoot]));
    add("goal (mm)", triple(c.servo[leg].goal));
    add("joint angles (deg)", triple(c.state.joint_angle[leg], kRadToDeg));
  } else if (ref == kScopeInputs) {
    for (int i = 0; i < 3; ++i) add(format("VR%d", i + 1), format("%.1f V", c.sensor.vr[i]));
    for (int i = 0; i < 4; ++i)
      add(format("PAW%d", i + 1), c.sensor.paw_volt[i] > 1.25 ? "on" : "off");
    add("antenna", c.sensor.antenna_volt > 1.25 ? "on" : "off");
  } else {
    throw RequestError("no variables under reference " + std::to_string(ref));
  }
  body = {{"variables", list}};
}

void DapServer::set_variable(const Json& req, Json& body) {
  Controller& c = running_controller();
  const Json args = req.value("arguments", Json::object());
  const int ref = int_arg(args, "variablesReference");
  std::string name = utf8_to_cp932(string_arg(args, "name"));
  const std::vector<RixDebugVariable> vars = rix_debug_variables(c.rix);
  if (ref >= kComponentBase && ref - kComponentBase < static_cast<int>(vars.size()))
    name = vars[static_cast<std::size_t>(ref - kComponentBase)].name + "." + name;
  else if (ref != kScopeVariables)
    throw RequestError("only the program's variables can be set");
  const std::string why =
      rix_debug_set_variable(debugger_, c, name, parse_values(string_arg(args, "value")));
  if (!why.empty()) throw RequestError(cp932_to_utf8(why));
  RixDebugVariable v;
  rix_debug_find_variable(c.rix, name, v);
  body = {{"value", value_text(v)}};
}

void DapServer::evaluate(const Json& req, Json& body) {
  const Controller& c = running_controller();
  std::string name = string_arg(req.value("arguments", Json::object()), "expression");
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  RixDebugVariable v;
  if (!rix_debug_find_variable(c.rix, utf8_to_cp932(name), v))
    throw RequestError("the program has no variable " + name);
  int child = 0;
  if (v.count == 3) {
    const std::vector<RixDebugVariable> vars = rix_debug_variables(c.rix);
    for (std::size_t i = 0; i < vars.size(); ++i)
      if (vars[i].kind == v.kind && vars[i].index == v.index && vars[i].count == 3)
        child = kComponentBase + static_cast<int>(i);
  }
  body = {{"result", value_text(v)}, {"variablesReference", child}};
}

void DapServer::resume(const Json& req, Json& body) {
  const Controller& c = running_controller();
  if (phase_ != Phase::kRunning) throw RequestError("configurationDone has not come yet");
  const std::string command = req["command"];
  std::string why;
  if (command == "continue") {
    why = rix_debug_continue(debugger_, c);
    body = {{"allThreadsContinued", true}};
  } else {
    const RixStep kind = command == "next"     ? RixStep::kOver
                         : command == "stepIn" ? RixStep::kIn
                                               : RixStep::kOut;
    why = rix_debug_step(debugger_, c, kind);
  }
  if (!why.empty()) throw RequestError(cp932_to_utf8(why));
}

void DapServer::pause(const Json&, Json&) {
  const Controller& c = running_controller();
  const std::string why = rix_debug_pause(debugger_, c);
  if (!why.empty()) throw RequestError(cp932_to_utf8(why));
}

void DapServer::disconnect(const Json& req, Json&) {
  if (session_ && (phase_ == Phase::kLaunched || phase_ == Phase::kRunning)) {
    std::fprintf(err_, "rokan-sim: the run was stopped before the program ended\n");
    end_run(kBatchEmg);
  }
  (void)req;
}

void DapServer::input_closed() {
  if (session_ && (phase_ == Phase::kLaunched || phase_ == Phase::kRunning)) {
    rix_debug_detach(debugger_, session_->controller());
    session_->finish(kBatchEmg);
  }
  phase_ = Phase::kDone;
}

// --- running -----------------------------------------------------------------------------

void DapServer::drain_output() {
  if (!out_ || !err_) return;
  std::fflush(out_);
  std::fflush(err_);
  if (out_len_ > out_taken_)
    output("stdout", std::string(out_buf_ + out_taken_, out_len_ - out_taken_));
  out_taken_ = out_len_;
  if (err_len_ > err_taken_)
    output("stderr", std::string(err_buf_ + err_taken_, err_len_ - err_taken_));
  err_taken_ = err_len_;
}

void DapServer::end_run(int status) {
  // Let go of a held failure first, so that the end routine sees the run as it ends.
  rix_debug_detach(debugger_, session_->controller());
  status = session_->finish(status);
  drain_output();
  phase_ = Phase::kEnded;
  event("exited", {{"exitCode", status}});
  event("terminated");
}

void DapServer::report_stop() {
  if (debugger_.stop_count == stops_seen_) return;
  stops_seen_ = debugger_.stop_count;
  const RixDebugStop& s = debugger_.stop;
  Json body = {
      {"reason", stop_reason(s.reason)}, {"threadId", kThreadId}, {"allThreadsStopped", true}};
  if (s.reason == RixStopReason::kError) {
    body["description"] = "Runtime error";
    body["text"] = cp932_to_utf8(s.text);
  }
  if (!s.breakpoints.empty()) body["hitBreakpointIds"] = s.breakpoints;
  event("stopped", body);
}

int DapServer::run_slice() {
  if (phase_ != Phase::kRunning) return -1;
  report_stop();  // a pause of a running program holds it at once, between cycles
  using Clock = std::chrono::steady_clock;
  const double dt = session_->controller().params.sampling_time;
  for (int n = 0; n < kSliceCycles; ++n) {
    if (held() && !realtime_) break;
    if (realtime_) {
      const double wall = std::chrono::duration<double>(Clock::now() - wall_start_).count();
      if (paced_seconds_ > wall) break;
      paced_seconds_ += dt;
    }
    const int status = session_->step(program_, !held());
    report_breakpoints();
    if (status != kBatchRunning) {
      drain_output();
      end_run(status);
      return -1;
    }
    if (debugger_.stop_count != stops_seen_) {
      drain_output();
      report_stop();
      break;
    }
  }
  drain_output();
  if (!realtime_) return held() ? -1 : 0;
  const double wall = std::chrono::duration<double>(Clock::now() - wall_start_).count();
  return paced_seconds_ > wall ? static_cast<int>((paced_seconds_ - wall) * 1000) : 0;
}

}  // namespace rokan
