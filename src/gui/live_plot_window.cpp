#include "gui/live_plot_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/controller.h"
#include "gui/period_timer.h"
#include "gui/plot_view.h"
#include "gui/qt_text.h"

namespace rokan {
namespace {

constexpr int kMaxRingSamples = 200000;  // 60 s at 0.3 ms; the ring is ~27 MB at most
constexpr int kChannelRole = Qt::UserRole;

// A tree entry's label: name and unit.
QString entry_label(const PlotChannel& ch) {
  QString label = QString::fromStdString(plot_channel_name(ch));
  const QString unit = QString::fromLatin1(plot_channel_unit(ch));
  if (!unit.isEmpty()) label += QStringLiteral(" [") + unit + QStringLiteral("]");
  return label;
}

const char* group_name(PlotQuantity q) {
  switch (q) {
    case PlotQuantity::kFootActual:
      return "Foot position";
    case PlotQuantity::kFootGoal:
      return "Foot goal";
    case PlotQuantity::kPosError:
      return "Position error";
    case PlotQuantity::kJointActual:
      return "Joint angle";
    case PlotQuantity::kJointRef:
      return "Joint reference";
    case PlotQuantity::kOrder:
      return "Voltage order";
    default:
      return "Inputs";
  }
}

}  // namespace

LivePlotWindow::LivePlotWindow(Controller& c, PeriodTimer* sampling_timer, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(c) {
  setObjectName(QStringLiteral("LivePlotWindow"));
  setWindowTitle(QStringLiteral("Live Plots"));
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("ChannelTree"));
  tree_->setHeaderHidden(true);
  view_ = new PlotView(this);
  window_s_ = new QSpinBox(this);
  window_s_->setRange(1, 60);
  window_s_->setValue(10);
  window_s_->setSuffix(QStringLiteral(" s"));
  pause_ = new QPushButton(QStringLiteral("Pause"), this);
  pause_->setCheckable(true);
  auto_range_ = new QCheckBox(QStringLiteral("Auto range"), this);
  auto_range_->setChecked(true);
  readout_ = new QLabel(this);
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  readout_->setWordWrap(true);
  note_ = new QLabel(this);

  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel(QStringLiteral("Window"), this));
  bar->addWidget(window_s_);
  bar->addWidget(pause_);
  bar->addWidget(auto_range_);
  bar->addWidget(note_, 1);
  auto* right = new QWidget(this);
  auto* rl = new QVBoxLayout(right);
  rl->setContentsMargins(0, 0, 0, 0);
  rl->addLayout(bar);
  rl->addWidget(view_, 1);
  rl->addWidget(readout_);
  auto* split = new QSplitter(this);
  split->addWidget(tree_);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({210, 650});
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(4, 4, 4, 4);
  top->addWidget(split);
  resize(900, 520);

  build_tree();
  redraw_ = new QTimer(this);
  connect(redraw_, &QTimer::timeout, this, [this] { redraw_after(fallback_ms_); });
  if (sampling_timer) {
    // Connected after the tick driver, so this runs once the tick has returned.
    connect(sampling_timer, &PeriodTimer::timeout, this, [this] {
      if (redraw_->isActive()) redraw_after(kRedrawMs);
    });
    fallback_ms_ = 2 * kRedrawMs;
  }
  connect(tree_, &QTreeWidget::itemChanged, this, &LivePlotWindow::tree_changed);
  connect(window_s_, &QSpinBox::valueChanged, this, [this] { refresh(); });
  connect(pause_, &QPushButton::toggled, this, &LivePlotWindow::set_paused);
  connect(auto_range_, &QCheckBox::toggled, this, [this] { refresh(); });
  connect(view_, &PlotView::cursor_moved, this, [this] { update_readout(); });
  plot_configure(sampler_, {}, ring_capacity());
}

LivePlotWindow::~LivePlotWindow() {
  if (c_.plot == &sampler_) c_.plot = nullptr;
}

QTreeWidgetItem* LivePlotWindow::add_entry(QTreeWidgetItem* parent, const PlotChannel& ch) {
  auto* item = new QTreeWidgetItem(parent, {entry_label(ch)});
  item->setData(0, kChannelRole, static_cast<int>(tree_channels_.size()));
  tree_channels_.push_back(ch);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  const bool on = std::find(shown_.begin(), shown_.end(), ch) != shown_.end();
  item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
  return item;
}

