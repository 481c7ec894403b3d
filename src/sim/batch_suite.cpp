#include "sim/batch_suite.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "platform/stop_signals.h"
#include "platform/text.h"
#include "sim/batch.h"
#include "sim/junit.h"
#include "sim/run_expect.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kMaxJobs = 512;
constexpr int kMaxShards = 100000;
// Exit status of a child that could not set its run up (the copy of the workspace failed).
constexpr int kChildSetupFailed = 125;

bool fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

// A whole number in [lo, hi].
bool parse_count(std::string_view s, int lo, int hi, int& out) {
  if (s.empty() || s.size() > 9 ||
      !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  out = std::stoi(std::string(s));
  return out >= lo && out <= hi;
}

bool is_rix_name(const fs::path& p) {
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return ext == ".RIX";
}

std::string read_all(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

// The reason a run gave on its error stream: the compile error line FILE:LINE: error: TEXT when
// there is one, else the last line that is neither a warning nor a quoted source line. The
// controller's bells are dropped.
std::string reason_of(const std::string& err) {
  std::string clean;
  for (char c : err)
    if (c != '\a') clean += c;
  const std::vector<std::string> lines = split_lines(clean);
  for (const std::string& line : lines)
    if (line.find(": error: ") != std::string::npos) return line;
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (!it->empty() && (*it)[0] != ' ' && it->find(": warning: ") == std::string::npos) return *it;
  return "";
}

// The suite waits for a run to end or for a stop signal, whichever comes first: the SIGCHLD
// handler writes to a pipe of its own, and one poll watches it beside the stop signals' pipe.
int g_child_pipe[2] = {-1, -1};

extern "C" void on_child_ended(int) {
  const int saved = errno;
  [[maybe_unused]] ssize_t w = ::write(g_child_pipe[1], "c", 1);
  errno = saved;
}

class ChildWatch {
 public:
  ChildWatch() {
    if (::pipe(g_child_pipe) != 0) return;
    for (int fd : g_child_pipe) {
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
      ::fcntl(fd, F_SETFL, O_NONBLOCK);  // a full pipe must not block the handler
    }
    struct sigaction sa {};
    sa.sa_handler = on_child_ended;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    installed_ = ::sigaction(SIGCHLD, &sa, &previous_) == 0;
  }
  ~ChildWatch() {
    if (installed_) ::sigaction(SIGCHLD, &previous_, nullptr);
    for (int& fd : g_child_pipe) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }
  ChildWatch(const ChildWatch&) = delete;
  ChildWatch& operator=(const ChildWatch&) = delete;

  // Returns once a child may have ended or a stop signal may have come (the caller looks).
  void wait() {
    pollfd fds[2] = {{g_child_pipe[0], POLLIN, 0}, {stop_signal_fd(), POLLIN, 0}};
    // Without the pipe, a short nap stands in for it.
    ::poll(fds, 2, installed_ ? -1 : 10);
    char bytes[64];
    while (g_child_pipe[0] >= 0 && ::read(g_child_pipe[0], bytes, sizeof bytes) > 0) {
    }
    // The stop pipe is drained by whoever owns it; here only its readiness matters.
  }

 private:
  bool installed_ = false;
  struct sigaction previous_ {};
};

// One program of the suite: what it expects and, once it ran, what it did.
struct Entry {
  std::string file;  // as given (a directory's programs: the directory as given / the name)
  RunExpectations expect;
  Clock::time_point started;
  double seconds = 0;
  bool done = false;
  int status = 0;
  int signal = 0;  // the signal that ended the child, 0 when it exited
  std::string out, err;
};

// The child: copies the workspace and the program into `dir`, runs the program there with the
// standard streams in files and never returns.
[[noreturn]] void run_child(BatchOptions options, const Entry& entry, const fs::path& dir) {
  int status = kChildSetupFailed;
  try {
    const int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(status);
    std::error_code ec;
    fs::copy(options.workspace, dir / "ws", fs::copy_options::recursive, ec);
    if (ec) {
      std::fprintf(stderr, "rokan-sim: cannot copy the workspace '%s': %s\n",
                   options.workspace.c_str(), ec.message().c_str());
    } else {
      const fs::path program = dir / "rix" / fs::path(entry.file).filename();
      fs::create_directories(program.parent_path(), ec);
      if (!ec) fs::copy_file(entry.file, program, ec);
      if (ec) {
        std::fprintf(stderr, "rokan-sim: cannot copy the program '%s': %s\n", entry.file.c_str(),
                     ec.message().c_str());
      } else {
        options.workspace = (dir / "ws").string();
        options.rix_file = program.string();
        status =
            run_batch(options, rix_batch_program(options.rix_file, entry.file), stdout, stderr);
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rokan-sim: %s\n", e.what());
    status = kChildSetupFailed;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  ::_exit(status);
}

// The testcase of a finished program; `line` gets the one-line result for the console.
JunitCase verdict(const Entry& e, std::string& line) {
  JunitCase c;
  const fs::path path(e.file);
  c.name = path.filename().string();
  c.classname = path.parent_path().string();
  c.file = e.file;
  c.seconds = e.seconds;
  c.system_out = e.out;
  c.system_err = e.err;
  if (e.signal != 0) {
    c.result = JunitCase::kError;
    c.type = "crash";
    c.message = std::string("the run died of signal ") + std::to_string(e.signal) + " (" +
                strsignal(e.signal) + ")";
  } else if (e.status == kChildSetupFailed) {
    c.result = JunitCase::kError;
    c.type = "setup";
    c.message = reason_of(e.err);
  } else {
    RunOutcome run{e.status, e.status == kBatchEnded ? "" : reason_of(e.err), split_lines(e.out)};
    c.message = check_run_expectations(e.expect, run);
    if (!c.message.empty()) {
      c.result = JunitCase::kFailure;
      // The kind of run it was, whatever was expected of it.
      const bool compile = run.reason.find(": error: ") != std::string::npos;
      c.type = e.status == kBatchEmg       ? "emg"
               : compile                   ? "compile"
               : e.status == kBatchTimeout ? "timeout"
               : e.status == kBatchEnded   ? "ended"
                                           : "exit";
    }
  }
  c.detail = c.result == JunitCase::kPassed ? "" : c.message + "\n\n" + e.err;
  char time[32];
  std::snprintf(time, sizeof time, "%.2f s", e.seconds);
  line = std::string(c.result == JunitCase::kPassed ? "ok    " : "FAIL  ") + e.file + "  " + time;
  if (c.result != JunitCase::kPassed) line += "\n      " + c.message;
  return c;
}

std::string local_timestamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

std::string host_name() {
  char buf[256] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return "localhost";
  return buf;
}

// The report is written to a temporary file beside FILE, made before anything runs (so an
// unwritable path stops the suite at once) and renamed over FILE at the end, so a report is
// never left half written.
class ReportFile {
 public:
  bool open(const std::string& path, std::string& error) {
    path_ = path;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return fail(error, "--junit: '" + path + "' is a directory");
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0)
      return fail(error, "--junit: cannot write '" + path + "': " + std::strerror(EACCES));
    temp_ = path + ".XXXXXX";
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0)
      return fail(error, "--junit: cannot write '" + path + "': " + std::strerror(errno));
    return true;
  }
  bool commit(const std::string& text, std::string& error) {
    std::size_t done = 0;
    while (done < text.size()) {
      ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return failed(error);
      done += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file readable by its owner only; a report is an ordinary file.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd_, 0666 & ~mask) != 0 || ::close(fd_) != 0) {
      fd_ = -1;
      return failed(error);
    }
    fd_ = -1;
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) return failed(error);
    temp_.clear();
    return true;
  }
  ~ReportFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }

 private:
  bool failed(std::string& error) {
    return fail(error, "cannot write the JUnit report '" + path_ + "': " + std::strerror(errno));
  }
  std::string path_, temp_;
  int fd_ = -1;
};

}  // namespace

