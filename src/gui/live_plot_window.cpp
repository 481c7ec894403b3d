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
#include "gui/plot_view.h"

namespace rokan {
namespace {

constexpr int kRedrawMs = 100;           // 10 redraws a second is smooth enough to read
constexpr int kMaxRingSamples = 200000;  // 60 s at 0.3 ms; the ring is ~27 MB at most
constexpr int kChannelRole = Qt::UserRole;

int channel_key(const PlotChannel& ch) {
  return static_cast<int>(ch.quantity) * 100 + ch.leg * 10 + ch.axis;
}
PlotChannel channel_from_key(int key) {
  return {static_cast<PlotQuantity>(key / 100), static_cast<uint8_t>(key / 10 % 10),
          static_cast<uint8_t>(key % 10)};
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

LivePlotWindow::LivePlotWindow(Controller& c, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(c) {
  setObjectName(QStringLiteral("LivePlotWindow"));
  setWindowTitle(QStringLiteral("Live Plots"));
  tree_ = new QTreeWidget(this);
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
  connect(redraw_, &QTimer::timeout, this, &LivePlotWindow::refresh);
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
    auto* item = new QTreeWidgetItem(
        parent, {QString::fromStdString(plot_channel_name(ch)) + QStringLiteral(" [") +
                 QString::fromLatin1(plot_channel_unit(ch)) + QStringLiteral("]")});
    item->setData(0, kChannelRole, channel_key(ch));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
  }
  tree_->expandToDepth(0);
  updating_tree_ = false;
}

void LivePlotWindow::tree_changed(QTreeWidgetItem* item) {
  if (updating_tree_ || !item->data(0, kChannelRole).isValid()) return;
  const PlotChannel ch = channel_from_key(item->data(0, kChannelRole).toInt());
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
    const bool on =
        std::find(shown_.begin(), shown_.end(), channel_from_key(key.toInt())) != shown_.end();
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

void LivePlotWindow::refresh() {
  if (paused_) return;
  const PlotSampler& s = sampler_;
  const double now = s.size > 0 ? plot_time(s, s.size - 1) : 0.0;
  const double x1 = std::max(now, static_cast<double>(window_s_->value()));
  const double x0 = x1 - window_s_->value();
  const int buckets = std::max(view_->width() / 2, 50);
  QStringList names;
  std::vector<QList<QPointF>> curves;
  for (int k = 0; k < s.channel_count; ++k) {
    names << QString::fromStdString(plot_channel_name(s.channels[k]));
    curves.push_back(thin_curve(
        s.size, [&](int i) { return plot_time(s, i); }, [&](int i) { return plot_value(s, i, k); },
        x0, x1, buckets));
  }
  view_->set_curves(names, curves);
  view_->set_x_range(x0, x1);
  if (auto_range_->isChecked()) view_->auto_range_y();
  update_readout();
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
  c_.plot = &sampler_;
  redraw_->start(kRedrawMs);
}

void LivePlotWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (c_.plot == &sampler_) c_.plot = nullptr;  // a hidden window costs the cycle nothing
  redraw_->stop();
}

}  // namespace rokan