void LivePlotWindow::build_tree() {
  updating_tree_ = true;
  QTreeWidgetItem* legs[4] = {};
  QTreeWidgetItem* groups[4][6] = {};
  QTreeWidgetItem* inputs = nullptr;
  for (const PlotChannel& ch : all_plot_channels()) {
    QTreeWidgetItem* parent;
    const int q = static_cast<int>(ch.quantity);
    if (q < static_cast<int>(PlotQuantity::kVr)) {
      if (!legs[ch.leg])
        legs[ch.leg] = new QTreeWidgetItem(tree_, {QStringLiteral("F%1").arg(ch.leg + 1)});
      QTreeWidgetItem*& g = groups[ch.leg][q];
      if (!g) g = new QTreeWidgetItem(legs[ch.leg], {QString::fromLatin1(group_name(ch.quantity))});
      parent = g;
    } else {
      if (!inputs) inputs = new QTreeWidgetItem(tree_, {QStringLiteral("Inputs")});
      parent = inputs;
    }
    add_entry(parent, ch);
  }
  robot_channel_count_ = tree_channels_.size();
  rix_group_ = new QTreeWidgetItem(tree_, {QStringLiteral("RIX variables")});
  tree_->expandToDepth(0);
  updating_tree_ = false;
  follow_program();
}

void LivePlotWindow::follow_program() {
  const bool running = rix_program_running(c_);
  if (c_.rix.run_count == seen_run_ && running == seen_running_ &&
      c_.rix.loaded_name == seen_program_)
    return;
  seen_run_ = c_.rix.run_count;
  seen_running_ = running;
  seen_program_ = c_.rix.loaded_name;

  const std::vector<PlotChannel> rix = rix_plot_channels(c_);
  // Chosen variables the program no longer has go from the chart.
  std::vector<PlotChannel> next;
  for (const PlotChannel& ch : shown_)
    if (!ch.is_rix() || std::find(rix.begin(), rix.end(), ch) != rix.end()) next.push_back(ch);
  if (next.size() != shown_.size()) set_channels(next);

  updating_tree_ = true;
  const bool was_expanded = rix_group_->isExpanded();
  qDeleteAll(rix_group_->takeChildren());
  tree_channels_.resize(robot_channel_count_);
  QString label = QStringLiteral("RIX variables");
  if (seen_program_.empty()) {
    label += QStringLiteral(" (no program)");
  } else {
    label += QStringLiteral(": ") + qt_text(seen_program_) +
             (running ? QStringLiteral(" (running)") : QStringLiteral(" (not running)"));
  }
  rix_group_->setText(0, label);
  QTreeWidgetItem* vector_item = nullptr;
  for (const PlotChannel& ch : rix) {
    if (ch.quantity == PlotQuantity::kRixVar) {
      add_entry(rix_group_, ch);
      continue;
    }
    // A POS or JNT variable: one entry with its three components under it.
    if (ch.axis == 0) {
      vector_item = new QTreeWidgetItem(
          rix_group_, {qt_text(ch.variable) + (ch.quantity == PlotQuantity::kRixPos
                                                   ? QStringLiteral(" (POS)")
                                                   : QStringLiteral(" (JNT)"))});
    }
    add_entry(vector_item, ch);
  }
  rix_group_->setExpanded(was_expanded || running);
  updating_tree_ = false;
}

void LivePlotWindow::tree_changed(QTreeWidgetItem* item) {
  if (updating_tree_ || !item->data(0, kChannelRole).isValid()) return;
  const auto index = static_cast<std::size_t>(item->data(0, kChannelRole).toInt());
  if (index >= tree_channels_.size()) return;
  const PlotChannel ch = tree_channels_[index];
  std::vector<PlotChannel> next = shown_;
  const auto it = std::find(next.begin(), next.end(), ch);
  if (item->checkState(0) == Qt::Checked && it == next.end()) {
    if (static_cast<int>(next.size()) >= kMaxPlotChannels) {
      note_->setText(QStringLiteral("At most %1 channels at once.").arg(kMaxPlotChannels));
      updating_tree_ = true;
      item->setCheckState(0, Qt::Unchecked);
      updating_tree_ = false;
      return;
    }
    next.push_back(ch);
  } else if (item->checkState(0) != Qt::Checked && it != next.end()) {
    next.erase(it);
  }
  set_channels(next);
}