bool parse_suite_options(int argc, char** argv, SuiteOptions& out, std::string& error) {
  out = SuiteOptions{};
  bool has_shard = false, has_jobs = false, is_auto = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view opt = argv[i];
    const bool has_value = i + 1 < argc;
    if (opt == "--run") {
      // The values run up to the next option, so a shell pattern can name many programs.
      while (i + 1 < argc && std::string_view(argv[i + 1]).substr(0, 2) != "--")
        out.paths.emplace_back(argv[++i]);
      continue;
    }
    if (opt != "--junit" && opt != "--shard" && opt != "--jobs") {
      is_auto = is_auto || opt == "--auto";
      out.rest.emplace_back(opt);
      continue;
    }
    if (!has_value) return fail(error, std::string(opt) + " needs a value");
    const std::string_view arg = argv[++i];
    if (opt == "--junit") {
      if (!out.junit.empty() || arg.empty()) return fail(error, "--junit takes one FILE");
      out.junit = arg;
    } else if (opt == "--shard") {
      const std::size_t slash = arg.find('/');
      if (has_shard || slash == std::string_view::npos ||
          !parse_count(arg.substr(slash + 1), 1, kMaxShards, out.shards) ||
          !parse_count(arg.substr(0, slash), 1, out.shards, out.shard))
        return fail(error, "--shard takes K/N, the K-th of N shards with K from 1 to N, not '" +
                               std::string(arg) + "'");
      has_shard = true;
    } else {
      if (has_jobs || !parse_count(arg, 1, kMaxJobs, out.jobs))
        return fail(error, "--jobs takes a number of processes from 1 to " +
                               std::to_string(kMaxJobs) + ", not '" + std::string(arg) + "'");
      has_jobs = true;
    }
  }
  std::error_code ec;
  out.suite = out.paths.size() > 1 || !out.junit.empty() || has_shard || has_jobs ||
              (out.paths.size() == 1 && fs::is_directory(out.paths[0], ec));
  if (out.suite && is_auto) return fail(error, "--junit, --shard and --jobs go with --run only");
  if (out.suite && out.paths.empty()) return fail(error, "--run takes RIX files or directories");
  return true;
}

