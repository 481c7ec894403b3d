// The windows that sit on top of the controller without being part of its console: the live
// plots and the sampling log viewer. Each is made the first time it is asked for.
#pragma once

#include <QString>
#include <memory>

class QMenu;
class QWidget;

namespace rokan {

struct Controller;
class LivePlotWindow;
class LogViewerWindow;
class PeriodTimer;

class ToolWindows {
 public:
  // `sampling_timer`: the timer of the sampling ticks, which the live plots' redraws follow.
  explicit ToolWindows(Controller& c, PeriodTimer* sampling_timer = nullptr);
  ~ToolWindows();

  // File > Open Sampling Log... (before the menu's first item) and Window > Plots.
  void add_to_menus(QMenu& file, QMenu& window);

  LivePlotWindow& plots();
  LogViewerWindow& log_viewer();
  void show_plots();
  // Shows the log viewer with the file at a local path (the reason shows there on failure).
  bool open_log(const QString& path);
  void close_all();

 private:
  Controller& c_;
  PeriodTimer* sampling_timer_;
  std::unique_ptr<LivePlotWindow> plots_;
  std::unique_ptr<LogViewerWindow> log_viewer_;
};

}  // namespace rokan
