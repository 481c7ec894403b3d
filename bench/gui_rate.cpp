// rokan-gui-rate: the GUI's real sampling rate. Runs the debugger's windows on a copy of the
// workspace for a number of wall seconds (default 10) at the workspace's sampling time, with
// the views drawn every (drawing skip + 1)-th tick (default skip 9), and prints ticks per wall
// second and the share of ticks that over-ran. Over-run stops are switched off for the
// measurement, so a slow tick is counted instead of ending the run in EMG.
//   rokan-gui-rate WORKSPACE [SECONDS] [SKIP]
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "console/console.h"
#include "core/controller.h"
#include "gui/gui_session.h"
#include "gui/main_form.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: rokan-gui-rate WORKSPACE [SECONDS] [SKIP]\n");
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
  const int skip = argc > 3 ? std::atoi(argv[3]) : 9;
  QApplication app(argc, argv);
  rokan::GuiSession session(argv[1]);
  rokan::Controller& c = session.controller();
  // Answer the start-up waits (login screen, "press a key") from inside them.
  QTimer feeder;
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    if (c.cycle.init_in_progress && c.console.wait_depth > 0 && !c.console.key_hit)
      QTest::keyClick(&session.main_form(), Qt::Key_Q);
  });
  feeder.start(5);
  session.start();
  while (c.cycle.init_request || c.cycle.tick_count < 10) QTest::qWait(5);
  feeder.stop();
  c.params.over_run_enable = 0;
  c.cycle.draw_skip = skip;

  long over_runs = 0;
  QTimer watcher;  // looks at the over-run flag after every tick it can see
  watcher.setTimerType(Qt::PreciseTimer);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (c.logger.over_run) {
      ++over_runs;
      c.logger.over_run = 0;
    }
  });
  watcher.start(0);
  const uint64_t first = c.cycle.tick_count;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < seconds * 1000) QTest::qWait(50);
  const double wall = clock.elapsed() / 1000.0;
  const uint64_t ticks = c.cycle.tick_count - first;
  std::printf("sampling time %.3f s, drawing skip %d, %.1f s wall\n", c.params.sampling_time, skip,
              wall);
  std::printf("ticks per wall second: %.1f (%.1f%% of the nominal rate)\n", ticks / wall,
              100.0 * ticks / wall * c.params.sampling_time);
  std::printf("over-runs: %ld of %llu ticks (%.3f%%)\n", over_runs,
              static_cast<unsigned long long>(ticks), 100.0 * over_runs / double(ticks));
  std::fflush(stdout);
  std::_Exit(0);  // skip the quit confirmation
}
