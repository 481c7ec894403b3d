// rixc: compiles a RIX source from the command line, as the AUTO start does, with the file's own
// directory as the RIX directory (work files, WARNING.LOG and rix.obj are written there).
//
//   rixc [--dump] FILE.RIX
//
// On error it prints the report line, then the error in the form editors understand
// (FILE:LINE: error: TEXT) with the failing source line, and exits 1. On success it prints the
// warnings (and with --dump the rix.obj text) and exits 0. Wrong arguments exit 2. Output is
// UTF-8; the files themselves stay CP932.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"

namespace {

using namespace rokan;

int usage() {
  std::fputs("usage: rixc [--dump] FILE.RIX\n", stderr);
  return 2;
}

void print_utf8(std::FILE* out, std::string_view cp932) {
  std::string text = cp932_to_utf8(cp932);
  std::fwrite(text.data(), 1, text.size(), out);
}

// The whole content of a controller file, or "" when it cannot be read.
std::string read_file(const std::string& path) {
  std::string text;
  read_whole_file({}, path, text);
  return text;
}

// The message of a report line "[PHASE]NNNN: message".
std::string_view message_of(std::string_view report) {
  std::size_t bracket = report.find(']');
  std::size_t colon = report.find(": ", bracket == std::string_view::npos ? 0 : bracket);
  return colon == std::string_view::npos ? report : report.substr(colon + 2);
}

}  // namespace

int main(int argc, char** argv) {
  bool dump = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--dump") {
      dump = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage();
    } else if (file) {
      return usage();
    } else {
      file = argv[i];
    }
  }
  if (!file) return usage();

  std::filesystem::path path(file);
  std::string dir = path.parent_path().string();
  std::string rix_path = dir.empty() ? std::string() : controller_path(dir);
  if (!rix_path.empty() && rix_path.back() != '\\') rix_path += '\\';
  std::string source = controller_path(path.filename().string());

  RixImage image;
  if (!rix_compile(image, rix_path, source)) {
    print_utf8(stderr, image.error_text);
    std::fputc('\n', stderr);
    std::string where = image.error_line > 0 ? format("%s:%d", file, image.error_line) : file;
    std::fprintf(stderr, "%s: error: ", where.c_str());
    print_utf8(stderr, message_of(image.error_text));
    std::fputc('\n', stderr);
    std::string line;
    if (image.error_line > 0 &&
        rix_read_source_line({}, rix_path + source, image.error_line, line)) {
      std::fprintf(stderr, "%5d | ", image.error_line);
      print_utf8(stderr, line);
      std::fputc('\n', stderr);
    }
    return 1;
  }
  if (image.warning_code != 0) print_utf8(stdout, read_file(rix_path + kRixWarningFile));
  if (dump) print_utf8(stdout, read_file(rix_path + kRixDumpFile));
  return 0;
}
