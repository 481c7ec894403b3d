// rokan.ini contents through the parameter reader, then through the whole start-up sequence and
// a stretch of sampling cycles, so that values the reader accepts are also exercised by the
// state update, the servo and the safety monitor that use them.
#include "core/cycle.h"
#include "core/param_file.h"
#include "fuzz/fuzz_support.h"

namespace {

// The log-area size the file asks for, read the way start-up reads it.
long requested_log_records(const std::filesystem::path& dir) {
  rokan::fuzz::KeyHost host;
  rokan::Controller c{host, dir.string()};
  host.c = &c;
  rokan::set_default_params(c.params, c.sensor);
  rokan::read_param_file(c);
  return c.params.max_buf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto dir = rokan::fuzz::fuzz_dir("ini");
  rokan::fuzz::write_file(dir / "DEFAULT" / "init" / "rokan.ini", data, size);
  // A log area of millions of records is a legitimate request but exceeds the fuzzer's
  // allocation limit; its refusal is covered by the logger tests.
  if (requested_log_records(dir) > 100000) return 0;
  rokan::fuzz::KeyHost host;
  rokan::Controller c{host, dir.string()};
  host.c = &c;
  for (int i = 0; i < 300 && !c.cycle.terminated && !c.cycle.quitting; ++i)
    rokan::sampling_tick(c);  // the first runs start-up: login (Q keeps DEFAULT), rokan.ini
  rokan::terminate(c, 1);
  return 0;
}
