// rokan-gui-rate: the GUI's real sampling rate. Runs the debugger's windows on a copy of the
// workspace for a number of wall seconds (default 10) at the workspace's sampling time, with
// the views drawn every (drawing skip + 1)-th tick (default skip 9), and prints ticks per wall
// second, the number of ticks whose control work over-ran the sampling time, and the sampling
// periods the timer dropped because the thread was held a whole period or more, with how the
// times between the ticks spread. Over-run stops
// are switched off for the measurement, so a slow tick is counted instead of ending the run in
// EMG.
//
//   rokan-gui-rate WORKSPACE [SECONDS] [SKIP] [idle|gait5|rix] [info] [--plots]
//
// idle: MANUAL with nothing selected. gait5: gait 5 walking, VR1 at +10 V (the gait takes the
// sliders as they stand when it starts, 0 V, so this is the largest step forward). rix: the
// default RIX program (ROKAN.RIX), started again each time it ends. info: the information
// display on (key T). The operator's keys are typed into the main window through the window
// system, as an operator types them.
// --plots measures with the live plots window open, showing four channels: how long its redraws
// took (the window's own count), and every event the event loop hands to that window, its chart
// or their parts (its own timer, layout, paint and flush to the window system): how long each held
// the thread (wall and thread CPU time), as a spread, by kind and per redraw. Work that holds the
// thread past the next timeout but one drops a sampling period.
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGraphicsObject>
#include <QGraphicsScene>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "console/console.h"
#include "core/controller.h"
#include "core/modes.h"
#include "gui/gui_session.h"
#include "gui/live_plot_window.h"
#include "gui/main_form.h"
#include "gui/manual_control_box_form.h"
#include "gui/qt_host.h"
#include "gui/tick_driver.h"
#include "gui/tool_windows.h"

namespace {

using rokan::Controller;

enum class Load { kIdle, kGait5, kRix };

double thread_cpu_ms() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec * 1e-6;
}

// How long the events of one kind held the thread, ms.
struct EventTimes {
  long count = 0;
  double wall = 0, cpu = 0;  // sums
  double wall_max = 0, cpu_max = 0;
  long wall_over_period = 0;  // events that held the thread a whole sampling period or more
  void add(double wall_ms, double cpu_ms, double period_ms) {
    ++count;
    wall += wall_ms;
    cpu += cpu_ms;
    wall_max = std::max(wall_max, wall_ms);
    cpu_max = std::max(cpu_max, cpu_ms);
    if (wall_ms >= period_ms) ++wall_over_period;
  }
};

// The application with every event for the watched window timed (events nested inside a timed
// one count towards it).
class TimingApp : public QApplication {
 public:
  using QApplication::QApplication;

  QWidget* watched = nullptr;
  double period_ms = 1;
  EventTimes all;
  std::map<int, EventTimes> by_type;  // QEvent::Type
  // Wall time of every event in 0.1 ms steps (the last bucket holds 3 ms and more).
  long spread[31] = {};

  void reset() {
    all = {};
    by_type.clear();
    std::fill(std::begin(spread), std::end(spread), 0);
  }

  bool notify(QObject* receiver, QEvent* e) override {
    if (timing_ || !watched || !belongs(receiver)) return QApplication::notify(receiver, e);
    timing_ = true;
    const double cpu0 = thread_cpu_ms();
    QElapsedTimer wall;
    wall.start();
    const bool done = QApplication::notify(receiver, e);
    const double wall_ms = wall.nsecsElapsed() * 1e-6, cpu_ms = thread_cpu_ms() - cpu0;
    timing_ = false;
    all.add(wall_ms, cpu_ms, period_ms);
    by_type[e->type()].add(wall_ms, cpu_ms, period_ms);
    ++spread[std::min(30, static_cast<int>(wall_ms * 10))];
    return done;
  }

 private:
  // The watched window, its widgets and their objects, the chart's scene and its items, and the
  // window-system window under it.
  bool belongs(QObject* o) const {
    if (auto* w = qobject_cast<QWindow*>(o)) return w == watched->windowHandle();
    while (o) {
      if (o == watched) return true;
      if (auto* item = qobject_cast<QGraphicsObject*>(o); item && !o->parent())
        o = item->scene();
      else
        o = o->parent();
    }
    return false;
  }

  bool timing_ = false;
};

