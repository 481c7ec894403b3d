// rokan-sim --run over many programs, as a process: the console lines, the JUnit report (checked
// against tests/sim/junit.xsd with xmllint), expectations in the programs, shards, parallel runs
// that give each program the result it gives alone, and bad input that runs nothing.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "platform/text.h"
#include "sim/sim_test_support.h"

namespace rokan::test {
namespace {

struct BatchSuite : SimWorkspace {
  fs::path progs = dir / "progs";

  void SetUp() override {
    SimWorkspace::SetUp();
    fs::create_directories(progs);
    write("ENDS.RIX", "MESSAGE hello\nMESSAGE world\nEND\n// expect: message world");
    write("EMG.RIX", "DEF_POS P, U\nP.X = 0 ; P.Y = 0 ; P.Z = 0\nU = UNIT_VECT P\nEND");
    write("EMG_EXPECTED.RIX",
          "DEF_POS P, U\nP.X = 0 ; P.Y = 0 ; P.Z = 0\nU = UNIT_VECT P\nEND\n"
          "// expect: emg Domain Error.");
    write("SLOW.RIX", "SLEEP 10\nEND");
    write("BAD.RIX", "DEF_VAR X\nX = 1\nFLY F1\nEND");
    write("WRONG_MESSAGE.RIX", "MESSAGE hello\nEND\n// expect: message goodbye");
  }

  // A program (UTF-8 body after the two header lines) written as CP932.
  void write(const std::string& name, const std::string& body) {
    std::ofstream(progs / name, std::ios::binary)
        << utf8_to_cp932("3.1\nsuite test\n" + body + "\n");
  }

  // xmllint's answer, or the test fails.
  std::string xmllint(const std::string& args) {
    const std::string cmd = "cd " + dir.string() + " && xmllint " + args + " > lint.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    EXPECT_EQ(rc, 0) << "xmllint " << args << ": " << slurp(dir / "lint.txt");
    return slurp(dir / "lint.txt");
  }
  // The value of an XPath expression on report.xml (xmllint ends it with a line end).
  std::string xpath(const std::string& expr) {
    std::string value = xmllint("--xpath '" + expr + "' report.xml");
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }

  std::vector<std::string> files_in(const fs::path& p) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(p)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(BatchSuite, RunsADirectoryAndReportsEveryProgramInJunit) {
  const std::string emg_log = slurp(ws / "emg" / "emg.log");
  Outcome r = sim("--workspace ws --run progs --seconds 2 --jobs 2 --junit report.xml");
  EXPECT_EQ(r.status, 1) << r.err;
  const std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 11u) << r.out;
  // Sorted by path; a failure's reason on the line below it.
  const char* expected[][2] = {
      {"FAIL  progs/BAD.RIX", "      progs/BAD.RIX:5: error: Unknown command(FLY)."},
      {"FAIL  progs/EMG.RIX", "      [RIX_RUN]0003: Domain Error."},
      {"ok    progs/EMG_EXPECTED.RIX", nullptr},
      {"ok    progs/ENDS.RIX", nullptr},
      {"FAIL  progs/SLOW.RIX",
       "      rokan-sim: the program still runs after 2 s of simulated time"},
      {"FAIL  progs/WRONG_MESSAGE.RIX",
       "      expected the message 'goodbye', which the program did not show"},
  };
  std::size_t at = 0;
  for (const auto& e : expected) {
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at].substr(0, lines[at].rfind("  ")), e[0]);
    ++at;
    if (e[1]) {
      EXPECT_EQ(lines[at++], e[1]);
    }
  }
  EXPECT_EQ(lines.back().substr(0, 32), "6 programs: 2 passed, 4 failed (");

  xmllint("--noout --schema " + std::string(ROKAN_SOURCE_DIR) + "/tests/sim/junit.xsd report.xml");
  EXPECT_EQ(xpath("string(/testsuites/testsuite/@tests)"), "6");
  EXPECT_EQ(xpath("string(/testsuites/testsuite/@failures)"), "4");
  EXPECT_EQ(xpath("string(/testsuites/testsuite/@errors)"), "0");
  EXPECT_EQ(xpath("count(//testcase)"), "6");
  EXPECT_EQ(xpath("count(//testcase[failure])"), "4");
  EXPECT_EQ(xpath("string(//testcase[@name=\"EMG.RIX\"]/failure/@type)"), "emg");
  EXPECT_EQ(xpath("string(//testcase[@name=\"SLOW.RIX\"]/failure/@type)"), "timeout");
  EXPECT_EQ(xpath("string(//testcase[@name=\"BAD.RIX\"]/failure/@type)"), "compile");
  EXPECT_EQ(xpath("string(//testcase[@name=\"WRONG_MESSAGE.RIX\"]/failure/@type)"), "ended");
  EXPECT_EQ(xpath("string(//testcase[@name=\"BAD.RIX\"]/failure/@message)"),
            "progs/BAD.RIX:5: error: Unknown command(FLY).");
  EXPECT_EQ(xpath("string(//testcase[@name=\"ENDS.RIX\"]/system-out)"), "hello\nworld\n\n");
  EXPECT_EQ(xpath("string(//testcase[@name=\"ENDS.RIX\"]/@classname)"), "progs");
  // The suite's time covers its cases, which ran two at a time.
  double sum = 0;
  for (const char* name : {"BAD", "EMG", "EMG_EXPECTED", "ENDS", "SLOW", "WRONG_MESSAGE"})
    sum += std::stod(xpath(std::string("string(//testcase[@name=\"") + name + ".RIX\"]/@time)"));
  const double total = std::stod(xpath("string(/testsuites/testsuite/@time)"));
  EXPECT_GE(total * 2 + 0.01, sum);

