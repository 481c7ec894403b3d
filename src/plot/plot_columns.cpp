#include "plot/plot_columns.h"

#include <algorithm>
#include <cmath>

namespace rokan {
namespace {

int64_t column_of(double t, double width) {
  return static_cast<int64_t>(std::floor(t / width));
}

int slot_of(int64_t number, int kept) {
  const int64_t m = number % kept;
  return static_cast<int>(m < 0 ? m + kept : m);
}

// Folds held sample i (0 = oldest) into its column of every channel.
void fold(PlotColumns& pc, const PlotSampler& s, int i) {
  const double t = plot_time(s, i);
  const int64_t number = column_of(t, pc.width);
  const std::size_t slot = static_cast<std::size_t>(slot_of(number, pc.kept));
  for (int ch = 0; ch < pc.channel_count; ++ch) {
    const double v = plot_value(s, i, ch);
    if (std::isnan(v)) continue;
    PlotColumn& c = pc.columns[static_cast<std::size_t>(ch * pc.kept) + slot];
    if (c.number != number) {
      c = {number, t, v, t, v};
    } else if (v < c.v_lo) {
      c.t_lo = t;
      c.v_lo = v;
    } else if (v > c.v_hi) {
      c.t_hi = t;
      c.v_hi = v;
    }
  }
}

}  // namespace

void plot_columns_update(PlotColumns& pc, const PlotSampler& s, double x0, double x1,
                         double width) {
  if (!(width > 0) || !(x1 > x0)) return;
  // A window of a whole number of columns comes out a hair above or below it as the window rolls
  // on; the tolerance keeps `kept` from flipping (and the columns from being made again) with it.
  // The columns drawn, floor(x1 / width) - floor(x0 / width) + 2, still fit.
  const int kept = static_cast<int>(std::ceil((x1 - x0) / width - 1e-6)) + 3;
  uint64_t fresh = s.taken - pc.taken;
  if (pc.epoch != s.epoch || pc.width != width || pc.kept != kept ||
      pc.channel_count != s.channel_count || s.taken < pc.taken ||
      fresh > static_cast<uint64_t>(s.size)) {
    pc.width = width;
    pc.kept = kept;
    pc.channel_count = s.channel_count;
    pc.epoch = s.epoch;
    ++pc.rebuilds;
    pc.columns.assign(static_cast<std::size_t>(kept) * static_cast<std::size_t>(s.channel_count),
                      PlotColumn{});
    // Only the samples from the column before the window's on are ever drawn.
    const double from = (static_cast<double>(column_of(x0, width)) - 1) * width;
    int lo = 0, hi = s.size;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (plot_time(s, mid) < from)
        lo = mid + 1;
      else
        hi = mid;
    }
    fresh = static_cast<uint64_t>(s.size - lo);
  }
  for (int i = s.size - static_cast<int>(fresh); i < s.size; ++i) fold(pc, s, i);
  pc.taken = s.taken;
}

void plot_column_points(const PlotColumns& pc, int channel, double x0, double x1,
                        std::vector<PlotPoint>& out) {
  out.clear();
  if (pc.kept == 0 || channel < 0 || channel >= pc.channel_count || !(x1 > x0)) return;
  const int64_t first = column_of(x0, pc.width) - 1, last = column_of(x1, pc.width);
  const PlotColumn* cols = &pc.columns[static_cast<std::size_t>(channel * pc.kept)];
  for (int64_t number = first; number <= last; ++number) {
    const PlotColumn& c = cols[slot_of(number, pc.kept)];
    if (c.number != number) continue;  // no sample with a value there
    if (c.t_lo == c.t_hi) {
      out.push_back({c.t_lo, c.v_lo});
    } else if (c.t_lo < c.t_hi) {
      out.push_back({c.t_lo, c.v_lo});
      out.push_back({c.t_hi, c.v_hi});
    } else {
      out.push_back({c.t_hi, c.v_hi});
      out.push_back({c.t_lo, c.v_lo});
    }
  }
}

}  // namespace rokan