void print_event_times(const TimingApp& app, long redraws, double redraw_ms, double redraw_max) {
  if (redraws > 0)
    std::printf(
        "redraws: %ld, handing the curves to the chart took %.3f ms wall mean, %.3f max (since the "
        "window opened)\n",
        redraws, redraw_ms / redraws, redraw_max);
  const EventTimes& a = app.all;
  if (a.count == 0) return;
  std::printf(
      "plot window events: %ld, wall mean %.3f ms, max %.3f ms, %ld of a whole period or more; "
      "thread CPU mean %.3f ms, max %.3f ms\n",
      a.count, a.wall / a.count, a.wall_max, a.wall_over_period, a.cpu / a.count, a.cpu_max);
  if (redraws > 0)
    std::printf("plot window events per redraw (%ld): wall %.3f ms, thread CPU %.3f ms\n", redraws,
                a.wall / redraws, a.cpu / redraws);
  std::printf("  wall time of each event:");
  const char* const kSteps[] = {"<0.1", "0.1-0.2", "0.2-0.5", "0.5-1", "1-2", "2-3", ">=3"};
  const int kUpTo[] = {1, 2, 5, 10, 20, 30, 31};
  for (int k = 0, b = 0; k < 7; ++k) {
    long n = 0;
    for (; b < kUpTo[k]; ++b) n += app.spread[b];
    std::printf(" %s ms %ld%s", kSteps[k], n, k < 6 ? "," : "\n");
  }
  for (const auto& [type, t] : app.by_type) {
    if (t.wall < 0.01 * a.wall) continue;  // the kinds that matter
    std::printf(
        "  event type %d: %ld, wall mean %.3f ms, max %.3f ms, %ld of a period or more; "
        "CPU mean %.3f ms\n",
        type, t.count, t.wall / t.count, t.wall_max, t.wall_over_period, t.cpu / t.count);
  }
}

// Runs the event loop, as the program's own does, until `condition` holds or `ms` have passed.
// (QTest's waits sleep 10 ms whenever no event is pending, which would hold the ticks back.)
bool wait_for(const std::function<bool()>& condition, int ms = 20000) {
  QEventLoop loop;
  QTimer poll;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (condition() || clock.elapsed() > ms) loop.quit();
  });
  poll.start(5);
  loop.exec();
  return condition();
}

// Types `key` into the main window and waits until the controller has taken it.
bool type(rokan::GuiSession& s, char key) {
  Controller& c = s.controller();
  QTest::keyClick(s.main_form().windowHandle(), key);
  return wait_for([&] { return s.host().keys().waiting() == 0 && !c.console.key_hit; }, 5000);
}

// From MANUAL: initial posture, AUTO, program `program` ('0' is the RIX program), start. A RIX
// program with compiler warnings needs a second S.
bool start_auto(rokan::GuiSession& s, char program) {
  Controller& c = s.controller();
  if (!c.mode.initial_reached) {
    if (!type(s, 'o') || !type(s, 'i')) return false;
    if (!wait_for([&] { return c.mode.initial_reached == 1; })) return false;
  }
  if (!type(s, 'a') || !type(s, program) || !type(s, 's')) return false;
  if (!wait_for([&] { return c.mode.auto_running || c.mode.auto_step != 0; }, 5000)) return false;
  if (!c.mode.auto_running && !type(s, 's')) return false;
  return wait_for([&] { return c.mode.auto_running != 0; }, 5000);
}

}  // namespace

