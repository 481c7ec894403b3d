// user.ini contents through the login screen, which reads it from the workspace.
#include "console/menus.h"
#include "core/param_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto dir = rokan::fuzz::fuzz_dir("user");
  rokan::fuzz::write_file(dir / "user.ini", data, size);
  rokan::fuzz::KeyHost host;
  rokan::Controller c{host, dir.string()};
  host.c = &c;
  rokan::set_default_params(c.params, c.sensor);
  rokan::login_screen(c);
  return 0;
}
