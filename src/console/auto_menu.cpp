// The AUTO menu: the registered AUTO programs, the RIX variables written to a file and the
// choice of the RIX program file.
#include "auto/auto_program.h"
#include "console/console.h"
#include "console/menu_form.h"
#include "console/menus.h"
#include "console/rix_program_list.h"
#include "console/rix_variables_file.h"
#include "core/controller.h"
#include "platform/text.h"

namespace rokan {
namespace {

void show_programs(Controller& c) {
  for (int n = 0; n < kAutoProgramCount; ++n)
    menu_line(c, format("No.%1d = %s", n, auto_program_name(n).c_str()));
  wait_key(c);
}

}  // namespace

void auto_menu(Controller& c) {
  for (;;) {
    menu_heading(c, "<AUTO MODE>");
    menu_blank(c);
    menu_line(c, SJ("1: (AUTO) 登録されているAUTOプログラム名の表示"));
    menu_line(c, SJ("2: (RIX)  全変数のファイルへの書き出し"));
    menu_line(c, format(SJ("3: (RIX)  RIXプログラム一覧＆選択       (%s)").c_str(),
                        c.rix.source_name.c_str()));
    menu_footer(c);
    switch (menu_key(c)) {
      case 'Q':
        return;
      case '1':
        show_programs(c);
        break;
      case '2':
        rix_variables_menu_item(c);
        break;
      case '3':
        rix_program_list(c);
        break;
      default:
        break;
    }
  }
}

}  // namespace rokan
