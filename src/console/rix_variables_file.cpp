#include "console/rix_variables_file.h"

#include <cstdio>

#include "console/console.h"
#include "core/controller.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

void put_value(std::FILE* f, double v) {
  if (v == kRixUnset)
    std::fputs("\tNAN", f);
  else
    std::fprintf(f, "\t%lf", v);
}

void put_vectors(std::FILE* f, const char* kind, const std::vector<RixVectorVar>& table) {
  for (const RixVectorVar& v : table) {
    std::fprintf(f, "%s\t%s", kind, v.name.c_str());
    for (double x : v.value) put_value(f, x);
    std::fputc('\n', f);
  }
}

}  // namespace

// Named after the program the tables came from, next to its source: the AUTO menu may already
// have chosen another program, and the RIX directory may have changed since the compile.
std::string rix_variables_path(const Controller& c) {
  const std::string& program = c.rix.loaded_name;
  const std::size_t dot = program.rfind('.');
  const std::string base = dot == std::string::npos ? program : program.substr(0, dot);
  return c.rix.rix_path + base + ".VAR";
}

bool write_rix_variables(const Controller& c) {
  File f = File::open(c.workspace, rix_variables_path(c), "w");
  if (!f) return false;
  const RixImage& image = c.rix;
  std::fprintf(f, "RIX_PROGRAM\t%s\n", image.loaded_name.c_str());
  std::fputs("KIND\tNAME\tVALUE1\tVALUE2\tVALUE3\n", f);
  for (const RixVar& v : image.vars) {
    std::fprintf(f, "VAR\t%s", v.name.c_str());
    put_value(f, v.value);
    std::fputc('\n', f);
  }
  put_vectors(f, "POS", image.pos);
  put_vectors(f, "JNT", image.jnt);
  return f.close();
}

void rix_variables_menu_item(Controller& c) {
  if (c.rix.loaded_name.empty()) {  // nothing compiled, or the last compile failed
    msg_set_status_line(c, SJ("RIX変数がありません(RIXプログラムが未コンパイルです)．"));
    return;
  }
  const std::string path = rix_variables_path(c);
  const char* done = write_rix_variables(c) ? SJ("RIX変数を書き出しました: %s").c_str()
                                            : SJ("RIX変数を書き出せません: %s").c_str();
  msg_set_status_line(c, format(done, path.c_str()));
}

}  // namespace rokan
