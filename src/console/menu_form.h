// The screen form shared by every console menu: heading at column 10 of line 2, item lines at
// column 5 below it, then "Q : Quit" and "Input -> ". The menu cursor of the console state
// (column and line) is advanced line by line, so a prompt printed after the form lands on the
// next free line.
#pragma once

#include <string_view>

namespace rokan {

struct Controller;

// text_clear, then the heading at (10, 2); the cursor moves to column 5 of line 3.
void menu_heading(Controller& c, std::string_view heading);
// Prints text at the cursor and moves to the next line.
void menu_line(Controller& c, std::string_view text);
// Prints text at `col` of the cursor's line and moves to the next line.
void menu_line_at(Controller& c, int col, std::string_view text);
void menu_blank(Controller& c);
// A blank line, "Q : Quit" when `with_quit`, a blank line, "Input -> ".
void menu_footer(Controller& c, bool with_quit = true);
// wait_key, upper-cased.
int menu_key(Controller& c);
// The end routine ran inside the menu (bad user file, failed log write): menus must unwind.
bool program_ended(const Controller& c);

}  // namespace rokan
