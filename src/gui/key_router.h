// Routes the keys typed into the operator's windows (main window, text information window,
// manual control box) to the console: every typed character, and the release of Tab and Esc.
//
// A key is taken where the window system hands it over: at the top-level window (its QWindow),
// before Qt gives it to the focus widget and, when that widget ignores it, to each parent in
// turn with the same event object. Every typed key passes a window exactly once there, so it is
// counted once however the widgets pass it on, and the windows' own controls still get their
// keys (a check box still toggles on Space). Only Tab is kept from them: it is an operator key
// and never moves the focus. A window under a modal dialog gets no keys, and while a popup menu
// is open the keys are the menu's.
//
// The release of Tab or Esc counts only when its press reached one of these windows too: the
// Esc that cancels a dialog is released over the main window once the dialog has gone, and is
// not a second key.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <set>
#include <vector>

class QKeyEvent;

namespace rokan {

class KeyQueue;

class KeyRouter : public QObject {
  Q_OBJECT

 public:
  // Keys go to `keys` (owned by the host, which passes them on to the controller).
  explicit KeyRouter(KeyQueue& keys);
  ~KeyRouter() override;

  // Routes the keys typed into `window`, a top-level widget.
  void attach(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool is_operator_window(const QObject* watched) const;
  bool on_press(const QKeyEvent& k);
  void on_release(const QKeyEvent& k);

  KeyQueue& keys_;
  std::vector<QPointer<QWidget>> windows_;
  std::set<int> pressed_;  // Tab and Esc pressed in an operator window and not yet released
};

}  // namespace rokan
