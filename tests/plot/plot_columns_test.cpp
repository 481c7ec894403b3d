#include "plot/plot_columns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace rokan::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Puts one sample into the ring as plot_sample does, with the values given.
void push(PlotSampler& s, double t, const std::vector<double>& values) {
  const std::size_t at = static_cast<std::size_t>(s.head);
  s.t[at] = t;
  for (std::size_t k = 0; k < values.size(); ++k) s.v[at * kMaxPlotChannels + k] = values[k];
  s.head = s.head + 1 == s.capacity ? 0 : s.head + 1;
  if (s.size < s.capacity) ++s.size;
  ++s.taken;
  s.clock = t;
}

PlotSampler sampler(int channels, int capacity) {
  PlotSampler s;
  plot_configure(s, std::vector<PlotChannel>(static_cast<std::size_t>(channels)), capacity);
  return s;
}

bool has_point(const std::vector<PlotPoint>& pts, double t, double v) {
  for (const PlotPoint& p : pts)
    if (p.t == t && p.v == v) return true;
  return false;
}

// 60 s at 1 ms thinned for a chart 600 pixels wide: a single sample standing out either way is
// still drawn, at its own time, and the curve has at most about one point per pixel.
TEST(PlotColumns, KeepsOneSamplePeaksWithAboutOnePointPerPixel) {
  PlotSampler s = sampler(1, 60001);
  const int spike = 31234, dip = 45001;
  for (int i = 1; i <= 60000; ++i) {
    const double v = i == spike ? 7.0 : i == dip ? -3.0 : std::sin(i * 0.01);
    push(s, i * 0.001, {v});
  }
  PlotColumns pc;
  const double x1 = 60.0, x0 = 0.0, width = 60.0 / 300;  // two pixels per column
  plot_columns_update(pc, s, x0, x1, width);
  std::vector<PlotPoint> pts;
  plot_column_points(pc, 0, x0, x1, pts);
  EXPECT_TRUE(has_point(pts, spike * 0.001, 7.0));
  EXPECT_TRUE(has_point(pts, dip * 0.001, -3.0));
  EXPECT_LE(pts.size(), 2u * 302u);
  EXPECT_GE(pts.size(), 2u * 290u);  // a moving curve gives both ends of nearly every column
  for (std::size_t i = 1; i < pts.size(); ++i) ASSERT_LT(pts[i - 1].t, pts[i].t) << i;
}

// Folding in the new samples at every redraw, as the ring wraps and the window rolls on, gives
// the same points as thinning the ring afresh.
TEST(PlotColumns, FoldingInNewSamplesMatchesStartingAfresh) {
  PlotSampler s = sampler(2, 3000);
  PlotColumns rolling;
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / (1 << 24);
  };
  const double window = 2.0, width = window / 137;
  int i = 0;
  for (int redraw = 0; redraw < 80; ++redraw) {
    const int chunk = 1 + static_cast<int>(next() * 150);
    for (int k = 0; k < chunk; ++k, ++i) {
      const double t = (i + 1) * 0.001;
      push(s, t, {next() < 0.05 ? kNaN : next() * 10 - 5, std::floor(t * 3)});
    }
    const double x1 = std::max(s.clock, window), x0 = x1 - window;
    plot_columns_update(rolling, s, x0, x1, width);
    PlotColumns fresh;
    plot_columns_update(fresh, s, x0, x1, width);
    for (int ch = 0; ch < 2; ++ch) {
      std::vector<PlotPoint> a, b;
      plot_column_points(rolling, ch, x0, x1, a);
      plot_column_points(fresh, ch, x0, x1, b);
      ASSERT_EQ(a.size(), b.size()) << "redraw " << redraw << " channel " << ch;
      for (std::size_t p = 0; p < a.size(); ++p) {
        ASSERT_EQ(a[p].t, b[p].t) << redraw << " " << ch << " " << p;
        ASSERT_EQ(a[p].v, b[p].v) << redraw << " " << ch << " " << p;
      }
      ASSERT_FALSE(a.empty());
    }
  }
  EXPECT_GT(i, 3000);  // the ring wrapped
}

// A rolling window of a whole number of columns, as the live plot's (window / (pixels / 2)): the
// columns are made once and then only fed, so a redraw costs the new samples, not the window.
TEST(PlotColumns, ARollingWindowIsFedWithoutBeingMadeAgain) {
  for (int seconds : {1, 3, 10, 60}) {
    for (int columns = 250; columns <= 330; columns += 7) {
      PlotSampler s = sampler(1, 2 * 1000 * seconds + 1);
      PlotColumns pc;
      const double window = seconds, width = window / columns;
      double t = 0;
      for (int i = 1; i <= 2 * 1000 * seconds; ++i) {
        t += 0.001;  // as the sampler's clock goes
        push(s, t, {1.0});
        if (i % 97 != 0) continue;
        const double x1 = std::max(s.clock, window), x0 = x1 - window;
        plot_columns_update(pc, s, x0, x1, width);
      }
      ASSERT_EQ(pc.rebuilds, 1u) << seconds << " s in " << columns << " columns";
    }
  }
}

// After the sampler starts again (new channels), the columns of the old samples are gone; samples
// without a value (NaN) give no points.
TEST(PlotColumns, StartsAgainWithTheSamplerAndLeavesOutSamplesWithoutValue) {
  PlotSampler s = sampler(1, 1000);
  PlotColumns pc;
  for (int i = 1; i <= 500; ++i) push(s, i * 0.001, {100.0});
  plot_columns_update(pc, s, 0, 1, 0.01);
  std::vector<PlotPoint> pts;
  plot_column_points(pc, 0, 0, 1, pts);
  ASSERT_FALSE(pts.empty());

  plot_clear(s);
  for (int i = 1; i <= 600; ++i) push(s, i * 0.001, {i <= 300 ? kNaN : 1.0});
  plot_columns_update(pc, s, 0, 1, 0.01);
  plot_column_points(pc, 0, 0, 1, pts);
  ASSERT_FALSE(pts.empty());
  for (const PlotPoint& p : pts) {
    EXPECT_EQ(p.v, 1.0) << p.t;
    EXPECT_GT(p.t, 0.3) << p.v;
  }
}

TEST(PlotColumns, NiceRangeHoldsTheValuesInRoundStepsAndStaysWhileTheyMoveInside) {
  double y0, y1;
  plot_nice_range(-12.3, 47.9, y0, y1);
  EXPECT_DOUBLE_EQ(y0, -20);  // steps of 10 for a span of 60
  EXPECT_DOUBLE_EQ(y1, 50);
  double z0, z1;
  plot_nice_range(-11.0, 46.5, z0, z1);  // the values moved a little inside
  EXPECT_EQ(z0, y0);
  EXPECT_EQ(z1, y1);
  plot_nice_range(0.25, 0.25, y0, y1);  // a flat line sits inside its range
  EXPECT_LT(y0, 0.25);
  EXPECT_GT(y1, 0.25);
  plot_nice_range(std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                  y0, y1);  // no value at all
  EXPECT_EQ(y0, -1);
  EXPECT_EQ(y1, 1);
}

}  // namespace
}  // namespace rokan::test
