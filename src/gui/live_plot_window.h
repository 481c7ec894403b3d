// The live plots window: channels of the running controller chosen from a tree, drawn over a
// rolling time window. While the window is shown it lends the controller a PlotSampler whose
// ring the sampling cycle fills; the chart is redrawn from that ring by a timer of its own, so no
// drawing happens inside the cycle's control work. The same timer follows the RIX program: the
// tree lists the variables of the program in the image, refreshed as runs start and end.
#pragma once

#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
class PlotView;

class LivePlotWindow : public QWidget {
  Q_OBJECT

 public:
  explicit LivePlotWindow(Controller& c, QWidget* parent = nullptr);
  ~LivePlotWindow() override;

  // Chooses the shown channels as the tree does (at most kMaxPlotChannels).
  void set_channels(const std::vector<PlotChannel>& channels);
  void set_window_seconds(int seconds);
  void set_paused(bool paused);
  bool paused() const { return paused_; }
  // Times the chart was given new curves since the window was made.
  uint64_t redraws() const { return redraws_; }
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

  Controller& c_;
  PlotSampler sampler_;
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
  bool paused_ = false;
  uint64_t redraws_ = 0;
  bool updating_tree_ = false;
};

}  // namespace rokan