bool suite_programs(const std::vector<std::string>& paths, int shard, int shards,
                    std::vector<std::string>& out, std::string& error) {
  std::vector<std::string> all;
  for (const std::string& p : paths) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
      std::vector<std::string> found;
      for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec))
        if (is_rix_name(it->path()) && it->is_regular_file(ec))
          found.push_back((fs::path(p) / it->path().filename()).string());
      if (ec) return fail(error, "--run: cannot list the directory '" + p + "': " + ec.message());
      if (found.empty())
        return fail(error, "--run: the directory '" + p + "' holds no *.RIX programs");
      all.insert(all.end(), found.begin(), found.end());
    } else if (fs::is_regular_file(p, ec)) {
      all.push_back(p);
    } else {
      return fail(error, "--run: no RIX file or directory '" + p + "'");
    }
  }
  std::sort(all.begin(), all.end());
  // The same program named twice (as a file and through its directory, say) runs once.
  std::set<std::string> seen;
  std::vector<std::string> unique;
  for (const std::string& p : all) {
    std::error_code ec;
    std::string key = fs::weakly_canonical(p, ec).string();
    if (seen.insert(ec ? p : key).second) unique.push_back(p);
  }
  out.clear();
  for (std::size_t i = static_cast<std::size_t>(shard - 1); i < unique.size();
       i += static_cast<std::size_t>(shards))
    out.push_back(unique[i]);
  return true;
}

// A stop signal came: the runs still going are ended at once (their copies of the workspace are
// thrown away, so nothing of theirs is worth waiting for) and reaped. Further stop signals wait
// until the copies are gone; the process then ends with 128 + the first signal.
static void stop_suite(const std::map<pid_t, std::size_t>& running) {
  sigset_t stops;
  sigemptyset(&stops);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, s);
  ::sigprocmask(SIG_BLOCK, &stops, nullptr);
  for (const auto& [pid, i] : running) ::kill(pid, SIGKILL);
  for (const auto& [pid, i] : running) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

