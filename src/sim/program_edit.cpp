#include "sim/program_edit.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/controller.h"
#include "platform/file.h"
#include "rix/compiler/compiler.h"

namespace rokan {

std::string program_edit_dir(const Controller& c) {
  std::string dir = c.params.user_dir + c.params.rix_dir;
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

bool save_program_file(const Controller& c, const std::string& name, std::string_view bytes,
                       std::string& why) {
  ReplacingFile f(c.workspace, program_edit_dir(c) + name);
  const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && f.commit();
  if (!ok) why = std::strerror(errno);
  return ok;
}

bool compile_program_file(const Controller& c, const std::string& name, RixImage& image) {
  image.workspace = c.workspace;
  return rix_compile(image, program_edit_dir(c), name);
}

}  // namespace rokan
