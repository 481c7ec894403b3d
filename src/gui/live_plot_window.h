// The live plots window: channels of the running controller chosen from a tree, drawn over a
// rolling time window. While the window is shown it lends the controller a PlotSampler whose
// ring the sampling cycle fills; the chart is redrawn from that ring ten times a second, never
// inside the cycle's control work. The redraws follow the program's sampling timer: each comes
// right after a tick has returned, so that the redraw and the paint it causes have the rest of
// that period and the whole next one before a tick is held back so long that a period is dropped
// (a timeout landing in the middle of them would have less). While no tick comes (the cycle
// stopped, or blocked in a dialog) a timer of the window's own redraws five times a second.
// Each redraw also follows the RIX program: the tree lists the variables of the program in the
// image, refreshed as runs start and end.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plot/plot_columns.h"
#include "plot/plot_sampler.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace rokan {

struct Controller;
class PeriodTimer;
class PlotView;

class LivePlotWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRedrawMs = 100;  // 10 redraws a second is smooth enough to read

  // `sampling_timer`, when given, is the timer whose timeouts run the sampling ticks.
  explicit LivePlotWindow(Controller& c, PeriodTimer* sampling_timer = nullptr,
                          QWidget* parent = nullptr);
  ~LivePlotWindow() override;

  // Chooses the shown channels as the tree does (at most kMaxPlotChannels).
  void set_channels(const std::vector<PlotChannel>& channels);
  void set_window_seconds(int seconds);
  void set_paused(bool paused);
  bool paused() const { return paused_; }
  // Times the chart was given new curves since the window was made, and the wall time that took
  // (from the ring to the chart's items, without the paint that follows), ms.
  uint64_t redraws() const { return redraws_; }
  double redraw_ms_total() const { return redraw_ms_total_; }
  double redraw_ms_max() const { return redraw_ms_max_; }
  // Draws the ring's newest window now (the timer calls this).
  void refresh();

  const PlotSampler& sampler() const { return sampler_; }
  PlotView& view() { return *view_; }
  QString cursor_text() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void build_tree();
  QTreeWidgetItem* add_entry(QTreeWidgetItem* parent, const PlotChannel& ch);
  // Lists the variables of the program in the RIX image when a run starts or ends or another
  // program is loaded; chosen variables the program does not have are dropped.
  void follow_program();
  void tree_changed(QTreeWidgetItem* item);
  void update_readout();
  int ring_capacity() const;
  // Follows the program and redraws when `after_ms` have passed since the last redraw.
  void redraw_after(int after_ms);

  Controller& c_;
  PlotSampler sampler_;
  PlotColumns columns_;  // the ring thinned for drawing, kept up to date by each redraw
  std::vector<PlotPoint> points_;
  std::vector<PlotChannel> shown_;
  // The channel of each checkable tree entry (its kChannelRole data is the index): the robot's
  // first, then the RIX program's.
  std::vector<PlotChannel> tree_channels_;
  std::size_t robot_channel_count_ = 0;
  QTreeWidgetItem* rix_group_ = nullptr;
  uint32_t seen_run_ = UINT32_MAX;
  bool seen_running_ = false;
  std::string seen_program_ = "?";  // a name no program has, so the first look lists
  QTreeWidget* tree_;
  PlotView* view_;
  QSpinBox* window_s_;
  QPushButton* pause_;
  QCheckBox* auto_range_;
  QLabel* readout_;
  QLabel* note_;
  QTimer* redraw_;
  QElapsedTimer since_redraw_;
  int fallback_ms_ = kRedrawMs;  // the own timer's redraw spacing
  bool paused_ = false;
  uint64_t redraws_ = 0;
  double redraw_ms_total_ = 0;
  double redraw_ms_max_ = 0;
  bool updating_tree_ = false;
};

}  // namespace rokan
