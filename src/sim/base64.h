// Base64 (RFC 4648, with padding) for bytes carried on one script line: a program file saved
// during a recorded session.
#pragma once

#include <string>
#include <string_view>

namespace rokan {

std::string base64_encode(std::string_view bytes);
// False when `text` is not padded base64 of the standard alphabet (nothing else, no blanks).
bool base64_decode(std::string_view text, std::string& bytes);

}  // namespace rokan
