// A chart of a few curves against time, shared by the live plots and the log viewer: Qt Charts
// axes, grid and legend, the curves drawn as polylines over its plot area, a vertical time cursor
// set by clicking or moving the mouse, and (when enabled) zoom with the wheel and pan by dragging.
// Curves are handed in already thinned to about one point pair per pixel column, so a redraw costs
// the same however long the data are.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

class QGraphicsLineItem;
class QLineSeries;
class QValueAxis;

namespace rokan {

// The points of samples (time(i), value(i)), i in [0, n), with times ascending, inside [x0, x1]
// plus one point either side, thinned to the minimum and maximum of each of `buckets` time
// slices so that peaks survive. Samples whose value is NaN are left out.
template <class Time, class Value>
QList<QPointF> thin_curve(int n, Time time, Value value, double x0, double x1, int buckets) {
  QList<QPointF> out;
  if (n <= 0 || x1 <= x0) return out;
  int lo = 0, hi = n;  // first sample at or after x0
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (time(mid) < x0)
      lo = mid + 1;
    else
      hi = mid;
  }
  int first = std::max(lo - 1, 0);
  const double width = (x1 - x0) / buckets;
  int i = first;
  while (i < n) {
    const double t = time(i);
    if (std::isnan(value(i))) {  // no value (a RIX variable while no program runs): left out
      ++i;
      continue;
    }
    if (t > x1) {
      out.append(QPointF(t, value(i)));  // one past the end, so the curve reaches the edge
      break;
    }
    const int bucket = static_cast<int>((t - x0) / width);
    int i_min = i, i_max = i, j = i + 1;
    for (; j < n; ++j) {
      const double tj = time(j);
      if (tj > x1 || static_cast<int>((tj - x0) / width) != bucket) break;
      const double vj = value(j);
      if (std::isnan(vj)) continue;
      if (vj < value(i_min)) i_min = j;
      if (vj > value(i_max)) i_max = j;
    }
    const int a = std::min(i_min, i_max), b = std::max(i_min, i_max);
    out.append(QPointF(time(a), value(a)));
    if (b != a) out.append(QPointF(time(b), value(b)));
    i = j;
  }
  return out;
}

class PlotView : public QChartView {
  Q_OBJECT

 public:
  explicit PlotView(QWidget* parent = nullptr);

  // Replaces the curves (names for the legend, one point list each, times ascending).
  void set_curves(const QStringList& names, const std::vector<QList<QPointF>>& curves);
  // Replaces the curves and shows them over [x0, x1], the y axis fitted to them when `fit_y`.
  void show_curves(const QStringList& names, const std::vector<QList<QPointF>>& curves, double x0,
                   double x1, bool fit_y);
  void set_x_range(double x0, double x1);
  // Pixels across the plot area (0 before the chart was laid out).
  int plot_width() const;
  double x_min() const { return x0_; }
  double x_max() const { return x1_; }
  // Fits the y axis to the curves' values inside the x range (see plot_nice_range); an unchanged
  // fit leaves the axis alone, so its labels are not laid out again.
  void auto_range_y();
  // Wheel zoom and drag pan of the time axis (the log viewer); off for the live plot.
  void set_navigable(bool on) { navigable_ = on; }
  // The time cursor; NaN hides it.
  void set_cursor_time(double t);
  double cursor_time() const { return cursor_t_; }
  // The points of curve k as drawn (empty when there is no curve k).
  const QList<QPointF>& curve(int k) const;
  // The value of curve k at time t, from the nearest drawn point; NaN when there is none.
  double value_at(int k, double t) const;

 signals:
  void cursor_moved(double t);
  // The visible time range changed through zoom or pan.
  void x_range_changed(double x0, double x1);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  double time_at(const QPointF& view_pos) const;
  void place_cursor();
  // Makes one series per name (kept while the names stay, so the legend is not rebuilt).
  void ensure_series(const QStringList& names, std::size_t count);
  // Sets the y axis to span [lo, hi] (not finite: -1..1), widened to whole steps of a round
  // size so that it changes only when the curves leave it or shrink well inside it.
  void fit_y(double lo, double hi);

  class CurvesItem;
  friend class CurvesItem;
  void paint_curves(QPainter& painter, const QRectF& area) const;
  // Grid lines, labels and title of the time axis for the plot area `area`.
  void paint_time_axis(QPainter& painter, const QRectF& area) const;

  QValueAxis* x_axis_;
  QValueAxis* y_axis_;
  std::vector<QLineSeries*> series_;  // no points: the legend's entries and the curves' colours
  std::vector<QList<QPointF>> curves_;
  CurvesItem* curves_item_;
  double time_band_ = 0;  // px under the plot area for the time axis' labels and title
  QGraphicsLineItem* cursor_line_;
  double x0_ = 0, x1_ = 1;
  double cursor_t_;
  bool navigable_ = false;
  bool dragging_ = false;
  bool dragged_ = false;
  double drag_start_px_ = 0;
  double drag_x0_ = 0, drag_x1_ = 1;
};

}  // namespace rokan