  // Every run had its own copies: the workspace and the programs' directory are as they were.
  EXPECT_EQ(slurp(ws / "emg" / "emg.log"), emg_log);
  EXPECT_EQ(files_in(progs),
            (std::vector<std::string>{"BAD.RIX", "EMG.RIX", "EMG_EXPECTED.RIX", "ENDS.RIX",
                                      "SLOW.RIX", "WRONG_MESSAGE.RIX"}));
  EXPECT_EQ(files_in(dir), (std::vector<std::string>{"err.txt", "lint.txt", "out.txt", "progs",
                                                     "report.xml", "ws"}));
}

TEST_F(BatchSuite, EachProgramGivesWhatItGivesAloneWhateverRunsBesideIt) {
  // Programs with much output, all sharing one directory, four at a time.
  for (const char* name : {"WAVE.RIX", "ROKAN.RIX", "TEACH.RIX"})
    fs::copy_file(ws / "DEFAULT" / "rixs" / name, progs / name);
  Outcome suite =
      sim("--workspace ws --run progs/WAVE.RIX progs/ROKAN.RIX progs/TEACH.RIX "
          "--vr1 2 --jobs 4 --junit report.xml");
  ASSERT_EQ(suite.status, 0) << suite.out << suite.err;
  for (const char* name : {"WAVE.RIX", "ROKAN.RIX", "TEACH.RIX"}) {
    SCOPED_TRACE(name);
    const std::string out =
        xpath(std::string("string(//testcase[@name=\"") + name + "\"]/system-out)");
    const std::string err =
        xpath(std::string("string(//testcase[@name=\"") + name + "\"]/system-err)");
    Outcome alone = sim("--workspace ws --run progs/" + std::string(name) + " --vr1 2");
    EXPECT_EQ(alone.status, 0);
    EXPECT_GE(lines_of(alone.out).size(), 3u);
    EXPECT_EQ(out, alone.out);
    EXPECT_EQ(err, alone.err);
  }
}

TEST_F(BatchSuite, ShardsSplitTheSortedProgramsAndTogetherRunEachOnce) {
  const auto names = [&](const std::string& shard) {
    Outcome r = sim("--workspace ws --run progs --seconds 0.5 --shard " + shard);
    std::vector<std::string> ran;
    for (const std::string& line : lines_of(r.out))
      if (line.substr(0, 2) == "ok" || line.substr(0, 4) == "FAIL")
        ran.push_back(line.substr(6, line.rfind("  ") - 6));
    return ran;
  };
  EXPECT_EQ(names("1/2"), (std::vector<std::string>{"progs/BAD.RIX", "progs/EMG_EXPECTED.RIX",
                                                    "progs/SLOW.RIX"}));
  EXPECT_EQ(names("2/2"), (std::vector<std::string>{"progs/EMG.RIX", "progs/ENDS.RIX",
                                                    "progs/WRONG_MESSAGE.RIX"}));
  EXPECT_EQ(names("3/4"), (std::vector<std::string>{"progs/EMG_EXPECTED.RIX"}));
  // More shards than programs: a shard may be empty, and that is no failure.
  Outcome empty = sim("--workspace ws --run progs --shard 7/7 --junit report.xml");
  EXPECT_EQ(empty.status, 0) << empty.err;
  EXPECT_EQ(empty.out.substr(0, 32), "0 programs: 0 passed, 0 failed (");
  xmllint("--noout --schema " + std::string(ROKAN_SOURCE_DIR) + "/tests/sim/junit.xsd report.xml");
  EXPECT_EQ(xpath("string(/testsuites/@tests)"), "0");
}

