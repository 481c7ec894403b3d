// Writing every variable of the RIX program image to a text file (AUTO menu item 2).
#pragma once

#include <string>

namespace rokan {

struct Controller;

// "<user dir><RIX dir><program>.VAR" for the program whose variables the image holds.
std::string rix_variables_path(const Controller& c);

// Writes the variable tables of the program image, tab-separated (CP932):
//   RIX_PROGRAM <tab> ROKAN.RIX
//   KIND <tab> NAME <tab> VALUE1 <tab> VALUE2 <tab> VALUE3
//   VAR <tab> name <tab> value                  (DEF_VAR, table order; then DEF_POS, DEF_JNT)
//   POS <tab> name <tab> x <tab> y <tab> z      (mm)
//   JNT <tab> name <tab> j1 <tab> j2 <tab> j3   (degrees)
// Values are "%lf"; a variable never assigned shows NAN. False when the file cannot be written.
bool write_rix_variables(const Controller& c);

// AUTO menu item 2: writes the file and says on the status line where it went, or why not.
void rix_variables_menu_item(Controller& c);

}  // namespace rokan
