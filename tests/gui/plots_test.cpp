// The live plots window and the sampling log viewer on real windows: the ring the cycle fills,
// the chart and cursor readouts, a log written by the DEBUG program, a damaged copy of it, and
// files that are no logs at all.
#include <QChart>
#include <QFile>
#include <QSlider>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "gui/live_plot_window.h"
#include "gui/log_viewer_window.h"
#include "gui/manual_control_box_form.h"
#include "gui/plot_view.h"
#include "gui/tool_windows.h"
#include "gui_fixture.h"
#include "platform/text.h"
#include "sim/batch.h"
#include "support/workspace_copy.h"

namespace rokan {
namespace {

namespace fs = std::filesystem;

const std::vector<PlotChannel> kFourChannels = {{PlotQuantity::kFootActual, 0, 1},
                                                {PlotQuantity::kFootActual, 0, 2},
                                                {PlotQuantity::kFootGoal, 0, 1},
                                                {PlotQuantity::kVr, 0, 0}};

TEST_F(GuiTest, PlotWindowTakesOneSamplePerCycleWhileItShows) {
  start_past_startup();
  QAction& open = child<QAction>(main_form(), "WindowPlots");
  open.trigger();
  LivePlotWindow& w = main_form().tools().plots();
  ASSERT_TRUE(w.isVisible());
  w.set_channels(kFourChannels);
  const uint64_t ticks0 = c().cycle.tick_count;
  const uint64_t taken0 = w.sampler().taken;
  QTest::qWait(300);
  stop_ticks();
  EXPECT_GT(c().cycle.tick_count, ticks0);
  EXPECT_EQ(w.sampler().taken - taken0, c().cycle.tick_count - ticks0);
  EXPECT_DOUBLE_EQ(plot_value(w.sampler(), w.sampler().size - 1, 1), c().state.point[0][kFoot][2]);

  w.refresh();
  ASSERT_EQ(w.view().chart()->series().size(), 4);
  w.view().set_cursor_time(plot_time(w.sampler(), w.sampler().size - 1));
  EXPECT_TRUE(w.cursor_text().contains(
      QStringLiteral("F1 foot z = %1 mm").arg(c().state.point[0][kFoot][2], 0, 'f', 3)))
      << w.cursor_text().toStdString();

  w.hide();
  EXPECT_EQ(c().plot, nullptr);  // a hidden window costs the cycle nothing
}

TEST_F(GuiTest, PlotWindowPausesTheDisplayButKeepsSampling) {
  start_past_startup();
  LivePlotWindow& w = main_form().tools().plots();
  main_form().tools().show_plots();
  w.set_channels(kFourChannels);  // the fourth is VR1
  QTest::qWait(150);
  w.refresh();
  w.set_paused(true);
  auto vr1_curve = [&] { return w.view().curve(3); };
  const QList<QPointF> frozen = vr1_curve();
  ASSERT_FALSE(frozen.isEmpty());
  const uint64_t taken = w.sampler().taken;
  child<QSlider>(main_form().manual_box(), "TrackBar_VR1").setValue(30);  // 3.0 V
  QTest::qWait(200);
  w.refresh();
  EXPECT_GT(w.sampler().taken, taken);
  EXPECT_EQ(vr1_curve(), frozen);
  w.set_paused(false);
  ASSERT_FALSE(vr1_curve().isEmpty());
  EXPECT_DOUBLE_EQ(vr1_curve().back().y(), 3.0);
}

// The log viewer's thinning: a one-sample spike in a long log is still among the drawn points, and
// the points stay within two per column.
TEST(PlotThinning, KeepsASpikeWithinTwoPointsPerColumn) {
  const int n = 100000, spike = 61237;
  auto time = [](int i) { return i * 0.001; };
  auto value = [&](int i) { return i == spike ? 9.0 : std::cos(i * 0.003); };
  const QList<QPointF> pts = thin_curve(n, time, value, 10.0, 90.0, 250);
  EXPECT_TRUE(pts.contains(QPointF(time(spike), 9.0)));
  EXPECT_LE(pts.size(), 2 * 250 + 2);
  EXPECT_GE(pts.size(), 2 * 240);
}

// The live plot of gait 5 walking: VR1 10 V above what the gait captured when it started.
TEST_F(GuiTest, PlotWindowShowsGaitFiveWalking) {
  start_past_startup();
  TmainForm& f = main_form();
  LivePlotWindow& w = f.tools().plots();
  f.tools().show_plots();
  w.set_channels({{PlotQuantity::kFootActual, 0, 1},
                  {PlotQuantity::kFootActual, 0, 2},
                  {PlotQuantity::kFootActual, 1, 2},
                  {PlotQuantity::kVr, 0, 0}});
  w.set_window_seconds(8);
  f.manual_box().show();
  QSlider& vr1 = child<QSlider>(f.manual_box(), "TrackBar_VR1");
  vr1.setValue(-50);
  type(*session_, f, 'o');
  type(*session_, f, 'i');
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.initial_reached == 1; }, 10000));
  type(*session_, f, 'a');
  type(*session_, f, '5');
  type(*session_, f, 's');
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.auto_step != 0; }, 5000));
  QTest::qWait(300);
  vr1.setValue(50);
  const double start_y = c().state.point[0][kFoot][1];
  ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(c().state.point[0][kFoot][1] - start_y) > 20; },
                              20000));
  // A few seconds of walking on the chart (the GUI runs slower than real time on a busy machine).
  (void)QTest::qWaitFor([&] { return w.sampler().clock > 7; }, 20000);
  stop_ticks();
  w.refresh();
  const PlotSampler& s = w.sampler();
  w.view().set_cursor_time((plot_time(s, 0) + plot_time(s, s.size - 1)) / 2);
  w.refresh();
  EXPECT_FALSE(w.cursor_text().isEmpty());
  // More samples per curve than the chart has pixels across, drawn with at most about one point
  // per pixel.
  ASSERT_GT(w.view().plot_width(), 100);
  ASSERT_GT(s.size, 2 * w.view().plot_width());
  for (int k = 0; k < 4; ++k) {
    EXPECT_GT(w.view().curve(k).size(), 20) << k;
    EXPECT_LE(w.view().curve(k).size(), w.view().plot_width() + 6) << k;
  }
  save_screenshot(desktop({&w}), "screenshot-plots.png");
}

