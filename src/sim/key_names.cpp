#include "sim/key_names.h"

#include "console/console.h"

namespace rokan {
namespace {

struct NamedKey {
  std::string_view upper;
  std::string_view lower;
  int code;
};

constexpr NamedKey kNamedKeys[] = {
    {"TAB", "tab", kKeyTab},
    {"ESC", "esc", kKeyEsc},
    {"CR", "cr", kKeyCr},
    {"SPACE", "space", kKeySpace},
};

}  // namespace

bool parse_key_name(std::string_view name, int& code) {
  for (const NamedKey& k : kNamedKeys) {
    if (name == k.upper || name == k.lower) {
      code = k.code;
      return true;
    }
  }
  if (name.size() == 1 && name[0] > ' ' && name[0] < 0x7F) {
    code = name[0];
    return true;
  }
  return false;
}

}  // namespace rokan