int suite_main(int argc, char** argv, std::FILE* out, std::FILE* err) {
  SuiteOptions suite;
  std::string error;
  const auto usage = [&](const std::string& why) {
    std::fprintf(err, "rokan-sim: %s\n%s", why.c_str(), rokan_sim_usage());
    return static_cast<int>(kBatchUsage);
  };
  if (!parse_suite_options(argc, argv, suite, error)) return usage(error);
  if (!suite.suite) return kNotASuite;

  // The options of every program's run are checked once, with a stand-in for the program.
  std::vector<std::string> args = suite.rest;
  args.insert(args.begin(), "rokan-sim");
  args.insert(args.end(), {"--run", "PROGRAM.RIX"});
  std::vector<char*> ptrs;
  for (std::string& a : args) ptrs.push_back(a.data());
  BatchOptions options;
  if (!parse_batch_options(static_cast<int>(ptrs.size()), ptrs.data(), options, error))
    return usage(error);
  std::error_code ec;
  if (!fs::is_directory(options.workspace, ec))
    return usage("cannot enter the workspace '" + options.workspace + "'");

  std::vector<std::string> files;
  if (!suite_programs(suite.paths, suite.shard, suite.shards, files, error)) return usage(error);
  std::vector<Entry> entries(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    entries[i].file = files[i];
    std::ifstream in(files[i], std::ios::binary);
    if (!in) return usage("--run: cannot read '" + files[i] + "'");
    if (!parse_run_expectations(cp932_to_utf8(read_all(files[i])), entries[i].expect, error))
      return usage(files[i] + ": " + error);
  }

  ReportFile report;
  if (!suite.junit.empty() && !report.open(suite.junit, error)) return usage(error);
  ChildWatch watch;
  std::string root = (fs::temp_directory_path(ec) / "rokan-sim-XXXXXX").string();
  if (ec || !mkdtemp(root.data()))
    return usage("cannot make a temporary directory: " + std::string(std::strerror(errno)));

  JunitSuite report_data{"rokan-sim", local_timestamp(), host_name(), 0, {}};
  const Clock::time_point suite_start = Clock::now();
  const std::size_t jobs = static_cast<std::size_t>(suite.jobs > 0 ? suite.jobs : cores());
  std::map<pid_t, std::size_t> running;
  std::size_t next = 0, printed = 0;
  int failed = 0;
  const auto run_dir = [&](std::size_t i) { return fs::path(root) / std::to_string(i); };
  while (printed < entries.size()) {
    if (const int sig = stop_signal()) {
      stop_suite(running);
      fs::remove_all(root, ec);
      std::fprintf(err, "rokan-sim: stopped by signal %d (%s) after %zu of %zu programs\n", sig,
                   strsignal(sig), printed, entries.size());
      return signal_exit_status(sig);  // the report's temporary file goes with `report`
    }
    while (running.size() < jobs && next < entries.size()) {
      Entry& e = entries[next];
      fs::create_directories(run_dir(next), ec);
      std::fflush(nullptr);  // the child must not write the parent's buffers again
      e.started = Clock::now();
      const pid_t pid = ec ? -1 : fork();
      if (pid == 0) run_child(options, e, run_dir(next));
      if (pid < 0) {
        if (!running.empty()) break;  // try again when a run has ended
        e.done = true;
        e.status = kChildSetupFailed;
        e.err = "rokan-sim: cannot start a run: " + std::string(std::strerror(errno)) + "\n";
      } else {
        running[pid] = next;
      }
      ++next;
    }
    if (!running.empty()) {
      int status = 0;
      const pid_t pid = waitpid(-1, &status, WNOHANG);
      if (pid == 0 || (pid < 0 && errno == EINTR)) {
        watch.wait();
        continue;
      }
      if (pid < 0) {
        // Our children are gone without a status (someone else reaped them): say so.
        for (const auto& [child, i] : running) {
          entries[i].done = true;
          entries[i].status = kChildSetupFailed;
          entries[i].err =
              "rokan-sim: the run's status was lost: " + std::string(std::strerror(errno)) + "\n";
        }
        running.clear();
        continue;
      }
      auto it = running.find(pid);
      if (it == running.end()) continue;
      Entry& e = entries[it->second];
      running.erase(it);
      e.seconds = std::chrono::duration<double>(Clock::now() - e.started).count();
      e.done = true;
      e.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
      e.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      const fs::path dir = run_dir(static_cast<std::size_t>(&e - entries.data()));
      e.out = read_all(dir / "out");
      e.err = read_all(dir / "err");
      fs::remove_all(dir, ec);
    }
    // Results go out in the sorted order, whatever order the runs end in.
    while (printed < entries.size() && entries[printed].done) {
      std::string line;
      report_data.cases.push_back(verdict(entries[printed++], line));
      failed += report_data.cases.back().result != JunitCase::kPassed;
      std::fprintf(out, "%s\n", line.c_str());
      std::fflush(out);
    }
  }
  fs::remove_all(root, ec);
  report_data.seconds = std::chrono::duration<double>(Clock::now() - suite_start).count();
  std::fprintf(out, "%zu programs: %zu passed, %d failed (%.2f s)\n", entries.size(),
               entries.size() - static_cast<std::size_t>(failed), failed, report_data.seconds);
  std::fflush(out);
  if (!suite.junit.empty() && !report.commit(junit_xml(report_data), error)) {
    std::fprintf(err, "rokan-sim: %s\n", error.c_str());
    return kBatchUsage;
  }
  return failed > 0 ? kBatchEmg : kBatchEnded;
}

}  // namespace rokan
