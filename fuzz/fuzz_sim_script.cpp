// rokan-sim scripts through the parser: a bad script is a ScriptError naming its line.
#include <string_view>

#include "sim/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    rokan::parse_script(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const rokan::ScriptError&) {
  }
  return 0;
}
