// The RIX program list of the AUTO menu: the *.RIX sources of the user's RIX directory, ten to a
// page, each with the number of its first line and the comment of its second.
#pragma once

#include <string>
#include <vector>

namespace rokan {

struct Controller;

struct RixSourceEntry {
  std::string file;     // file name (CP932), without directory
  double number = 0;    // first line, read as a number
  std::string comment;  // second line, blanks stripped
};

// Entries page*10 .. page*10+9 of the user's RIX directory; the list stops at the first source
// that cannot be opened.
std::vector<RixSourceEntry> rix_source_page(const Controller& c, int page);

// The paged list; a chosen file becomes the RIX program file name.
void rix_program_list(Controller& c);

}  // namespace rokan
