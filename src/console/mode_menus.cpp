// The MANUAL, ORIGIN and EMG menus of <TOP>. They change settings of the modes (MANUAL control
// mode, origins, EMG enable); none of them switches the operating mode itself.
#include <cerrno>
#include <cstring>
#include <string>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/menus.h"
#include "console/origin_file.h"
#include "core/controller.h"
#include "platform/text.h"

namespace rokan {
namespace {

const char* manual_mode_name(int sub_mode) {
  switch (sub_mode) {
    case 0:
      return "DISABLE";
    case 1:
      return "Leg Position";
    case 2:
      return "Joint Angle";
    case 3:
      return "Joint Torque";
    case 4:
      return "Leg Velocity";
    case 5:
      return "Joint Omega";
    default:
      return "Abnormal!!!!";
  }
}

// Appends text to the line printed last, as a result after its announcement.
void append_to_last_line(Controller& c, std::string_view text) {
  const int line = c.console.menu_line - 1;
  const int end_col = static_cast<int>(c.console.screen[line].size()) + 1;
  text_put(c, end_col, line, text);
}

void origin_read(Controller& c) {
  menu_line(c, SJ("原点記憶fileを読み込みます．"));
  append_to_last_line(c, read_origin_file(c) ? SJ("[完了]") : "Can not read [rkn_org.ini].");
  wait_key(c);
}

void origin_write(Controller& c) {
  menu_line(c, SJ("原点記憶fileを書き込みます．"));
  // The reason a write failed follows the message: a full disk and a read-only directory need
  // different mending.
  append_to_last_line(c, write_origin_file(c)
                             ? SJ("[完了]")
                             : std::string("Can not write [rkn_org.ini]. ") + std::strerror(errno));
  wait_key(c);
}

void origin_show(Controller& c) {
  menu_blank(c);
  for (int leg = 0; leg < kLegCount; ++leg) {
    const double* o = c.sensor.origin[leg];
    menu_line(c, format("Leg%1d: %5.1lf %5.1lf %5.1lf[V]", leg + 1, o[0], o[1], o[2]));
  }
  wait_key(c);
}

}  // namespace

void manual_menu(Controller& c) {
  for (;;) {
    menu_heading(c, "<MANUAL MODE>");
    menu_blank(c);
    menu_line(c, "Now: ");
    append_to_last_line(c, manual_mode_name(c.mode.manual_sub_mode));
    menu_blank(c);
    menu_line(c, "0: DISABLE");
    menu_line(c, "1: Leg Position Control mode");
    menu_line(c, "2: Joint Angle Control mode");
    menu_line(c, SJ("3: Joint Torque Control mode　(選択不可)"));
    menu_line(c, SJ("4: Leg Velocity Control mode　(選択不可)"));
    menu_line(c, SJ("5: Joint Omega Control mode　 (選択不可)"));
    menu_footer(c);
    int key = menu_key(c);
    if (key == 'Q') return;
    // Torque, velocity and omega control are listed but cannot be chosen.
    if (key >= '0' && key <= '2') c.mode.manual_sub_mode = static_cast<uint8_t>(key - '0');
  }
}

void origin_menu(Controller& c) {
  for (;;) {
    menu_heading(c, "<ORIGIN MODE>");
    menu_blank(c);
    menu_line(c, SJ("R: 原点記憶fileから読み込み"));
    menu_line(c, SJ("W: 原点記憶fileへ書き込み"));
    menu_line(c, SJ("D: 原点の表示"));
    menu_footer(c);
    switch (menu_key(c)) {
      case 'Q':
        return;
      case 'R':
        origin_read(c);
        break;
      case 'W':
        origin_write(c);
        break;
      case 'D':
        origin_show(c);
        break;
      default:
        break;
    }
  }
}

void emg_menu(Controller& c) {
  for (;;) {
    menu_heading(c, "<EMG MODE>");
    menu_blank(c);
    const bool on = c.mode.emg_enable;
    menu_line(c, format("1: EMG %s -> %s", on ? "ON" : "OFF", on ? "OFF" : "ON"));
    menu_footer(c);
    int key = menu_key(c);
    if (key == 'Q') return;
    if (key == '1') c.mode.emg_enable = !on;
  }
}

}  // namespace rokan
