// The stdin/stdout loop of rokan-sim --dap. One thread: between slices of the program's cycles
// it looks at standard input without waiting (poll with a zero timeout), and it waits on
// standard input only when nothing is due to run.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "dap/framing.h"
#include "dap/server.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;

// The workspace that ships with the program: beside the build's bin/ directory in a checkout
// (build/bin/rokan-sim -> workspace/), else the source tree the program was built from.
std::string bundled_workspace(const char* argv0) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) exe = fs::absolute(argv0, ec);
  const fs::path near = exe.parent_path().parent_path().parent_path() / "workspace";
  if (fs::is_regular_file(near / "user.ini", ec)) return near.string();
  return std::string(ROKAN_SOURCE_DIR) + "/workspace";
}

bool write_all(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int dap_main(const char* argv0) {
  bool write_failed = false;
  DapReader reader;
  DapServer server(
      [&](const nlohmann::json& message) {
        const std::string body =
            message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        if (!write_failed && !write_all(dap_frame(body))) {
          write_failed = true;
          std::fprintf(stderr, "rokan-sim: cannot write to the client: %s\n", std::strerror(errno));
        }
      },
      bundled_workspace(argv0));
  bool input_open = true;
  int wait_ms = -1;
  while (!server.done() && !write_failed) {
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const int ready = input_open ? ::poll(&p, 1, wait_ms) : 0;
    if (ready < 0 && errno != EINTR) {
      std::fprintf(stderr, "rokan-sim: cannot read the client: %s\n", std::strerror(errno));
      server.input_closed();
      return 1;
    }
    if (ready > 0) {
      char buf[65536];
      const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
      if (n > 0) {
        reader.feed(std::string_view(buf, static_cast<std::size_t>(n)));
        for (DapFrame f = reader.next(); f.kind != DapFrame::kNone && !server.done();
             f = reader.next()) {
          if (f.kind == DapFrame::kBody)
            server.handle(f.text);
          else
            server.bad_frame(f.text);
        }
      } else if (n == 0 || errno != EINTR) {
        input_open = false;
        server.input_closed();  // the client went away: end the run as on disconnect
        break;
      }
    }
    wait_ms = server.run_slice();
  }
  return write_failed ? 1 : 0;
}

}  // namespace rokan
