#include "sim/key_names.h"

#include <gtest/gtest.h>

#include "console/console.h"
#include "sim/batch.h"
#include "sim/script.h"
#include "sim/sim_test_support.h"

namespace rokan {
namespace {

// What a script's `key` line gives for `name`: the key code, negative for a refused name, and
// whether it arrives as a key release.
int script_key(const std::string& name, bool& release) {
  try {
    auto e = parse_script("key " + name + "\n");
    release = e.at(0).kind == EventKind::kKeyRelease;
    return e.at(0).code;
  } catch (const ScriptError&) {
    return -1;
  }
}

// What the batch `--key NAME@1` option gives for `name`, negative for a refused name.
int batch_key(const std::string& name) {
  test::Argv a({"--workspace", "w", "--auto", "1", "--key", name + "@1"});
  BatchOptions o;
  std::string error;
  if (!parse_batch_options(a.argc(), a.argv(), o, error)) return -1;
  return o.inputs.at(0).key;
}

TEST(KeyNames, ScriptAndBatchAcceptTheSameNamesInEitherCase) {
  const struct {
    const char* name;
    int code;
  } keys[] = {{"TAB", kKeyTab}, {"tab", kKeyTab},    {"ESC", kKeyEsc},     {"esc", kKeyEsc},
              {"CR", kKeyCr},   {"cr", kKeyCr},      {"SPACE", kKeySpace}, {"space", kKeySpace},
              {"a", 'a'},       {"E", 'E'},          {";", ';'},           {"~", '~'},
              {"Esc", -1},      {"ESCAPE", -1},      {"ab", -1},           {"", -1},
              {"\x7f", -1},     {"\xE3\x81\x82", -1}};
  for (const auto& k : keys) {
    bool release = false;
    EXPECT_EQ(script_key(k.name, release), k.code) << "script: '" << k.name << "'";
    EXPECT_EQ(batch_key(k.name), k.code) << "batch: '" << k.name << "'";
    if (k.code >= 0) {
      EXPECT_EQ(release, k.code == kKeyTab || k.code == kKeyEsc) << k.name;
      int code = -2;
      EXPECT_TRUE(parse_key_name(k.name, code));
      EXPECT_EQ(code, k.code);
    }
  }
}

}  // namespace
}  // namespace rokan
