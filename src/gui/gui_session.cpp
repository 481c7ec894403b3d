#include "gui/gui_session.h"

#include <QApplication>
#include <QTimer>
#include <clocale>
#include <utility>

#include "gui/key_router.h"
#include "gui/main_form.h"
#include "gui/manual_control_box_form.h"
#include "gui/robot_icon.h"
#include "gui/text_information_window.h"

namespace rokan {

GuiSession::GuiSession(std::string workspace)
    : controller_(host_, std::move(workspace)),
      main_(std::make_unique<TmainForm>(controller_, host_)),
      keys_(std::make_unique<KeyRouter>(controller_, host_)) {
  // Constructing the QApplication took the C library's locale from the desktop's environment.
  // The controller reads and writes its files and texts with strtod and printf, which must
  // keep the decimal point whatever the desktop uses ("0.5" in rokan.ini, "3.100" in a report).
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setWindowIcon(QIcon(robot_icon(32)));
  host_.attach(controller_, *main_);
  keys_->attach(*main_);
  keys_->attach(main_->text_window());
  keys_->attach(main_->manual_box());
}

GuiSession::~GuiSession() {
  host_.detach();
  keys_.reset();
  main_.reset();
}

void GuiSession::start() {
  main_->show();
  // The text window opens beside the main window, the manual control box below it, with room
  // for the title bars (before the window manager has framed the window, the frame is not
  // known yet).
  constexpr int kGap = 16, kTitleRoom = 32;
  const QRect frame = main_->frameGeometry();
  main_->text_window().move(frame.right() + kGap, frame.top());
  main_->manual_box().move(frame.left(), frame.bottom() + kTitleRoom);
  main_->text_window().show();
  main_->activateWindow();
  main_->sampling_timer().start();
}

}  // namespace rokan
