#include "plot/plot_sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/controller.h"
#include "rix/runtime_support.h"
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

// A program whose variables change at every step: A counts, P.Z goes up by 2 with it.
constexpr const char* kCounting =
    "DEF_VAR A, B\n"
    "DEF_POS P\n"
    "DEF_JNT J\n"
    "A = 0\n"
    "P.Z = 0\n"
    "LOOP:\n"
    "A += 1\n"
    "P.Z = P.Z + 2\n"
    "IF A < 50 GOTO LOOP:\n"
    "B = A\n"
    "END";

PlotChannel rix_var(const char* name) {
  return {PlotQuantity::kRixVar, 0, 0, name};
}

TEST(PlotSampler, ListsTheVariablesOfTheProgramInTheImage) {
  RuntimeRig r("plot_rix_list");
  EXPECT_TRUE(rix_plot_channels(r.c).empty()) << "no program loaded";
  ASSERT_NO_FATAL_FAILURE(r.compile(kCounting));
  std::vector<std::string> names;
  for (const PlotChannel& ch : rix_plot_channels(r.c))
    names.push_back(plot_channel_name(ch) + " " + plot_channel_unit(ch));
  const std::vector<std::string> want = {"VAR_KEY ", "A ",       "B ",       "P.X mm",  "P.Y mm",
                                         "P.Z mm",   "J.J1 deg", "J.J2 deg", "J.J3 deg"};
  EXPECT_EQ(names, want);
}

TEST(PlotSampler, TakesRixVariablesByNameWhileTheProgramRuns) {
  RuntimeRig r("plot_rix_values");
  ASSERT_NO_FATAL_FAILURE(r.compile(kCounting));
  PlotSampler s;
  plot_configure(s, {rix_var("A"), {PlotQuantity::kRixPos, 0, 2, "P"}, kVr1, rix_var("NONE")},
                 1000);
  // Before the first step A is unset: no value.
  plot_sample(s, r.c);
  EXPECT_TRUE(std::isnan(plot_value(s, 0, 0)));
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(r.step()) << r.report();
    plot_sample(s, r.c);
  }
  const int last = s.size - 1;
  EXPECT_EQ(plot_value(s, last, 0), r.value(1));
  EXPECT_GT(plot_value(s, last, 0), 5);
  EXPECT_EQ(plot_value(s, last, 1), r.c.rix.pos[0].value[2]);
  EXPECT_NEAR(plot_value(s, last, 1), 2 * plot_value(s, last, 0), 2) << "one statement behind";
  EXPECT_EQ(plot_value(s, last, 2), r.c.sensor.vr[0]);
  EXPECT_TRUE(std::isnan(plot_value(s, last, 3))) << "a name the program does not have";
  // The values follow the steps: A never goes down while the program counts.
  for (int i = 2; i < s.size; ++i) {
    if (!std::isnan(plot_value(s, i - 1, 0))) {
      EXPECT_GE(plot_value(s, i, 0), plot_value(s, i - 1, 0));
    }
  }

  // Stopped: the variables keep their values in the image, but the channels have none.
  r.c.mode.auto_running = 0;
  plot_sample(s, r.c);
  EXPECT_TRUE(std::isnan(plot_value(s, s.size - 1, 0)));
  EXPECT_TRUE(std::isnan(plot_channel_value(r.c, rix_var("A"))));
  r.c.mode.auto_running = 1;
  EXPECT_EQ(plot_channel_value(r.c, rix_var("A")), r.value(1));
}

TEST(PlotSampler, FindsAVariableAgainWhenAnotherProgramIsLoaded) {
  RuntimeRig r("plot_rix_reload");
  ASSERT_NO_FATAL_FAILURE(r.compile("DEF_VAR A, B\nA = 1\nB = 2\nEND"));
  PlotSampler s;
  plot_configure(s, {rix_var("B")}, 100);
  r.run();
  plot_sample(s, r.c);
  EXPECT_EQ(plot_value(s, 0, 0), 2);
  // The tables change: where the sampler found B, A stands now.
  ASSERT_NO_FATAL_FAILURE(r.compile("DEF_VAR B, A\nB = 7\nA = 8\nEND"));
  r.run();
  plot_sample(s, r.c);
  EXPECT_EQ(plot_value(s, 1, 0), 7);
}

}  // namespace
}  // namespace rokan::test
