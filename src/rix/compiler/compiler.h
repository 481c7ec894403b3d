// The RIX compiler: turns one source file into the program image, in four passes that exchange
// FORMAL.TMP, VARIABLE.TMP and LABEL.TMP in the RIX directory, writes warnings to WARNING.LOG
// there and, on success, the readable dump rix.obj. It works on the program image alone, so
// the AUTO start, the rixc tool and the tests call the same code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rix/compiler/image.h"

namespace rokan {

// Compiles rix_path + source_name into `image` (rix_path is a controller directory ending in a
// backslash, or empty; both are CP932). A relative rix_path is in image.workspace (see
// rooted_path; empty: the directory the process was started in). The compiler writes only the
// fixed work files, WARNING.LOG and rix.obj, all in rix_path.
//
// True on success: the tables are ready, image.phase is PHASE4, image.warning_code is non-zero
// when WARNING.LOG has lines. False on failure: image.error_code and image.error_text hold the
// report line, image.error_line the source line it concerns (0 when none), and every table is
// freed (phase RIX_NONE).
bool rix_compile(RixImage& image, std::string_view rix_path, std::string_view source_name);

// Compiles `text` (CP932), a condition as IF, WHILE and UNTIL take it, against the variables of
// the compiled `program`, which is not changed. True with `out` an UNTIL_* instruction whose
// slots 0 and 1 (or slot 0, an event flag) hold the condition; false with the compiler's message
// for it in `error` (CP932).
bool rix_compile_condition(const RixImage& program, std::string_view text, RixInstruction& out,
                           std::string& error);

// The words that begin a statement, as the compiler recognises them (upper case): editors
// highlight them from this list so that it cannot differ from what the compiler takes.
std::vector<std::string_view> rix_statement_keywords();

// The rix.obj text of the compiled image.
std::string rix_dump_text(const RixImage& image);
// Writes rix.obj into image.rix_path; false, with errno saying why, when the file cannot be
// created or a write, the flush or the close failed.
bool rix_write_dump(const RixImage& image);

}  // namespace rokan
