#include "gui/plot_view.h"

#include <QChart>
#include <QGraphicsLineItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>
#include <cmath>
#include <limits>

namespace rokan {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

PlotView::PlotView(QWidget* parent)
    : QChartView(new QChart, parent),
      x_axis_(new QValueAxis),
      y_axis_(new QValueAxis),
      cursor_line_(new QGraphicsLineItem),
      cursor_t_(kNaN) {
  QChart* ch = chart();
  ch->addAxis(x_axis_, Qt::AlignBottom);
  ch->addAxis(y_axis_, Qt::AlignLeft);
  ch->legend()->setAlignment(Qt::AlignTop);
  ch->setMargins(QMargins(4, 4, 4, 4));
  x_axis_->setTitleText(QStringLiteral("time [s]"));
  x_axis_->setLabelFormat(QStringLiteral("%.4g"));
  y_axis_->setLabelFormat(QStringLiteral("%.4g"));
  setRenderHint(QPainter::Antialiasing, false);
  setMouseTracking(true);
  cursor_line_->setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
  cursor_line_->setZValue(100);
  cursor_line_->hide();
  scene()->addItem(cursor_line_);
}

void PlotView::set_curves(const QStringList& names, const std::vector<QList<QPointF>>& curves) {
  // Series are reused while the set of names stays, so a redraw does not rebuild the legend.
  bool same = series_.size() == curves.size();
  for (std::size_t k = 0; same && k < series_.size(); ++k)
    same = series_[k]->name() == names.value(static_cast<int>(k));
  if (!same) {
    chart()->removeAllSeries();
    series_.clear();
    for (std::size_t k = 0; k < curves.size(); ++k) {
      auto* s = new QLineSeries;
      s->setName(names.value(static_cast<int>(k)));
      chart()->addSeries(s);
      s->attachAxis(x_axis_);
      s->attachAxis(y_axis_);
      series_.push_back(s);
    }
  }
  for (std::size_t k = 0; k < curves.size(); ++k) series_[k]->replace(curves[k]);
}

void PlotView::set_x_range(double x0, double x1) {
  if (!(x1 > x0)) x1 = x0 + 1e-3;
  x0_ = x0;
  x1_ = x1;
  x_axis_->setRange(x0, x1);
  place_cursor();
}

void PlotView::auto_range_y() {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (QLineSeries* s : series_) {
    for (const QPointF& p : s->points()) {
      if (p.x() < x0_ || p.x() > x1_) continue;
      lo = std::min(lo, p.y());
      hi = std::max(hi, p.y());
    }
  }
  if (!std::isfinite(lo)) {
    lo = -1;
    hi = 1;
  }
  const double span = hi - lo;
  const double margin = span > 0 ? span * 0.05 : std::max(std::fabs(hi) * 0.05, 0.5);
  y_axis_->setRange(lo - margin, hi + margin);
  place_cursor();
}

void PlotView::set_cursor_time(double t) {
  cursor_t_ = t;
  place_cursor();
}

double PlotView::value_at(int k, double t) const {
  if (k < 0 || k >= static_cast<int>(series_.size())) return kNaN;
  const QList<QPointF> pts = series_[static_cast<std::size_t>(k)]->points();
  if (pts.isEmpty()) return kNaN;
  auto it = std::lower_bound(pts.begin(), pts.end(), t,
                             [](const QPointF& p, double v) { return p.x() < v; });
  if (it == pts.end()) return pts.back().y();
  if (it != pts.begin() && (t - std::prev(it)->x()) < (it->x() - t)) --it;
  return it->y();
}

double PlotView::time_at(const QPointF& view_pos) const {
  return chart()->mapToValue(chart()->mapFromScene(mapToScene(view_pos.toPoint()))).x();
}

void PlotView::place_cursor() {
  if (std::isnan(cursor_t_) || cursor_t_ < x0_ || cursor_t_ > x1_) {
    cursor_line_->hide();
    return;
  }
  const QRectF area = chart()->plotArea();
  const double x = chart()->mapToPosition(QPointF(cursor_t_, 0)).x();
  const QPointF top = chart()->mapToScene(QPointF(x, area.top()));
  const QPointF bottom = chart()->mapToScene(QPointF(x, area.bottom()));
  cursor_line_->setLine(QLineF(top, bottom));
  cursor_line_->show();
}

void PlotView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = navigable_;
    dragged_ = false;
    drag_start_px_ = event->position().x();
    drag_x0_ = x0_;
    drag_x1_ = x1_;
  }
  event->accept();
}

void PlotView::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    // The time under the pointer stays under it while the drag goes on.
    const double px = event->position().x() - drag_start_px_;
    dragged_ = dragged_ || std::fabs(px) > 3;
    if (dragged_) {
      const double dt = -px * (drag_x1_ - drag_x0_) / std::max(chart()->plotArea().width(), 1.0);
      set_x_range(drag_x0_ + dt, drag_x1_ + dt);
      emit x_range_changed(x0_, x1_);
    }
  } else if (!navigable_) {
    const double t = time_at(event->position());
    set_cursor_time(t);
    emit cursor_moved(t);
  }
  event->accept();
}

void PlotView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && navigable_ && !dragged_) {
    const double t = time_at(event->position());
    set_cursor_time(t);
    emit cursor_moved(t);
  }
  dragging_ = false;
  event->accept();
}

void PlotView::wheelEvent(QWheelEvent* event) {
  if (!navigable_) return QChartView::wheelEvent(event);
  const double t = time_at(event->position());
  const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
  set_x_range(t - (t - x0_) * factor, t + (x1_ - t) * factor);
  emit x_range_changed(x0_, x1_);
  event->accept();
}

void PlotView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  place_cursor();
}

}  // namespace rokan
