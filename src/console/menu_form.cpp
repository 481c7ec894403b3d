#include "console/menu_form.h"

#include <cctype>

#include "console/console.h"
#include "core/controller.h"

namespace rokan {

void menu_heading(Controller& c, std::string_view heading) {
  text_clear(c);
  c.console.menu_col = 10;
  c.console.menu_line = 2;
  menu_line(c, heading);
  c.console.menu_col = 5;
}

void menu_line(Controller& c, std::string_view text) {
  text_put(c, c.console.menu_col, c.console.menu_line++, text);
}

void menu_line_at(Controller& c, int col, std::string_view text) {
  text_put(c, col, c.console.menu_line++, text);
}

void menu_blank(Controller& c) {
  ++c.console.menu_line;
}

void menu_footer(Controller& c, bool with_quit) {
  menu_blank(c);
  if (with_quit) menu_line(c, "Q : Quit");
  menu_blank(c);
  menu_line(c, "Input -> ");
}

int menu_key(Controller& c) {
  return std::toupper(static_cast<unsigned char>(wait_key(c)));
}

bool program_ended(const Controller& c) {
  return c.cycle.terminated;
}

}  // namespace rokan
