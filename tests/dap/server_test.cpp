// The DAP server in process: requests as a client sends them, the messages it answers with, and
// the program's cycles run slice by slice as rokan-sim --dap runs them.
#include "dap/server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace rokan {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class DapServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/rokan-dap-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    server_.reset();
    fs::remove_all(dir_);
  }

  std::string program(const std::string& name, const std::string& text) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }

  DapServer& server() {
    if (!server_)
      server_ = std::make_unique<DapServer>([this](const Json& m) { sent_.push_back(m); },
                                            std::string(ROKAN_SOURCE_DIR) + "/workspace");
    return *server_;
  }

  // Sends a request; returns its response (the last one sent for it).
  Json request(const std::string& command, Json arguments = nullptr) {
    Json r = {{"seq", ++seq_}, {"type", "request"}, {"command", command}};
    if (!arguments.is_null()) r["arguments"] = std::move(arguments);
    return raw(r.dump());
  }
  Json raw(const std::string& body) {
    const std::size_t before = sent_.size();
    server().handle(body);
    for (std::size_t i = sent_.size(); i-- > before;)
      if (sent_[i]["type"] == "response") return sent_[i];
    ADD_FAILURE() << "no response to " << body;
    return Json::object();
  }

  std::vector<Json> events(const std::string& name) const {
    std::vector<Json> out;
    for (const Json& m : sent_)
      if (m["type"] == "event" && m["event"] == name) out.push_back(m);
    return out;
  }

  // Runs slices until the event `name` has come `count` times in all, or the slices say that
  // only a request can make more cycles run.
  bool run_until(const std::string& name, std::size_t count = 1) {
    for (int n = 0; n < 100000 && events(name).size() < count; ++n)
      if (server().run_slice() < 0) break;
    return events(name).size() >= count;
  }

  void launch(const std::string& path, Json extra = Json::object()) {
    ASSERT_EQ(request("initialize", {{"adapterID", "rix"}})["success"], true);
    extra["program"] = path;
    const Json r = request("launch", extra);
    ASSERT_EQ(r["success"], true) << r.dump();
  }

  fs::path dir_;
  std::unique_ptr<DapServer> server_;
  std::vector<Json> sent_;
  int seq_ = 0;
};

const char* const kCounting =
    "3.1\n"
    "Counting\n"
    "DEF_VAR I, S\n"
    "DEF_JNT J\n"
    "S = 0\n"
    "\n"
    "FOR I = 1 TO 5\n"
    "  S = S + I\n"
    "NEXT I\n"
    "END\n";

TEST_F(DapServerTest, MessagesThatAreNoRequestsGetErrorResponsesAndTheSessionGoesOn) {
  for (const char* body : {"not json", "[1,2]", "{\"type\":\"request\",\"command\":\"threads\"}",
                           "{\"seq\":4,\"type\":\"event\",\"event\":\"x\"}",
                           "{\"seq\":5,\"type\":\"request\",\"command\":7}"}) {
    SCOPED_TRACE(body);
    const Json r = raw(body);
    EXPECT_EQ(r["success"], false);
    EXPECT_FALSE(r.value("message", "").empty());
  }
  server().bad_frame("a header without Content-Length");
  EXPECT_NE(sent_.back()["message"].get<std::string>().find("Content-Length"), std::string::npos);
  const Json unknown = request("frobnicate");
  EXPECT_EQ(unknown["success"], false);
  EXPECT_EQ(unknown["command"], "frobnicate");
  EXPECT_EQ(unknown["request_seq"], seq_);
  EXPECT_NE(unknown["message"].get<std::string>().find("unknown request"), std::string::npos);
  const Json init = request("initialize", {{"adapterID", "rix"}});
  EXPECT_EQ(init["success"], true);
  EXPECT_EQ(init["body"]["supportsConditionalBreakpoints"], true);
  // Responses and events are numbered in one sequence.
  for (std::size_t i = 0; i < sent_.size(); ++i) EXPECT_EQ(sent_[i]["seq"], i + 1);
}

