// rkn_org.ini contents through the origin file reader.
#include "console/origin_file.h"
#include "core/param_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& dir = rokan::fuzz::fuzz_dir("origin");
  rokan::fuzz::KeyHost host;
  rokan::Controller c{host};
  host.c = &c;
  rokan::set_default_params(c.params, c.sensor);
  c.params.user_dir = rokan::fuzz::controller_dir(dir / "DEFAULT");
  rokan::fuzz::write_file(rokan::local_path(rokan::origin_file_path(c.params)), data, size);
  rokan::read_origin_file(c);
  return 0;
}