void LivePlotWindow::set_channels(const std::vector<PlotChannel>& channels) {
  shown_.assign(channels.begin(),
                channels.begin() + std::min<std::size_t>(channels.size(), kMaxPlotChannels));
  plot_configure(sampler_, shown_, ring_capacity());
  note_->clear();
  // Keep the tree's ticks in step when the choice comes from code.
  updating_tree_ = true;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    const QVariant key = (*it)->data(0, kChannelRole);
    if (!key.isValid()) continue;
    const PlotChannel& ch = tree_channels_[static_cast<std::size_t>(key.toInt())];
    const bool on = std::find(shown_.begin(), shown_.end(), ch) != shown_.end();
    (*it)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
  }
  updating_tree_ = false;
  refresh();
}

void LivePlotWindow::set_window_seconds(int seconds) {
  window_s_->setValue(seconds);
}

void LivePlotWindow::set_paused(bool paused) {
  paused_ = paused;
  pause_->setChecked(paused);
  pause_->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
  if (!paused) refresh();
}

int LivePlotWindow::ring_capacity() const {
  const double dt = c_.params.sampling_time > 0 ? c_.params.sampling_time : 0.01;
  return std::clamp(static_cast<int>(std::ceil(60.0 / dt)) + 1, 100, kMaxRingSamples);
}

void LivePlotWindow::redraw_after(int after_ms) {
  if (since_redraw_.isValid() && since_redraw_.elapsed() < after_ms) return;
  since_redraw_.start();
  follow_program();
  refresh();
}

void LivePlotWindow::refresh() {
  if (paused_) return;
  QElapsedTimer took;
  took.start();
  const PlotSampler& s = sampler_;
  const double now = s.size > 0 ? plot_time(s, s.size - 1) : 0.0;
  const double x1 = std::max(now, static_cast<double>(window_s_->value()));
  const double x0 = x1 - window_s_->value();
  // A column of min and max per two pixels: at most about one point per pixel.
  const double column_s =
      static_cast<double>(window_s_->value()) / std::max(view_->plot_width() / 2, 50);
  plot_columns_update(columns_, s, x0, x1, column_s);
  QStringList names;
  std::vector<QList<QPointF>> curves(static_cast<std::size_t>(s.channel_count));
  for (int k = 0; k < s.channel_count; ++k) {
    names << QString::fromStdString(plot_channel_name(s.channels[k]));
    plot_column_points(columns_, k, x0, x1, points_);
    QList<QPointF>& curve = curves[static_cast<std::size_t>(k)];
    curve.reserve(static_cast<qsizetype>(points_.size()));
    for (const PlotPoint& p : points_) curve.append(QPointF(p.t, p.v));
  }
  view_->show_curves(names, curves, x0, x1, auto_range_->isChecked());
  update_readout();
  const double ms = static_cast<double>(took.nsecsElapsed()) * 1e-6;
  ++redraws_;
  redraw_ms_total_ += ms;
  redraw_ms_max_ = std::max(redraw_ms_max_, ms);
}

QString LivePlotWindow::cursor_text() const {
  const double t = view_->cursor_time();
  if (std::isnan(t) || sampler_.channel_count == 0) return QString();
  QString text = QStringLiteral("t = %1 s").arg(t, 0, 'f', 3);
  for (int k = 0; k < sampler_.channel_count; ++k) {
    const PlotChannel& ch = sampler_.channels[k];
    text += QStringLiteral("    %1 = %2 %3")
                .arg(QString::fromStdString(plot_channel_name(ch)))
                .arg(view_->value_at(k, t), 0, 'f', 3)
                .arg(QString::fromLatin1(plot_channel_unit(ch)));
  }
  return text;
}

void LivePlotWindow::update_readout() {
  readout_->setText(cursor_text());
}

void LivePlotWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  follow_program();
  c_.plot = &sampler_;
  redraw_->start(kRedrawMs);
}

void LivePlotWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (c_.plot == &sampler_) c_.plot = nullptr;  // a hidden window costs the cycle nothing
  redraw_->stop();
}

}  // namespace rokan
