// Whole RIX source files through the compiler: any bytes must end in a report line or success.
#include "fuzz/fuzz_support.h"
#include "rix/compiler/compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& dir = rokan::fuzz::fuzz_dir("rix");
  rokan::fuzz::write_file(dir / "FUZZ.RIX", data, size);
  static rokan::fuzz::KeyHost host;
  static rokan::Controller c{host};
  host.c = &c;
  static const std::string rix_dir = rokan::fuzz::controller_dir(dir);
  rokan::rix_compile(c.rix, rix_dir, "FUZZ.RIX");
  return 0;
}
