#include "gui/tool_windows.h"

#include <QAction>
#include <QMenu>

#include "gui/live_plot_window.h"
#include "gui/log_viewer_window.h"

namespace rokan {
namespace {
void bring_up(QWidget& w) {
  w.show();
  w.raise();
  w.activateWindow();
}
}  // namespace

ToolWindows::ToolWindows(Controller& c, PeriodTimer* sampling_timer)
    : c_(c), sampling_timer_(sampling_timer) {}
ToolWindows::~ToolWindows() = default;

void ToolWindows::add_to_menus(QMenu& file, QMenu& window) {
  auto* open = new QAction(QStringLiteral("Open Sampling Log..."), &file);
  open->setObjectName(QStringLiteral("FileOpenSamplingLog"));
  QAction* first = file.actions().value(0);
  file.insertAction(first, open);
  if (first) file.insertSeparator(first);
  QObject::connect(open, &QAction::triggered, &file, [this] {
    bring_up(log_viewer());
    log_viewer().open_dialog();
  });
  QAction* plots_action = window.addAction(QStringLiteral("Plots(&P)"));
  plots_action->setObjectName(QStringLiteral("WindowPlots"));
  QObject::connect(plots_action, &QAction::triggered, &window, [this] { show_plots(); });
}

LivePlotWindow& ToolWindows::plots() {
  if (!plots_) plots_ = std::make_unique<LivePlotWindow>(c_, sampling_timer_);
  return *plots_;
}

LogViewerWindow& ToolWindows::log_viewer() {
  if (!log_viewer_) log_viewer_ = std::make_unique<LogViewerWindow>();
  return *log_viewer_;
}

void ToolWindows::show_plots() {
  bring_up(plots());
}

bool ToolWindows::open_log(const QString& path) {
  bring_up(log_viewer());
  return log_viewer().open_file(path);
}

void ToolWindows::close_all() {
  if (plots_) plots_->close();
  if (log_viewer_) log_viewer_->close();
}

}  // namespace rokan
