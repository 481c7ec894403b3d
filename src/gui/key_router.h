// Routes the key events of the operator's windows (main window, text information window, manual
// control box) to the console's key store: every typed character, and the release of Tab and
// Esc. The windows' own controls keep their keys too (a check box still toggles on Space),
// except Tab, which is an operator key here and never moves the focus.
//
// Qt may deliver several pending events in one step of a wait, where the key store holds one
// key. While a key wait is in progress and the store already holds the key that ends it, a
// further key is put back in the queue for a later step, so that no key is lost and the wait
// gets the first one.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

class QKeyEvent;

namespace rokan {

struct Controller;
class QtHost;

class KeyRouter : public QObject {
  Q_OBJECT

 public:
  KeyRouter(Controller& c, const QtHost& host);

  // Routes the keys of `window` and of every widget in it (call after its children exist).
  void attach(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool first_sight(QWidget& w, const QKeyEvent& k);
  bool must_defer() const;
  void defer(QWidget& w, const QKeyEvent& k);
  void route_text(const QKeyEvent& k);

  Controller& c_;
  const QtHost& host_;
  std::vector<QPointer<QWidget>> windows_;
  // The key event seen last and the widget it was first delivered to: Qt hands an ignored key
  // event on to the parents with the same event object, which must not count twice.
  const QKeyEvent* last_event_ = nullptr;
  int last_type_ = 0;
  QPointer<QWidget> last_receiver_;
};

}  // namespace rokan
