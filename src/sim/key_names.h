// The key names of the rokan-sim front ends: a script's `key` line and the batch `--key` option
// read keys through this one parser, so both accept the same names.
#pragma once

#include <string_view>

namespace rokan {

// One printable ASCII character (the key of that character), or one of the names TAB, ESC, CR,
// SPACE, written all in capitals or all in small letters. Sets `code` to the key code the
// controller receives; false, with `code` unchanged, for anything else.
bool parse_key_name(std::string_view name, int& code);

}  // namespace rokan
