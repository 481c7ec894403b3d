#include "gui/plot_view.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QValueAxis>
#include <QWheelEvent>
#include <cmath>
#include <limits>

#include "plot/plot_columns.h"

namespace rokan {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

// The curves, drawn as plain one-pixel polylines over the plot area. The chart's own line series
// stroke an outline of each curve (for mouse hit tests) every time its points change, about half a
// millisecond for four curves of a few hundred points, and draw with a two-pixel pen, which the
// raster engine fills as a polygon (a zigzag curve of 560 points: 0.7 ms against 0.05 ms with one
// pixel); a redraw has to stay well inside one sampling period. The series stay, without points,
// for the legend and the colours.
class PlotView::CurvesItem : public QGraphicsItem {
 public:
  explicit CurvesItem(PlotView& view) : view_(view) {}
  // The plot area, the band under it with the time axis, and room for a label either side.
  QRectF boundingRect() const override { return area_.adjusted(-kLabelRoom, 0, kLabelRoom, band_); }
  void set_area(const QRectF& area, double band) {
    prepareGeometryChange();
    area_ = area;
    band_ = band;
  }
  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    view_.paint_time_axis(*painter, area_);
    view_.paint_curves(*painter, area_);
  }

 private:
  static constexpr double kLabelRoom = 40;
  PlotView& view_;
  QRectF area_;
  double band_ = 0;
};

PlotView::PlotView(QWidget* parent)
    : QChartView(new QChart, parent),
      x_axis_(new QValueAxis),
      y_axis_(new QValueAxis),
      cursor_line_(new QGraphicsLineItem),
      cursor_t_(kNaN) {
  QChart* ch = chart();
  curves_item_ = new CurvesItem(*this);
  curves_item_->setParentItem(ch);  // chart coordinates, as the plot area's
  curves_item_->setZValue(4.5);     // over the grid and axes, under the legend
  ch->addAxis(x_axis_, Qt::AlignBottom);
  ch->addAxis(y_axis_, Qt::AlignLeft);
  ch->legend()->setAlignment(Qt::AlignTop);
  ch->legend()->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
  // The time axis moves at every redraw of the live plot, and a Qt Charts axis lays out all its
  // labels as rich text on every range change (about half a millisecond). So it stays hidden,
  // giving the range, fonts and pens, and the curves' item draws grid, labels and title in a
  // band kept free under the plot area.
  x_axis_->setVisible(false);
  // The chart's own background, a rounded panel, costs about a fifth of each paint; a plain white
  // view behind the chart looks the same but for the corners.
  ch->setBackgroundVisible(false);
  setBackgroundBrush(Qt::white);
  const QFontMetricsF label(x_axis_->labelsFont()), title(x_axis_->titleFont());
  time_band_ = std::ceil(label.height() + title.height() + 8);
  ch->setMargins(QMargins(4, 4, 4, 4 + static_cast<int>(time_band_)));
  y_axis_->setLabelFormat(QStringLiteral("%.4g"));
  curves_item_->set_area(ch->plotArea(), time_band_);
  connect(ch, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
    curves_item_->set_area(area, time_band_);
    place_cursor();
  });
  setRenderHint(QPainter::Antialiasing, false);
  // The chart's items move at every redraw; a spatial index of them would be rebuilt each time.
  scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
  setMouseTracking(true);
  cursor_line_->setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
  cursor_line_->setZValue(100);
  cursor_line_->hide();
  scene()->addItem(cursor_line_);
}

void PlotView::ensure_series(const QStringList& names, std::size_t count) {
  bool same = series_.size() == count;
  for (std::size_t k = 0; same && k < series_.size(); ++k)
    same = series_[k]->name() == names.value(static_cast<int>(k));
  if (same) return;
  chart()->removeAllSeries();
  series_.clear();
  for (std::size_t k = 0; k < count; ++k) {
    auto* s = new QLineSeries;
    s->setName(names.value(static_cast<int>(k)));
    chart()->addSeries(s);
    s->attachAxis(x_axis_);
    s->attachAxis(y_axis_);
    series_.push_back(s);
  }
}

void PlotView::set_curves(const QStringList& names, const std::vector<QList<QPointF>>& curves) {
  ensure_series(names, curves.size());
  curves_ = curves;
  curves_item_->update();
}

void PlotView::show_curves(const QStringList& names, const std::vector<QList<QPointF>>& curves,
                           double x0, double x1, bool fit) {
  set_curves(names, curves);
  set_x_range(x0, x1);
  if (fit) auto_range_y();
}

const QList<QPointF>& PlotView::curve(int k) const {
  static const QList<QPointF> kNone;
  return k >= 0 && k < static_cast<int>(curves_.size()) ? curves_[static_cast<std::size_t>(k)]
                                                        : kNone;
}

