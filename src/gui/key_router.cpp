#include "gui/key_router.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include "console/console.h"
#include "gui/key_queue.h"
#include "gui/qt_text.h"

namespace rokan {
namespace {

int release_code(const QKeyEvent& k) {
  switch (k.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return kKeyTab;
    case Qt::Key_Escape:
      return kKeyEsc;
    default:
      return 0;
  }
}

}  // namespace

KeyRouter::KeyRouter(KeyQueue& keys) : keys_(keys) {
  // The windows' QWindows may be created, or created anew, after attach(); an application
  // filter sees their events whenever they exist.
  qApp->installEventFilter(this);
}

KeyRouter::~KeyRouter() {
  if (qApp) qApp->removeEventFilter(this);
}

void KeyRouter::attach(QWidget& window) {
  windows_.emplace_back(&window);
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  if (!is_operator_window(watched)) return false;
  // Keys the widgets would not get are not operator keys either.
  if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;

  const auto& k = *static_cast<const QKeyEvent*>(event);
  if (type == QEvent::KeyPress) return on_press(k);
  on_release(k);
  return false;
}

bool KeyRouter::is_operator_window(const QObject* watched) const {
  if (!watched->isWindowType()) return false;
  for (const QPointer<QWidget>& w : windows_)
    if (w && w->windowHandle() == watched) return true;
  return false;
}

bool KeyRouter::on_press(const QKeyEvent& k) {
  if (const int code = release_code(k)) {
    if (!k.isAutoRepeat()) pressed_.insert(code);
    return code == kKeyTab;  // no focus navigation; Tab counts on its release
  }
  // A double-byte character arrives as its two bytes, lead byte first, as on a CP932 console.
  for (char b : cp932_text(k.text())) keys_.push({false, static_cast<unsigned char>(b)});
  return false;
}

void KeyRouter::on_release(const QKeyEvent& k) {
  const int code = release_code(k);
  if (!code || k.isAutoRepeat()) return;
  if (pressed_.erase(code)) keys_.push({true, code});
}

}  // namespace rokan