int main(int argc, char** argv) {
  const bool plots = argc > 2 && std::string(argv[argc - 1]) == "--plots";
  if (plots) --argc;
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: rokan-gui-rate WORKSPACE [SECONDS] [SKIP] [idle|gait5|rix] [info] "
                 "[--plots]\n");
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
  const int skip = argc > 3 ? std::atoi(argv[3]) : 9;
  Load load = Load::kIdle;
  bool info = false;
  for (int i = 4; i < argc; ++i) {
    if (!std::strcmp(argv[i], "gait5")) {
      load = Load::kGait5;
    } else if (!std::strcmp(argv[i], "rix")) {
      load = Load::kRix;
    } else if (!std::strcmp(argv[i], "info")) {
      info = true;
    } else if (std::strcmp(argv[i], "idle") != 0) {
      std::fprintf(stderr, "rokan-gui-rate: unknown load '%s'\n", argv[i]);
      return 2;
    }
  }

  TimingApp app(argc, argv);
  rokan::GuiSession session(argv[1]);
  Controller& c = session.controller();
  long over_runs = 0;
  // Time between the ends of consecutive ticks, in tenths of the sampling time (the last bucket
  // holds everything from 3 periods on).
  constexpr int kBuckets = 31;
  long intervals[kBuckets] = {};
  double longest = 0;
  QElapsedTimer since_tick;
  session.host().on_tick_end([&] {
    if (c.logger.over_run) {
      ++over_runs;
      c.logger.over_run = 0;
    }
    if (since_tick.isValid()) {
      const double periods = since_tick.nsecsElapsed() * 1e-9 / c.params.sampling_time;
      ++intervals[std::min(kBuckets - 1, static_cast<int>(periods * 10))];
      longest = std::max(longest, periods);
    }
    since_tick.start();
  });
  // Answer the start-up waits (login screen, "press a key") from inside them.
  QTimer feeder;
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    if (c.cycle.init_in_progress && c.console.wait_depth > 0 && !c.console.key_hit &&
        session.host().keys().waiting() == 0)
      QTest::keyClick(session.main_form().windowHandle(), Qt::Key_Q);
  });
  feeder.start(5);
  session.start();
  wait_for([&] { return !c.cycle.init_request && c.cycle.tick_count >= 10; });
  feeder.stop();
  c.params.over_run_enable = 0;

  bool started = true;
  if (load == Load::kGait5) {
    started = start_auto(session, '5');
    wait_for([] { return false; }, 300);  // the gait has taken the sliders
    session.main_form()
        .manual_box()
        .findChild<QSlider*>(QStringLiteral("TrackBar_VR1"))
        ->setValue(100);
  } else if (load == Load::kRix) {
    started = start_auto(session, '0');
  }
  if (!started) {
    std::fprintf(stderr, "rokan-gui-rate: the program did not start\n");
    std::_Exit(1);
  }
  if (info && !type(session, 't')) std::_Exit(1);
  c.cycle.draw_skip = skip;
  if (plots) {
    using rokan::PlotQuantity;
    session.main_form().tools().show_plots();
    session.main_form().tools().plots().set_channels({{PlotQuantity::kFootActual, 0, 0},
                                                      {PlotQuantity::kFootActual, 0, 2},
                                                      {PlotQuantity::kJointActual, 1, 1},
                                                      {PlotQuantity::kOrder, 2, 2}});
    app.watched = &session.main_form().tools().plots();
    app.period_ms = c.params.sampling_time * 1e3;
  }

  over_runs = 0;
  std::fill(std::begin(intervals), std::end(intervals), 0);
  longest = 0;
  long restarts = 0;
  const uint64_t first = c.cycle.tick_count;
  const uint64_t missed_before = session.host().ticks().missed();
  app.reset();
  const uint64_t redraws0 = plots ? session.main_form().tools().plots().redraws() : 0;
  const double redraw_ms0 = plots ? session.main_form().tools().plots().redraw_ms_total() : 0;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < seconds * 1000) {
    wait_for([] { return false; }, 50);
    if (load == Load::kRix && c.mode.mode == rokan::kManual) {  // the program has ended
      if (!start_auto(session, '0')) break;
      ++restarts;
    }
    if (c.mode.mode == rokan::kEmg) break;
  }
  const double wall = clock.elapsed() / 1000.0;
  const uint64_t ticks = c.cycle.tick_count - first;
  static const char* const kLoads[] = {"idle MANUAL", "gait 5 walking", "RIX program ROKAN.RIX"};
  std::printf("%s%s%s, sampling time %.3f s, drawing skip %d, %.1f s wall\n",
              kLoads[static_cast<int>(load)], info ? ", information display on" : "",
              plots ? ", live plots window open with four channels" : "", c.params.sampling_time,
              skip, wall);
  std::printf("ticks per wall second: %.1f (%.1f%% of the nominal rate)\n", ticks / wall,
              100.0 * ticks / wall * c.params.sampling_time);
  std::printf("over-runs: %ld of %llu ticks (%.3f%%)\n", over_runs,
              static_cast<unsigned long long>(ticks), 100.0 * over_runs / double(ticks));
  // Within 0.1 period of the sampling time, up to 1.5 periods, longer.
  long on_time = 0, late = 0, very_late = 0, shorter = 0;
  for (int b = 0; b < kBuckets; ++b) {
    if (b < 9) {
      shorter += intervals[b];
    } else if (b <= 10) {
      on_time += intervals[b];
    } else if (b < 15) {
      late += intervals[b];
    } else {
      very_late += intervals[b];
    }
  }
  std::printf(
      "tick intervals: %ld under 0.9 periods, %ld at 0.9-1.1, %ld at 1.1-1.5, %ld longer "
      "(longest %.1f periods)\n",
      shorter, on_time, late, very_late, longest);
  std::printf("periods dropped (their timeout came a whole period late or more): %llu\n",
              static_cast<unsigned long long>(session.host().ticks().missed() - missed_before));
  if (plots) {
    const rokan::LivePlotWindow& w = session.main_form().tools().plots();
    print_event_times(app, static_cast<long>(w.redraws() - redraws0),
                      w.redraw_ms_total() - redraw_ms0, w.redraw_ms_max());
  }
  if (load == Load::kRix) std::printf("program runs started again: %ld\n", restarts);
  const bool emg = c.mode.mode == rokan::kEmg;
  if (emg) std::printf("stopped early in EMG\n");
  std::fflush(stdout);
  std::_Exit(emg ? 1 : 0);  // skip the quit confirmation
}