// A RIX program's variable as a channel: listed once the program runs, sampled every cycle.
TEST_F(GuiTest, PlotWindowTakesAVariableOfTheRunningRixProgram) {
  std::ofstream(workspace_ / "DEFAULT" / "rixs" / "ROKAN.RIX", std::ios::binary) << utf8_to_cp932(
      "3.1\nplot\nDEF_VAR A\nDEF_POS P\nA = 0\nP.Z = 0\nLOOP:\nA += 1\n"
      "P.Z = P.Z + 2\nSLEEP 0.005\nIF A < 1000000 GOTO LOOP:\nEND\n");
  start_past_startup();
  TmainForm& f = main_form();
  LivePlotWindow& w = f.tools().plots();
  f.tools().show_plots();
  QTreeWidget& tree = child<QTreeWidget>(w, "ChannelTree");
  auto group = [&] {
    return tree.findItems(QStringLiteral("RIX variables"), Qt::MatchStartsWith)[0]->text(0);
  };
  auto entry = [&](const char* text) -> QTreeWidgetItem* {
    const auto found =
        tree.findItems(QString::fromLatin1(text), Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found[0];
  };
  EXPECT_EQ(group(), QStringLiteral("RIX variables (no program)"));

  type(*session_, f, 'o');
  type(*session_, f, 'i');
  ASSERT_TRUE(QTest::qWaitFor([this] { return c().mode.initial_reached == 1; }, 15000));
  type(*session_, f, 'a');
  type(*session_, f, '0');
  type(*session_, f, 's');
  ASSERT_TRUE(QTest::qWaitFor([&] { return entry("A") != nullptr; }, 5000))
      << group().toStdString();
  EXPECT_EQ(group(), QStringLiteral("RIX variables: ROKAN.RIX (running)"));
  EXPECT_NE(entry("P.Z [mm]"), nullptr);

  entry("A")->setCheckState(0, Qt::Checked);  // as a click on its box does
  ASSERT_EQ(w.sampler().channel_count, 1);
  const uint64_t taken0 = w.sampler().taken;
  const uint64_t ticks0 = c().cycle.tick_count;
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().rix.vars[1].value > 20; }, 10000));
  type(*session_, f, 's');  // the program stops; A keeps its last value
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return group().endsWith(QStringLiteral("(not running)")); }, 3000));
  // The label may change in the very cycle that stopped the program, after its sample: one more.
  const uint64_t stopped_at = c().cycle.tick_count;
  ASSERT_TRUE(QTest::qWaitFor([&] { return c().cycle.tick_count > stopped_at; }, 3000));
  stop_ticks();
  const PlotSampler& s = w.sampler();
  EXPECT_EQ(s.taken - taken0, c().cycle.tick_count - ticks0) << "one sample a cycle";
  std::vector<double> values;
  for (int i = 0; i < s.size; ++i)
    if (!std::isnan(plot_value(s, i, 0))) values.push_back(plot_value(s, i, 0));
  ASSERT_GT(values.size(), 20u);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "A counts up";
  EXPECT_EQ(values.back(), c().rix.vars[1].value);
  EXPECT_LT(values.front(), values.back());
  EXPECT_TRUE(std::isnan(plot_value(s, s.size - 1, 0))) << "no value once the program stopped";
  EXPECT_EQ(entry("A")->checkState(0), Qt::Checked) << "the same program: the choice stays";
}

