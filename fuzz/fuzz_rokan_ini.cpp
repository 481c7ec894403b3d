// rokan.ini contents through the parameter reader.
#include "core/param_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& dir = rokan::fuzz::fuzz_dir("ini");
  rokan::fuzz::write_file(dir / "DEFAULT" / "init" / "rokan.ini", data, size);
  rokan::fuzz::KeyHost host;
  rokan::Controller c{host};
  host.c = &c;
  rokan::set_default_params(c.params, c.sensor);
  c.params.user_dir = rokan::fuzz::controller_dir(dir / "DEFAULT");
  rokan::read_param_file(c);
  return 0;
}
