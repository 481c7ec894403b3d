#include "gui/key_router.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "console/console.h"
#include "core/controller.h"
#include "gui/qt_host.h"
#include "gui/qt_text.h"

namespace rokan {
namespace {

constexpr int kTab = 9;
constexpr int kEsc = 27;

bool is_tab(const QKeyEvent& k) {
  return k.key() == Qt::Key_Tab || k.key() == Qt::Key_Backtab;
}

}  // namespace

KeyRouter::KeyRouter(Controller& c, const QtHost& host) : c_(c), host_(host) {}

void KeyRouter::attach(QWidget& window) {
  windows_.emplace_back(&window);
  window.installEventFilter(this);
  for (QWidget* child : window.findChildren<QWidget*>()) child->installEventFilter(this);
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w) return false;
  // Popup menus are children of the main window but windows of their own: their keys stay.
  bool ours = false;
  for (const QPointer<QWidget>& win : windows_) ours = ours || win == w->window();
  if (!ours) return false;

  const auto& k = *static_cast<QKeyEvent*>(event);
  if (!first_sight(*w, k)) return false;

  if (event->type() == QEvent::KeyPress) {
    if (is_tab(k)) return true;  // no focus navigation; Tab counts on its release
    if (k.key() == Qt::Key_Escape || k.text().isEmpty()) return false;
    if (must_defer()) {
      defer(*w, k);
      return true;
    }
    route_text(k);
    return false;
  }

  if (k.isAutoRepeat() || !(is_tab(k) || k.key() == Qt::Key_Escape)) return false;
  if (must_defer()) {
    defer(*w, k);
    return true;
  }
  key_release(c_, is_tab(k) ? kTab : kEsc);
  return false;
}

bool KeyRouter::first_sight(QWidget& w, const QKeyEvent& k) {
  if (&k == last_event_ && k.type() == last_type_ && last_receiver_ &&
      w.isAncestorOf(last_receiver_))
    return false;
  last_event_ = &k;
  last_type_ = k.type();
  last_receiver_ = &w;
  return true;
}

bool KeyRouter::must_defer() const {
  return host_.in_key_wait() && c_.console.key_hit;
}

void KeyRouter::defer(QWidget& w, const QKeyEvent& k) {
  QCoreApplication::postEvent(
      &w, new QKeyEvent(k.type(), k.key(), k.modifiers(), k.nativeScanCode(), k.nativeVirtualKey(),
                        k.nativeModifiers(), k.text(), k.isAutoRepeat(), k.count()));
}

void KeyRouter::route_text(const QKeyEvent& k) {
  // A double-byte character arrives as its two bytes, lead byte first, as on a CP932 console.
  for (char b : cp932_text(k.text())) key_char(c_, static_cast<unsigned char>(b));
}

}  // namespace rokan