// A log written the operator's way: the DEBUG program run in batch, which ends through the end
// routine and so writes its sampling data.
class LogViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    dir_ = test::private_temp_path(std::string("rokan_logview_") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::copy(fs::path(ROKAN_SOURCE_DIR) / "workspace", dir_ / "ws", fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The bundled workspace keeps only 10 records (MAX_BUF); `max_buf` makes room for more.
  fs::path debug_log(int max_buf = 10, const char* seconds = "3") {
    const std::string ws = (dir_ / "ws").string();
    if (max_buf != 10) {
      const fs::path ini = dir_ / "ws" / "DEFAULT" / "init" / "rokan.ini";
      std::ifstream in(ini, std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      in.close();
      text.replace(text.find("MAX_BUF\t10\n"), 11, "MAX_BUF\t" + std::to_string(max_buf) + "\n");
      std::ofstream(ini, std::ios::binary) << text;
    }
    std::vector<std::string> args = {"rokan-sim", "--workspace", ws,     "--auto",
                                     "9",         "--seconds",   seconds};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::FILE* sink = std::fopen("/dev/null", "w");
    batch_main(static_cast<int>(argv.size()), argv.data(), sink, sink);
    std::fclose(sink);
    return dir_ / "ws" / "DEFAULT" / "log" / "RKN0000.LOG";
  }

  fs::path dir_;
};

TEST_F(LogViewerTest, ReadsTheDebugProgramsLogAndShowsValuesAtTheCursor) {
  const fs::path log = debug_log();
  ASSERT_TRUE(fs::exists(log));
  LogViewerWindow w;
  w.show();
  ASSERT_TRUE(w.open_file(QString::fromStdString(log.string())));
  const SampleLog& l = w.log();
  ASSERT_EQ(l.columns.size(), 92u);
  EXPECT_EQ(cp932_to_utf8(l.columns[static_cast<std::size_t>(l.time_column)]), "時間");
  EXPECT_GT(l.rows, 5u);
  EXPECT_TRUE(l.skipped.empty());
  EXPECT_EQ(w.status_text().right(19), QStringLiteral("Every row was read."));

  // F1_z and PAW1 by their header names.
  int f1z = -1, paw1 = -1;
  for (std::size_t i = 0; i < l.columns.size(); ++i) {
    if (l.columns[i] == "F1_z") f1z = static_cast<int>(i);
    if (l.columns[i] == "PAW1") paw1 = static_cast<int>(i);
  }
  ASSERT_GE(f1z, 0);
  ASSERT_GE(paw1, 0);
  w.set_chosen({f1z, paw1});
  EXPECT_EQ(w.view().chart()->series().size(), 2);
  const std::size_t row = l.rows / 2;
  w.set_cursor_time(l.at(row, l.time_column));
  const QString readout = w.readout_text();
  EXPECT_TRUE(readout.startsWith(QStringLiteral("row %1 ").arg(row))) << readout.toStdString();
  EXPECT_TRUE(readout.contains(QStringLiteral("F1_z = %1").arg(l.at(row, f1z), 0, 'g', 9)))
      << readout.toStdString();

  // Zoom to the middle second; the curves keep only that stretch (plus one point each side).
  const double mid = l.at(row, l.time_column);
  w.set_time_range(mid - 0.5, mid + 0.5);
  const QList<QPointF> zoomed = w.view().curve(0);
  ASSERT_GT(zoomed.size(), 2);
  for (qsizetype i = 1; i + 1 < zoomed.size(); ++i) {
    EXPECT_GE(zoomed[i].x(), mid - 0.5);
    EXPECT_LE(zoomed[i].x(), mid + 0.5);
  }

  const QString csv = QString::fromStdString((dir_ / "out.csv").string());
  ASSERT_TRUE(w.export_csv(csv));
  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = f.readAll().split('\n');
  EXPECT_EQ(QString::fromUtf8(lines[0]), QStringLiteral("時間,F1_z,PAW1"));
  EXPECT_EQ(static_cast<std::size_t>(lines.size()), l.rows + 2);  // header, rows, final ""
}

TEST_F(LogViewerTest, SaysWhichLinesOfADamagedLogWereSkipped) {
  const fs::path log = debug_log();
  std::ifstream in(log, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  for (std::size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(text.substr(at, nl - at));
  ASSERT_GE(lines.size(), 10u);
  lines[4] = lines[4].substr(0, lines[4].rfind('\t'));  // line 5: a field short
  lines[6].replace(lines[6].find('\t') + 1, 1, "x");    // line 7: not a number
  std::string damaged;
  for (const std::string& l : lines) damaged += l + '\n';
  damaged.resize(damaged.size() - 20);  // the last row cut off mid-way
  const fs::path copy = dir_ / "DAMAGED.LOG";
  std::ofstream(copy, std::ios::binary) << damaged;

  LogViewerWindow w;
  ASSERT_TRUE(w.open_file(QString::fromStdString(copy.string())));
  EXPECT_EQ(w.log().rows, lines.size() - 3 - 3);  // notes and header, three bad rows
  const QString status = w.status_text();
  EXPECT_TRUE(status.contains(QStringLiteral("3 lines skipped: line 5 (has 91 fields")))
      << status.toStdString();
  EXPECT_TRUE(status.contains(QStringLiteral("line 7 (field 2 (時間) is not a number)")))
      << status.toStdString();
  EXPECT_TRUE(status.contains(QStringLiteral("line %1 (truncated").arg(lines.size())))
      << status.toStdString();
}

TEST_F(LogViewerTest, FilesThatAreNoLogsLeaveTheWindowAsItWas) {
  const fs::path log = debug_log();
  LogViewerWindow w;
  ASSERT_TRUE(w.open_file(QString::fromStdString(log.string())));
  const std::size_t rows = w.log().rows;
  const fs::path empty = dir_ / "EMPTY.LOG", binary = dir_ / "BIN.LOG";
  std::ofstream(empty, std::ios::binary).flush();
  std::ofstream(binary, std::ios::binary) << std::string(
      "\x7F"
      "ELF\0\0\x01\x02",
      8);
  EXPECT_FALSE(w.open_file(QString::fromStdString(empty.string())));
  EXPECT_EQ(w.status_text(), QStringLiteral("EMPTY.LOG: The file is empty."));
  EXPECT_FALSE(w.open_file(QString::fromStdString(binary.string())));
  EXPECT_TRUE(w.status_text().startsWith(QStringLiteral("BIN.LOG: The file holds binary data")));
  EXPECT_FALSE(w.open_file(QStringLiteral("/nonexistent/RKN0001.LOG")));
  EXPECT_EQ(w.log().rows, rows);  // the log shown before stays
  w.set_chosen({5});
  EXPECT_EQ(w.view().chart()->series().size(), 1);
}

TEST_F(LogViewerTest, ScreenshotWithACursor) {
  const fs::path log = debug_log(20000, "12");
  LogViewerWindow w;
  w.resize(980, 560);
  w.show();
  ASSERT_TRUE(w.open_file(QString::fromStdString(log.string())));
  std::vector<int> cols;
  for (std::size_t i = 0; i < w.log().columns.size(); ++i)
    for (const char* name : {"F1_x", "F1_z", "F2_z"})
      if (w.log().columns[i] == name) cols.push_back(static_cast<int>(i));
  ASSERT_EQ(cols.size(), 3u);
  w.set_chosen(cols);
  const SampleLog& l = w.log();
  w.set_cursor_time(l.at(l.rows * 2 / 3, l.time_column));
  QTest::qWait(50);
  EXPECT_FALSE(w.readout_text().isEmpty());
  save_screenshot(desktop({&w}), "screenshot-logview.png");
}

}  // namespace
}  // namespace rokan
