// One run of the debugger under Qt: the Qt host, the controller and the windows, wired
// together in the order each needs the other. rokan's main() and the GUI tests build one.
#pragma once

#include <memory>
#include <string>

#include "core/controller.h"
#include "gui/qt_host.h"

namespace rokan {

class KeyRouter;
class TmainForm;

class GuiSession {
 public:
  // `workspace`: the controller's workspace directory (empty: the directory rokan started in).
  explicit GuiSession(std::string workspace = {});
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

  // Shows the main window and the text information window (which carries the login screen and
  // the start-up messages) and starts SamplingTimer: its first tick runs the start-up sequence.
  void start();

  Controller& controller() { return controller_; }
  QtHost& host() { return host_; }
  TmainForm& main_form() { return *main_; }

 private:
  QtHost host_;
  Controller controller_;
  std::unique_ptr<TmainForm> main_;
  std::unique_ptr<KeyRouter> keys_;
};

}  // namespace rokan
