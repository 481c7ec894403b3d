// The <TOP> menu: root of the console menus, run inside a sampling tick from EMG mode. The
// information display is off while it runs so that the periodic refresh does not overwrite it.
#include <utility>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/menus.h"
#include "core/controller.h"
#include "core/logger.h"
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

// Reads the new user's rokan.ini. When it names another MAX_BUF, the log area is allocated
// again at that size; the records waiting in it are written first, with the settings they were
// recorded under (the previous user's directories and sampling period). If that write fails,
// the area keeps its size and its records until the sampling menu's W succeeds.
void read_user_params(Controller& c, const Params& before) {
  read_param_file(c);
  copy_file_to_active(c.params);
  if (!c.logger.area || c.params.max_buf == c.logger.capacity) return;
  if (c.logger.count != 0) {
    Params now = c.params;
    c.params = before;
    const bool written = write_log_file(c);
    c.params = std::move(now);
    if (!written) return;
  }
  allocate_log_area(c);
}

}  // namespace

void top_menu(Controller& c) {
  const uint8_t saved_display = c.console.info_display;
  c.console.info_display = false;
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
      case 'L': {
        const Params saved = c.params;
        if (!login_screen(c)) return;
        read_user_params(c, saved);
        break;
      }
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