void PlotView::paint_curves(QPainter& painter, const QRectF& area) const {
  const double y0 = y_axis_->min(), y1 = y_axis_->max();
  if (area.isEmpty() || !(x1_ > x0_) || !(y1 > y0)) return;
  const double sx = area.width() / (x1_ - x0_), sy = area.height() / (y1 - y0);
  painter.save();
  painter.setClipRect(area);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPolygonF line;
  for (std::size_t k = 0; k < curves_.size() && k < series_.size(); ++k) {
    const QList<QPointF>& pts = curves_[k];
    line.resize(pts.size());
    for (qsizetype i = 0; i < pts.size(); ++i)
      line[i] =
          QPointF(area.left() + (pts[i].x() - x0_) * sx, area.bottom() - (pts[i].y() - y0) * sy);
    QPen pen(series_[k]->color(), 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    if (line.size() == 1)
      painter.drawPoint(line[0]);
    else
      painter.drawPolyline(line);
  }
  painter.restore();
}

void PlotView::paint_time_axis(QPainter& painter, const QRectF& area) const {
  if (area.isEmpty() || !(x1_ > x0_)) return;
  // A label about every 100 pixels, at multiples of a round step.
  const double raw = (x1_ - x0_) / std::max(area.width() / 100, 1.0);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / magnitude;
  const double step = (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * magnitude;
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  const double sx = area.width() / (x1_ - x0_);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QFontMetricsF metrics(x_axis_->labelsFont());
  painter.setFont(x_axis_->labelsFont());
  for (double t = std::ceil(x0_ / step) * step; t <= x1_ + step * 1e-9; t += step) {
    const double x = std::round(area.left() + (t - x0_) * sx);
    painter.setPen(y_axis_->gridLinePen());
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    const QString text = QString::number(std::fabs(t) < step * 1e-6 ? 0.0 : t, 'f', decimals);
    painter.setPen(QPen(y_axis_->labelsColor()));
    painter.drawText(QRectF(x - 40, area.bottom() + 3, 80, metrics.height()), Qt::AlignHCenter,
                     text);
  }
  painter.setFont(x_axis_->titleFont());
  painter.setPen(QPen(x_axis_->titleBrush().color()));
  painter.drawText(QRectF(area.left(), area.bottom() + 5 + metrics.height(), area.width(),
                          QFontMetricsF(x_axis_->titleFont()).height()),
                   Qt::AlignHCenter, QStringLiteral("time [s]"));
  painter.restore();
}

int PlotView::plot_width() const {
  return static_cast<int>(chart()->plotArea().width());
}

void PlotView::set_x_range(double x0, double x1) {
  if (!(x1 > x0)) x1 = x0 + 1e-3;
  x0_ = x0;
  x1_ = x1;
  x_axis_->setRange(x0, x1);
  curves_item_->update();
  place_cursor();
}

void PlotView::auto_range_y() {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const QList<QPointF>& curve : curves_) {
    for (const QPointF& p : curve) {
      if (p.x() < x0_ || p.x() > x1_) continue;
      lo = std::min(lo, p.y());
      hi = std::max(hi, p.y());
    }
  }
  fit_y(lo, hi);
}

void PlotView::fit_y(double lo, double hi) {
  double y0, y1;
  plot_nice_range(lo, hi, y0, y1);
  if (y0 == y_axis_->min() && y1 == y_axis_->max()) return;  // labels and grid stay as they are
  y_axis_->setRange(y0, y1);
  curves_item_->update();
  place_cursor();
}

void PlotView::set_cursor_time(double t) {
  cursor_t_ = t;
  place_cursor();
}

double PlotView::value_at(int k, double t) const {
  const QList<QPointF>& pts = curve(k);
  if (pts.isEmpty()) return kNaN;
  auto it = std::lower_bound(pts.begin(), pts.end(), t,
                             [](const QPointF& p, double v) { return p.x() < v; });
  if (it == pts.end()) return pts.back().y();
  if (it != pts.begin() && (t - std::prev(it)->x()) < (it->x() - t)) --it;
  return it->y();
}

double PlotView::time_at(const QPointF& view_pos) const {
  const QRectF area = chart()->plotArea();
  const double x = chart()->mapFromScene(mapToScene(view_pos.toPoint())).x();
  return x0_ + (x - area.left()) * (x1_ - x0_) / std::max(area.width(), 1.0);
}

void PlotView::place_cursor() {
  if (std::isnan(cursor_t_) || cursor_t_ < x0_ || cursor_t_ > x1_) {
    cursor_line_->hide();
    return;
  }
  const QRectF area = chart()->plotArea();
  const double x = area.left() + (cursor_t_ - x0_) * area.width() / (x1_ - x0_);
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
