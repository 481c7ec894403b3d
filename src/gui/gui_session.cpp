#include "gui/gui_session.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <clocale>
#include <utility>

#include "gui/key_router.h"
#include "gui/main_form.h"
#include "gui/manual_control_box_form.h"
#include "gui/rix_program_window.h"
#include "gui/robot_icon.h"
#include "gui/text_information_window.h"

namespace rokan {

GuiSession::GuiSession(std::string workspace)
    : controller_(host_, std::move(workspace)),
      main_(std::make_unique<TmainForm>(controller_, host_)),
      keys_(std::make_unique<KeyRouter>(host_.keys())) {
  // Constructing the QApplication took the C library's locale from the desktop's environment.
  // The controller reads and writes its files and texts with strtod and printf, which must
  // keep the decimal point whatever the desktop uses ("0.5" in rokan.ini, "3.100" in a report).
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setWindowIcon(QIcon(robot_icon(32)));
  host_.attach(controller_, *main_);
  main_->program_window().set_recorder(&host_.recorder());
  keys_->attach(*main_);
  keys_->attach(main_->text_window());
  keys_->attach(main_->manual_box());
}

GuiSession::~GuiSession() {
  main_->program_window().set_recorder(nullptr);
  host_.detach();
  keys_.reset();
  main_.reset();
}

void GuiSession::start() {
  // Top left, so that the text window finds room at its right and the manual box below it.
  constexpr int kMargin = 8;
  if (const QScreen* screen = main_->screen())
    main_->move(screen->availableGeometry().topLeft() + QPoint(kMargin, kMargin));
  main_->show();
  main_->activateWindow();
  main_->sampling_timer().start();
  // The text window carries the login screen. It opens beside the main window once the window
  // system shows the main window: only then has the window manager placed and framed it.
  // (A main window that is never shown, say minimised at once, gets the text window after 2 s.)
  auto* opener = new QTimer(main_.get());
  QObject::connect(opener, &QTimer::timeout, main_.get(), [this, opener, polls = 0]() mutable {
    const QWindow* w = main_->windowHandle();
    if ((!w || !w->isExposed()) && ++polls < 200) return;
    opener->stop();
    opener->deleteLater();
    main_->place_text_window();
    main_->text_window().show();
    main_->activateWindow();  // the keys go to the main window
  });
  opener->start(10);
}

}  // namespace rokan
