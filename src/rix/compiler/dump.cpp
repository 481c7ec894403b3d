#include <cerrno>
#include <charconv>

#include "platform/file.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"

namespace rokan {
namespace {

const char* or_empty(const char* s) {
  return s ? s : "";
}

// "%lf" without depending on the C locale's decimal point.
void append_fixed6(std::string& out, double v) {
  char buf[512];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
  out.append(buf, res.ptr);
}

}  // namespace

std::string rix_dump_text(const RixImage& image) {
  std::string out;
  for (std::size_t i = 0; i < image.instructions.size(); ++i) {
    const RixInstruction& r = image.instructions[i];
    out += format("[%dLine]\n", static_cast<int>(i));
    out += format("Cmd      = %s\n", or_empty(rix_command_name(r.command)));
    out += format("Target   = %s\n", or_empty(rix_target_name(r.target)));
    for (int a = 0; a < kRixArgs; ++a) {
      out += format("ArgType %1d = %s\n", a, or_empty(rix_arg_name(r.arg_type[a])));
    }
    for (int a = 0; a < kRixArgs; ++a) {
      out += format("ArgValue%1d = ", a);
      append_fixed6(out, r.arg_value[a]);
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

bool rix_write_dump(const RixImage& image) {
  File f = File::open(image.workspace, image.rix_path + kRixDumpFile, "w");
  if (!f) return false;
  const std::string text = rix_dump_text(image);
  if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
    const int reason = errno;  // closing must not replace the write's own reason
    f.reset();
    errno = reason;
    return false;
  }
  return f.close();
}

}  // namespace rokan