TEST_F(BatchSuite, BadInputNamesTheOptionAndRunsNothing) {
  fs::create_directories(dir / "empty");
  std::ofstream(dir / "empty" / "notes.txt") << "no programs here";
  fs::create_directories(dir / "badexpect");
  std::ofstream(dir / "badexpect" / "A.RIX") << "3.1\nx\nEND\n";
  std::ofstream(dir / "badexpect" / "B.RIX") << "3.1\nx\nEND\n// expect: exit maybe\n";
  const std::string emg_log = slurp(ws / "emg" / "emg.log");
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--run empty", "rokan-sim: --run: the directory 'empty' holds no *.RIX programs"},
      {"--run progs --junit nowhere/report.xml",
       "rokan-sim: --junit: cannot write 'nowhere/report.xml': No such file or directory"},
      {"--run progs --junit progs", "rokan-sim: --junit: 'progs' is a directory"},
      {"--run progs --junit progs/ENDS.RIX/report.xml",
       "rokan-sim: --junit: cannot write 'progs/ENDS.RIX/report.xml': Not a directory"},
      {"--run progs --shard 0/2",
       "rokan-sim: --shard takes K/N, the K-th of N shards with K "
       "from 1 to N, not '0/2'"},
      {"--run progs --shard 3/2", "not '3/2'"},
      {"--run progs --shard 2", "not '2'"},
      {"--run progs --jobs 0",
       "rokan-sim: --jobs takes a number of processes from 1 to 512, not '0'"},
      {"--run progs --jobs 2x", "not '2x'"},
      {"--run progs --jobs", "rokan-sim: --jobs needs a value"},
      {"--auto 3 --jobs 2", "rokan-sim: --junit, --shard and --jobs go with --run only"},
      {"--run progs progs/NONE.RIX", "rokan-sim: --run: no RIX file or directory 'progs/NONE.RIX'"},
      {"--run badexpect",
       "rokan-sim: badexpect/B.RIX: line 4: 'expect: exit' takes an exit status 0..255, not "
       "'maybe'"},
      {"--run progs --vr1 11", "rokan-sim: --vr1 takes V@T"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome r = sim(std::string("--workspace ws ") + c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: rokan-sim"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
  Outcome r = sim("--workspace nowhere --run progs");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot enter the workspace 'nowhere'"), std::string::npos) << r.err;
  // Nothing ran: no report, no temporary report beside it, no EMG of a run.
  EXPECT_EQ(slurp(ws / "emg" / "emg.log"), emg_log);
  EXPECT_EQ(files_in(progs).size(), 6u);
  EXPECT_FALSE(fs::exists(dir / "report.xml"));
}

TEST_F(BatchSuite, AReportThatExistsReadOnlyIsRefusedBeforeAnythingRuns) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write a read-only file";
  std::ofstream(dir / "report.xml") << "old";
  fs::permissions(dir / "report.xml", fs::perms::owner_read);
  Outcome r = sim("--workspace ws --run progs --junit report.xml");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--junit: cannot write 'report.xml'"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(dir / "report.xml"), "old");
}

// Ctrl-C reaches the whole process group; `kill -INT` the suite alone. Either way the suite ends
// with 128 + signal and leaves none of its temporary workspace copies behind, nor a report.
TEST_F(BatchSuite, AStopSignalEndsTheSuiteAndRemovesItsTemporaryCopies) {
  for (const char* name : {"LONG1.RIX", "LONG2.RIX", "LONG3.RIX"}) write(name, "SLEEP 100000\nEND");
  for (const bool whole_group : {false, true}) {
    SCOPED_TRACE(whole_group ? "signal to the process group" : "signal to the suite alone");
    const fs::path tmp = dir / (whole_group ? "tmp-group" : "tmp-suite");
    fs::create_directories(tmp);
    const std::string bin = std::string(ROKAN_BIN_DIR) + "/rokan-sim";
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setpgid(0, 0);
      ::setenv("TMPDIR", tmp.c_str(), 1);
      const int out = ::open((dir / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = ::open((dir / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (::chdir(dir.c_str()) != 0 || out < 0 || err < 0 || ::dup2(out, 1) < 0 ||
          ::dup2(err, 2) < 0)
        ::_exit(120);
      ::execl(bin.c_str(), "rokan-sim", "--workspace", "ws", "--run", "progs/LONG1.RIX",
              "progs/LONG2.RIX", "progs/LONG3.RIX", "--seconds", "100000", "--jobs", "2", "--junit",
              "report.xml", static_cast<char*>(nullptr));
      ::_exit(121);
    }
    ASSERT_GT(pid, 0);
    // Both runs have copied their workspace: the copies exist when the signal comes.
    const auto copies = [&] {
      std::size_t n = 0;
      std::error_code ec;
      for (fs::recursive_directory_iterator it(tmp, ec), end; !ec && it != end; it.increment(ec))
        n += it->path().filename() == "rix";
      return n;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (copies() < 2 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(copies(), 2u);
    ::kill(whole_group ? -pid : pid, SIGINT);

    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline + std::chrono::seconds(30))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == 0) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "the suite went on after SIGINT";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
    EXPECT_NE(slurp(dir / "err.txt").find("rokan-sim: stopped by signal 2"), std::string::npos)
        << slurp(dir / "err.txt");
    EXPECT_TRUE(fs::is_empty(tmp)) << "left behind in " << tmp;
    for (const std::string& name : files_in(dir))
      EXPECT_EQ(name.rfind("report.xml", 0), std::string::npos) << "a report of a stopped suite";
  }
}

}  // namespace
}  // namespace rokan::test
