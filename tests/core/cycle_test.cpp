#include "core/cycle.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/modes.h"
#include "platform/text.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::Rig;

struct Cycle : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
};

TEST_F(Cycle, StartUpShowsItsProgressStampsTheLogAndEndsInManual) {
  std::string prompt_while_waiting;
  rig.key('Q');
  rig.host.events.push_back([&] {
    prompt_while_waiting = c.console.screen[11];
    key_char(c, ' ');
  });
  sampling_tick(c);
  EXPECT_EQ(c.console.screen[5], SJ("Rokan初期化開始"));
  EXPECT_EQ(c.console.screen[6], "ARDO_VERSION : 4.200000\n");
  EXPECT_EQ(c.console.screen[7], "RIX_VERSION  : 3.100000\n");
  EXPECT_EQ(c.console.screen[10], SJ("[ROKANシステム初期化完了]"));
  EXPECT_EQ(prompt_while_waiting, SJ("キーを押してください．"));
  EXPECT_EQ(c.console.screen[11], "");  // answered: no longer asks for a key
  EXPECT_EQ(c.mode.mode, kManual);
  EXPECT_EQ(c.cycle.init_request, 0);
  EXPECT_EQ(c.cycle.tick_count, 1u);
  std::ifstream log(rig.dir / "emg" / "emg.log");
  std::string first;
  std::getline(log, first);
  EXPECT_EQ(first.substr(0, 6), "----- ");
}

TEST_F(Cycle, KeyThatEndsTheStartUpWaitIsNotDispatched) {
  rig.key('Q');   // leaves the login screen
  rig.key('\r');  // CR would be an emergency stop if the dispatcher saw it
  sampling_tick(c);
  EXPECT_EQ(c.mode.mode, kManual);
  EXPECT_FALSE(c.console.key_hit);
}

TEST_F(Cycle, TicksDuringStartUpReturnAtOnce) {
  rig.key('Q');  // leaves the login screen
  rig.host.events.push_back([this] { sampling_tick(c); });
  rig.key(' ');
  sampling_tick(c);
  EXPECT_EQ(c.cycle.tick_count, 1u);
}

TEST_F(Cycle, ViewsDrawEverySkipPlusOneTicksLampsEveryTick) {
  rig.start();
  int views = rig.host.view_paints, lamps = rig.host.lamp_updates;
  c.cycle.draw_skip = 4;
  rig.ticks(10);
  EXPECT_EQ(rig.host.view_paints - views, 2);
  EXPECT_EQ(rig.host.lamp_updates - lamps, 10);
}

TEST_F(Cycle, TimeFieldShowsElapsedTimeBeforeThisTicksIncrement) {
  rig.start();
  rig.ticks(1499);
  EXPECT_EQ(rig.host.time_field, "   1.499[sec]");
  EXPECT_EQ(rig.host.timer_interval, 1);
}

TEST_F(Cycle, ElapsedTimeWrapsAtAThousandSecondsAndIntervalTruncates) {
  rig.start();
  // Hundreds of seconds are shown as they are; only 1000 s starts the count again.
  c.cycle.elapsed = 150.2502;
  rig.ticks(2);
  EXPECT_EQ(rig.host.time_field, " 150.251[sec]");
  c.cycle.elapsed = 999.9972;
  rig.ticks(3);
  EXPECT_EQ(rig.host.time_field, " 999.999[sec]");
  EXPECT_EQ(c.cycle.elapsed, 0);
  rig.ticks(1);
  EXPECT_EQ(rig.host.time_field, "   0.000[sec]");
  c.params.sampling_time = 0.0005;
  rig.ticks(1);
  EXPECT_EQ(rig.host.timer_interval, 0);
}

TEST_F(Cycle, MissingReportLogDirectoryEndsTheProcessWithCodeOne) {
  std::filesystem::remove_all(rig.dir / "emg");
  rig.key('Q');  // leaves the login screen
  rig.key(' ');
  EXPECT_THROW(sampling_tick(c), test::ProcessExited);
  EXPECT_EQ(rig.host.exit_code, 1);
  rig.ticks(5);
  EXPECT_EQ(c.cycle.tick_count, 0u);
}

TEST_F(Cycle, QuitConfirmationCancelGoesOnAndOkEndsTheProgram) {
  rig.start();
  rig.host.quit_answers = {false, true};
  rig.key('E');
  rig.host.process_one_event();
  rig.ticks(1);
  EXPECT_FALSE(rig.host.window_closed);
  rig.key('e');
  rig.host.process_one_event();
  rig.ticks(1);
  EXPECT_TRUE(rig.host.window_closed);
  EXPECT_EQ(c.console.emg_log.get(), nullptr);
  auto ticks = c.cycle.tick_count;
  rig.ticks(3);
  EXPECT_EQ(c.cycle.tick_count, ticks);
}

TEST_F(Cycle, OverRunIsFlaggedWhenTheControlWorkOutlastsTheSamplingTime) {
  rig.start();
  rig.host.clock_step = 0.0009;
  rig.ticks(3);
  EXPECT_FALSE(c.logger.over_run);
  rig.host.clock_step = 0.0011;
  rig.ticks(1);
  EXPECT_TRUE(c.logger.over_run);
}

TEST_F(Cycle, AMessageShownDuringTheControlWorkIsPaintedOnceAfterItsTimeIsTaken) {
  rig.start();
  c.params.over_run_enable = true;
  rig.host.strip_paint_seconds = 0.05;  // a slow screen
  // The logger finds its count out of range: EMG and a report, all inside the timed work.
  c.logger.count = -1;
  const int paints = rig.host.strip_paints;
  rig.ticks(1);
  EXPECT_EQ(c.mode.mode, kEmg);
  EXPECT_NE(c.console.lines[1].find(SJ("不正なメモリ領域")), std::string::npos);
  EXPECT_EQ(rig.host.strip_paints, paints + 1);
  EXPECT_FALSE(c.logger.over_run);

  // Outside the cycle a line is painted at once, as before.
  msg_set_status_line(c, "x");
  EXPECT_EQ(rig.host.strip_paints, paints + 2);
}

}  // namespace
}  // namespace rokan