TEST_F(DapServerTest, RequestsOutOfOrderAreRefused) {
  const std::string path = program("COUNT.RIX", kCounting);
  EXPECT_EQ(request("launch", {{"program", path}})["success"], false);  // before initialize
  EXPECT_EQ(request("initialize")["success"], true);
  EXPECT_EQ(request("initialize")["success"], false);
  for (const char* early :
       {"configurationDone", "stackTrace", "continue", "next", "pause", "scopes", "evaluate"}) {
    SCOPED_TRACE(early);
    EXPECT_EQ(request(early, {{"threadId", 1}, {"expression", "I"}})["success"], false);
  }
  EXPECT_EQ(request("launch", {{"program", path}, {"stopOnEntry", true}})["success"], true);
  EXPECT_EQ(events("initialized").size(), 1u);
  EXPECT_EQ(request("launch", {{"program", path}})["success"], false);
  // Launched, but not configured: nothing runs yet and nothing can be stepped.
  EXPECT_LT(server().run_slice(), 0);
  EXPECT_EQ(request("continue", {{"threadId", 1}})["success"], false);
  EXPECT_EQ(request("configurationDone")["success"], true);
  EXPECT_EQ(request("configurationDone")["success"], false);
  ASSERT_TRUE(run_until("stopped"));
  EXPECT_EQ(events("stopped")[0]["body"]["reason"], "entry");
  EXPECT_EQ(request("pause", {{"threadId", 1}})["success"], false);    // already paused
  EXPECT_EQ(request("stepOut", {{"threadId", 1}})["success"], false);  // at the main level
}

TEST_F(DapServerTest, BadLaunchArgumentsAreRefusedAndALaterGoodLaunchWorks) {
  const std::string path = program("COUNT.RIX", kCounting);
  ASSERT_EQ(request("initialize")["success"], true);
  struct Case {
    Json args;
    const char* says;
  };
  const Case cases[] = {
      {Json::object(), "\"program\""},
      {{{"program", (dir_ / "NONE.RIX").string()}}, "does not exist"},
      {{{"program", path}, {"args", "--seconds 5"}}, "list of strings"},
      {{{"program", path}, {"args", {"--seconds", "soon"}}}, "--seconds"},
      {{{"program", path}, {"args", {"--run", "X.RIX"}}}, "--run"},
      {{{"program", path}, {"workspace", (dir_ / "nowhere").string()}}, "not a directory"},
      {{{"program", path}, {"stopOnEntry", "yes"}}, "stopOnEntry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.dump());
    const Json r = request("launch", c.args);
    EXPECT_EQ(r["success"], false);
    EXPECT_NE(r.value("message", "").find(c.says), std::string::npos) << r.dump();
  }
  EXPECT_EQ(request("launch", {{"program", path}})["success"], true);
}

TEST_F(DapServerTest, BreakpointsSetBeforeTheLaunchResolveWhenTheProgramIsCompiled) {
  const std::string path = program("COUNT.RIX", kCounting);
  ASSERT_EQ(request("initialize")["success"], true);
  const Json early = request(
      "setBreakpoints", {{"source", {{"path", path}}},
                         {"breakpoints", {{{"line", 6}}, {{"line", 8}, {"condition", "I >= 3"}}}}});
  ASSERT_EQ(early["success"], true);
  for (const Json& b : early["body"]["breakpoints"]) EXPECT_EQ(b["verified"], false);
  EXPECT_EQ(request("launch", {{"program", path}})["success"], true);
  const std::vector<Json> changed = events("breakpoint");
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0]["body"]["breakpoint"]["line"], 7);  // the empty line 6 moves to the FOR
  EXPECT_EQ(changed[0]["body"]["breakpoint"]["verified"], true);
  EXPECT_EQ(changed[1]["body"]["breakpoint"]["line"], 8);
  // A breakpoint in another file is never verified.
  const Json other = request("setBreakpoints", {{"source", {{"path", "/elsewhere/X.RIX"}}},
                                                {"breakpoints", {{{"line", 5}}}}});
  EXPECT_EQ(other["body"]["breakpoints"][0]["verified"], false);

  // Only the conditional one is left.
  const Json left = request(
      "setBreakpoints",
      {{"source", {{"path", path}}}, {"breakpoints", {{{"line", 8}, {"condition", "I >= 3"}}}}});
  EXPECT_EQ(left["body"]["breakpoints"][0]["verified"], true);
  ASSERT_EQ(request("configurationDone")["success"], true);
  ASSERT_TRUE(run_until("stopped"));
  // The condition held the program first when I reached 3: S = 1 + 2.
  const Json stop = events("stopped").back();
  EXPECT_EQ(stop["body"]["reason"], "breakpoint");
  EXPECT_EQ(request("evaluate", {{"expression", "I"}})["body"]["result"], "3");
  EXPECT_EQ(request("evaluate", {{"expression", " S "}})["body"]["result"], "3");
}

