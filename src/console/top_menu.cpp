// The <TOP> menu: root of the console menus, run inside a sampling tick from EMG mode. The
// information display is off while it runs so that the periodic refresh does not overwrite it.
#include "console/console.h"
#include "console/menu_form.h"
#include "console/menus.h"
#include "core/controller.h"
#include "core/param_file.h"
#include "platform/text.h"

namespace rokan {
namespace {

void draw(Controller& c) {
  menu_heading(c, SJ("<TOP>：サーボスイッチを全てＯＦＦにして下さい．"));
  menu_line(c, "M : Manual mode");
  menu_line(c, "O : Origin mode");
  menu_line(c, "A : Auto mode");
  menu_line(c, "E : Emg mode");
  menu_line(c, "P : Parameter");
  menu_line(c, "L : Login");
  menu_footer(c);
}

}  // namespace

void top_menu(Controller& c) {
  const uint8_t saved_display = c.console.info_display;
  c.console.info_display = 0;
  for (;;) {
    draw(c);
    int key = menu_key(c);
    if (key == 'Q') break;
    switch (key) {
      case 'M':
        manual_menu(c);
        break;
      case 'O':
        origin_menu(c);
        break;
      case 'A':
        auto_menu(c);
        break;
      case 'E':
        emg_menu(c);
        break;
      case 'P':
        parameter_menu(c);
        break;
      case 'L':
        if (!login_screen(c)) return;
        read_param_file(c);
        copy_file_to_active(c.params);
        break;
      default:
        break;
    }
    if (program_ended(c)) return;
  }
  text_clear(c);
  c.console.info_display = saved_display;
  msg_paint(c);
  copy_file_to_active(c.params);
}

}  // namespace rokan
