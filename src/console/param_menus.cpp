// The parameter menu, its group menus, and writing rokan.ini. Tolerances and the speed and
// acceleration limits are edited in the file values; they reach the control when <TOP> is left.
#include <cmath>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/menus.h"
#include "console/param_screens.h"
#include "core/controller.h"
#include "core/param_file.h"
#include "platform/text.h"

namespace rokan {
namespace {

void write_settings_file(Controller& c) {
  menu_line(c, format(SJ("初期設定ファイル(%s)を書き出します．").c_str(), "rokan.ini"));
  // The writer reports a failure at the write cursor: put it under the announcement.
  c.console.write_col = c.console.menu_col;
  c.console.write_line = c.console.menu_line;
  if (write_param_file(c)) menu_line(c, SJ("[完了]"));
  wait_key(c);
}

void parameter_top(Controller& c) {
  for (;;) {
    menu_heading(c, "<Parameter : TOP>");
    menu_blank(c);
    menu_line(c, "E: Error");
    menu_line(c, "G: Gain");
    menu_line(c, "L: Limit");
    menu_line(c, "S: Sampling");
    menu_line(c, "D: Directory");
    menu_footer(c);
    switch (menu_key(c)) {
      case 'Q':
        return;
      case 'E':
        param_error_group(c);
        break;
      case 'G':
        param_gain_group(c);
        break;
      case 'L':
        param_limit_group(c);
        break;
      case 'S':
        param_sampling_screen(c);
        break;
      case 'D':
        param_directory_screen(c);
        break;
      default:
        break;
    }
    if (program_ended(c)) return;
  }
}

}  // namespace

bool ask_value(Controller& c, double& v) {
  menu_line(c, "Value -> ");
  double entered;
  if (!input_number(c, entered) || !std::isfinite(entered)) return false;
  v = entered;
  return true;
}

void parameter_menu(Controller& c) {
  for (;;) {
    menu_heading(c, "<Parameter>");
    menu_blank(c);
    menu_line(c, SJ("C: 変更"));
    menu_line(c, format(SJ("W: 書き込み(->%s)").c_str(), "rokan.ini"));
    menu_footer(c);
    switch (menu_key(c)) {
      case 'Q':
        return;
      case 'C':
        parameter_top(c);
        break;
      case 'W':
        write_settings_file(c);
        break;
      default:
        break;
    }
    if (program_ended(c)) return;
  }
}

}  // namespace rokan
