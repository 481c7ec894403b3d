// The live plot's curves thinned for drawing: per channel, the smallest and the largest value of
// each column of time (a column is about two pixels of the chart wide), so that a one-sample peak
// still shows while a curve has at most about one point per pixel. The columns sit at fixed times
// (multiples of their width) and are kept up to date as the sampler's ring fills: a redraw folds
// in only the samples taken since the last one, so its cost is bounded by the chart's width and
// the samples of one drawing period, not by the length of the time window.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "plot/plot_sampler.h"

namespace rokan {

struct PlotColumn {
  int64_t number = INT64_MIN;  // which column of time the slot holds (floor(t / width))
  double t_lo = 0, v_lo = 0;   // the smallest value and when it was taken
  double t_hi = 0, v_hi = 0;   // the largest value and when it was taken
};

struct PlotPoint {
  double t;  // s
  double v;
};

struct PlotColumns {
  double width = 0;  // s of sampling time per column
  int kept = 0;      // columns kept per channel (the window's columns and one either side)
  int channel_count = 0;
  std::vector<PlotColumn> columns;  // `kept` per channel, channel after channel
  uint32_t epoch = 0;               // the sampler's epoch the columns were made from
  uint64_t taken = 0;               // the sampler's samples folded in
  uint64_t rebuilds = 0;            // times the columns were made afresh from the ring
};

// Brings the columns of `width` s up to date with the sampler for a window of [x0, x1]: folds in
// the samples taken since the last call, or starts again from the ring when the sampler was
// cleared, the width or the window's length changed, or more samples came than the ring holds.
void plot_columns_update(PlotColumns& pc, const PlotSampler& s, double x0, double x1, double width);
// The points of `channel` from the column before x0 to the one that holds x1: per column with a
// value, its smallest and largest value in time order (one point when they are one sample).
// Columns whose samples were all NaN give no points.
void plot_column_points(const PlotColumns& pc, int channel, double x0, double x1,
                        std::vector<PlotPoint>& out);

// The y range shown for values in [lo, hi]: a small margin added, then widened out to whole steps
// of a round size (1, 2 or 5 times a power of ten, about an eighth of the span), so that it stays
// put while the values move inside it and the axis labels are round numbers. Without a finite
// value: -1..1.
inline void plot_nice_range(double lo, double hi, double& y0, double& y1) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) {
    y0 = -1;
    y1 = 1;
    return;
  }
  const double span = hi > lo ? hi - lo : std::max(std::fabs(hi) * 0.1, 1.0);  // a flat line
  const double raw = span / 8;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / magnitude;
  const double step = (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * magnitude;
  const double margin = span * 0.02;
  y0 = std::floor((lo - margin) / step) * step;
  y1 = std::ceil((hi + margin) / step) * step;
}

}  // namespace rokan
