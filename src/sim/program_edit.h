// The RIX program window's file operations: saving an edited program and compiling it. The
// window and the script lines that replay a recorded session (`save`, `compile`) both go through
// these, so a replay writes the same bytes to the same file and compiles it the same way.
#pragma once

#include <string>
#include <string_view>

#include "rix/compiler/image.h"

namespace rokan {

struct Controller;

// The RIX directory of the logged-in user as the window uses it (controller path, CP932,
// ending in a backslash).
std::string program_edit_dir(const Controller& c);

// Puts `bytes` (CP932) in place of the file `name` of that directory; written beside it and
// renamed over it, so a failed save leaves the old file whole. False with the reason (errno
// text) in `why`.
bool save_program_file(const Controller& c, const std::string& name, std::string_view bytes,
                       std::string& why);

// Compiles `name` of that directory as rixc does, into `image` (not the controller's program:
// a running program is not touched). The compiler writes its work files and WARNING.LOG.
bool compile_program_file(const Controller& c, const std::string& name, RixImage& image);

}  // namespace rokan