TEST_F(DapServerTest, VariablesExpandAndSetWithTheirKindChecked) {
  const std::string path = program("COUNT.RIX", kCounting);
  launch(path, {{"stopOnEntry", true}});
  ASSERT_EQ(request("configurationDone")["success"], true);
  ASSERT_TRUE(run_until("stopped"));
  const Json vars = request("variables", {{"variablesReference", 1}})["body"]["variables"];
  ASSERT_EQ(vars.size(), 4u);  // VAR_KEY, I, S, J
  EXPECT_EQ(vars[3]["name"], "J");
  EXPECT_EQ(vars[3]["type"], "JNT");
  const int j = vars[3]["variablesReference"];
  ASSERT_GT(j, 0);
  const Json set =
      request("setVariable", {{"variablesReference", j}, {"name", "J2"}, {"value", "45"}});
  ASSERT_EQ(set["success"], true) << set.dump();
  EXPECT_EQ(set["body"]["value"], "45");
  const Json parts = request("variables", {{"variablesReference", j}})["body"]["variables"];
  EXPECT_EQ(parts[0]["value"], "unset");
  EXPECT_EQ(parts[1]["value"], "45");
  EXPECT_EQ(request("evaluate", {{"expression", "J"}})["body"]["result"], "unset 45 unset");
  EXPECT_EQ(
      request("setVariable",
              {{"variablesReference", 1}, {"name", "J"}, {"value", "[1, 2, 3]"}})["body"]["value"],
      "1 2 3");
  for (const char* bad : {"1", "x", "", "nan"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(request("setVariable",
                      {{"variablesReference", 1}, {"name", "J"}, {"value", bad}})["success"],
              false);
  }
  EXPECT_EQ(request("variables", {{"variablesReference", 999999}})["success"], false);
  EXPECT_EQ(request("setVariable",
                    {{"variablesReference", 2}, {"name", "mode"}, {"value", "1"}})["success"],
            false);
}

TEST_F(DapServerTest, ARunToItsEndExitsZeroAndTheTemporaryWorkspaceGoes) {
  const std::string path = program("COUNT.RIX", kCounting);
  launch(path);
  const fs::path workspace = server().workspace();  // the run happens in the copy
  EXPECT_TRUE(fs::exists(workspace / "user.ini"));
  EXPECT_NE(workspace, fs::path(ROKAN_SOURCE_DIR) / "workspace");
  ASSERT_EQ(request("configurationDone")["success"], true);
  ASSERT_TRUE(run_until("terminated"));
  ASSERT_EQ(events("exited").size(), 1u);
  EXPECT_EQ(events("exited")[0]["body"]["exitCode"], 0);
  // The run's report log went into the copy, not into the directory the server runs in.
  EXPECT_TRUE(fs::exists(workspace / "emg" / "emg.log"));
  EXPECT_EQ(request("continue", {{"threadId", 1}})["success"], false);
  EXPECT_EQ(request("disconnect")["success"], true);
  EXPECT_TRUE(server().done());
  server_.reset();
  EXPECT_FALSE(fs::exists(workspace));
}

TEST_F(DapServerTest, AProgramThatDoesNotCompileEndsTheLaunchWithTheCompilerError) {
  const std::string path = program("BAD.RIX", "3.1\nBroken\nDEF_VAR A\nA = = 1\nEND\n");
  ASSERT_EQ(request("initialize")["success"], true);
  const Json r = request("launch", {{"program", path}});
  EXPECT_EQ(r["success"], false);
  ASSERT_EQ(events("exited").size(), 1u);
  EXPECT_EQ(events("exited")[0]["body"]["exitCode"], kBatchUsage);
  EXPECT_EQ(events("terminated").size(), 1u);
  std::string err;
  for (const Json& o : events("output"))
    if (o["body"]["category"] == "stderr") err += o["body"]["output"];
  EXPECT_NE(err.find("BAD.RIX:4: error:"), std::string::npos) << err;
}

TEST_F(DapServerTest, DisconnectWhileHeldEndsTheRunAsStopped) {
  const std::string path = program("COUNT.RIX", kCounting);
  launch(path, {{"stopOnEntry", true}});
  ASSERT_EQ(request("configurationDone")["success"], true);
  ASSERT_TRUE(run_until("stopped"));
  EXPECT_EQ(request("disconnect")["success"], true);
  ASSERT_EQ(events("exited").size(), 1u);
  EXPECT_EQ(events("exited")[0]["body"]["exitCode"], kBatchEmg);
  EXPECT_TRUE(server().done());
}

}  // namespace
}  // namespace rokan
