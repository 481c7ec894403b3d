#include "plot/plot_sampler.h"

#include <gtest/gtest.h>

#include <set>

#include "core/controller.h"
#include "support/fake_host.h"

namespace rokan::test {
namespace {

const PlotChannel kFootZ{PlotQuantity::kFootActual, 2, 2};
const PlotChannel kVr1{PlotQuantity::kVr, 0, 0};

TEST(PlotSampler, TakesOneSamplePerCycleWhileAttached) {
  Rig rig("plot_per_cycle");
  rig.start();
  PlotSampler s;
  plot_configure(s, {kFootZ, kVr1}, 1000);
  rig.c.plot = &s;
  rig.ticks(25);
  EXPECT_EQ(s.taken, 25u);
  EXPECT_EQ(s.size, 25);
  EXPECT_DOUBLE_EQ(plot_value(s, 24, 0), rig.c.state.point[2][kFoot][2]);
  EXPECT_DOUBLE_EQ(plot_time(s, 24), 25 * rig.c.params.sampling_time);

  rig.c.plot = nullptr;  // a closed window takes nothing
  rig.ticks(5);
  EXPECT_EQ(s.taken, 25u);
}

TEST(PlotSampler, RingKeepsTheNewestSamplesInTimeOrder) {
  Rig rig("plot_ring");
  rig.start();
  PlotSampler s;
  plot_configure(s, {kVr1}, 10);
  rig.c.plot = &s;
  rig.ticks(23);
  ASSERT_EQ(s.size, 10);
  const double dt = rig.c.params.sampling_time;
  for (int i = 0; i < s.size; ++i) EXPECT_NEAR(plot_time(s, i), (14 + i) * dt, 1e-9) << i;
}

TEST(PlotSampler, ReconfiguringDropsTheHeldSamplesAndCapsTheChannels) {
  Rig rig("plot_reconfigure");
  rig.start();
  PlotSampler s;
  plot_configure(s, {kVr1}, 10);
  rig.c.plot = &s;
  rig.ticks(3);
  const std::vector<PlotChannel> all = all_plot_channels();
  plot_configure(s, all, 10);
  EXPECT_EQ(s.size, 0);
  EXPECT_EQ(s.channel_count, kMaxPlotChannels);
  rig.ticks(1);
  EXPECT_DOUBLE_EQ(plot_time(s, 0), rig.c.params.sampling_time);
}

TEST(PlotSampler, ChannelsHaveDistinctNamesAndReadTheirRecords) {
  const std::vector<PlotChannel> all = all_plot_channels();
  EXPECT_EQ(all.size(), 4u * 18 + 3 + 4 + 1);
  std::set<std::string> names;
  for (const PlotChannel& ch : all) names.insert(plot_channel_name(ch));
  EXPECT_EQ(names.size(), all.size());

  FakeHost host;
  Controller c{host};
  c.state.point[1][kFoot][0] = 100;
  c.servo[1].goal[0] = 130;
  c.servo[3].reference[1] = 0.5;
  c.servo[3].reference[2] = 1.5;
  c.sensor.vr[2] = -4;
  EXPECT_DOUBLE_EQ(plot_channel_value(c, {PlotQuantity::kPosError, 1, 0}), 30);
  EXPECT_NEAR(plot_channel_value(c, {PlotQuantity::kJointRef, 3, 2}), 180.0 / kPi, 1e-9);
  EXPECT_DOUBLE_EQ(plot_channel_value(c, {PlotQuantity::kVr, 0, 2}), -4);
  EXPECT_STREQ(plot_channel_unit({PlotQuantity::kJointActual, 0, 0}), "deg");
}

}  // namespace
}  // namespace rokan::test
