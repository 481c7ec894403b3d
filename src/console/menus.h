// The operator menus: login, <TOP> and everything below it, and the information display. Every
// menu is a blocking loop inside a sampling tick; its waits run nested sampling cycles.
#pragma once

namespace rokan {

struct Controller;

// Login screen (start-up and <TOP> 'L'). False when user.ini is missing or malformed: the
// reason is on the status line and the end routine has run.
bool login_screen(Controller& c);
// The <TOP> menu, reached from EMG mode with key O.
void top_menu(Controller& c);

void manual_menu(Controller& c);
void origin_menu(Controller& c);
void auto_menu(Controller& c);
void emg_menu(Controller& c);
void parameter_menu(Controller& c);

// Rebuilds the text screen from the current information page (drawing cycle, display on).
void info_refresh(Controller& c);

}  // namespace rokan
