#include "core/logger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "core/modes.h"
#include "platform/text.h"
#include "scenarios/rix_session.h"
#include "support/child_process.h"
#include "support/fake_host.h"
#include "support/file_contents.h"

namespace rokan {
namespace {

using test::slurp;

using test::Rig;

// No., time, seven groups of twelve values, the mode, four paws and the antenna.
constexpr std::size_t kRowColumns = 2 + 12 * 7 + 1 + 5;
constexpr std::size_t kModeColumn = 2 + 12 * 7;

std::vector<std::string> file_lines(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<double> row_values(const std::string& row) {
  std::vector<double> v;
  std::istringstream in(row);
  for (std::string cell; std::getline(in, cell, '\t');) v.push_back(std::stod(cell));
  return v;
}

struct Logger : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  std::filesystem::path log_dir = rig.dir / "DEFAULT" / "log";

  void SetUp() override { rig.start(); }
  void start_logging(int max_buf, int skip) {
    c.params.max_buf = max_buf;
    c.params.sampling_skip = skip;
    ASSERT_TRUE(allocate_log_area(c));
    c.logger.state = kLogContinuous;
  }
};

TEST_F(Logger, SkipOfThreeRecordsEveryThirdCycleFromTheThird) {
  start_logging(20, 3);
  for (int k = 1; k <= 10; ++k) {
    c.sensor.raw[1][2] = 2048 + k;  // marks the cycle; the idle plant leaves it alone
    rig.ticks(1);
  }
  ASSERT_EQ(c.logger.count, 3);
  EXPECT_EQ(c.logger.area[0].raw[1][2], 2051);
  EXPECT_EQ(c.logger.area[1].raw[1][2], 2054);
  EXPECT_EQ(c.logger.area[2].raw[1][2], 2057);
  EXPECT_EQ(c.logger.area[0].mode, -2);
}

TEST_F(Logger, OneShotRecordsOneCycleAndStops) {
  start_logging(20, 3);
  c.logger.state = kLogOneShot;
  rig.ticks(5);
  EXPECT_EQ(c.logger.count, 1);
  EXPECT_EQ(c.logger.state, kLogOff);
}

TEST_F(Logger, FullAreaKeepsOverwritingItsLastRecordAndTheFileSaysSo) {
  start_logging(10, 1);
  for (int k = 1; k <= 20; ++k) {
    c.sensor.raw[0][1] = 2048 + k;
    rig.ticks(1);
  }
  EXPECT_EQ(c.logger.count, 9);
  // Records 0..8 hold cycles 1..9; the tenth slot takes every later cycle and is not written.
  EXPECT_EQ(c.logger.area[8].raw[0][1], 2048 + 9);
  EXPECT_EQ(c.logger.area[9].raw[0][1], 2048 + 20);
  write_log_file(c);
  auto lines = file_lines(log_dir / "RKN0000.LOG");
  ASSERT_EQ(lines.size(), 3u + 9u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], SJ("サンプリング領域をオーバーフローした形跡があります．"));
  EXPECT_EQ(lines[2].substr(0, 9), SJ("No.\t時間\t"));
  EXPECT_EQ(lines[11].substr(0, 11), "8\t0.008000\t");
  EXPECT_EQ(rig.host.notices, 1);
  EXPECT_EQ(c.logger.count, 0);
  EXPECT_EQ(c.logger.state, kLogOff);
}

TEST_F(Logger, EmptyWriteHoldsTheNotesAndTheHeaderOnly) {
  c.params.over_run_enable = false;
  write_log_file(c);
  auto lines = file_lines(log_dir / "RKN0000.LOG");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], SJ("サンプリングオーバータイムのチェックは無効です．"));
  EXPECT_EQ(lines[1], "");
  // The header names every column of a row.
  std::vector<std::string> cells;
  std::istringstream header(lines[2]);
  for (std::string cell; std::getline(header, cell, '\t');) cells.push_back(cell);
  ASSERT_EQ(cells.size(), kRowColumns);
  EXPECT_EQ(cells[0], "No.");
  EXPECT_EQ(cells[2], SJ("θ11"));
  EXPECT_EQ(cells[kModeColumn], "MODE(-1:AUTO(NotRunning)/-2:MANUAL/-3:ORIGIN/-4:EMG)");
  EXPECT_EQ(cells.back(), "ANTENNA");
}

TEST_F(Logger, NextFileTakesTheFirstFreeNumber) {
  std::ofstream(log_dir / "RKN0000.LOG") << "x";
  std::ofstream(log_dir / "RKN0002.LOG") << "x";
  write_log_file(c);
  EXPECT_TRUE(std::filesystem::exists(log_dir / "RKN0001.LOG"));
  EXPECT_FALSE(std::filesystem::exists(log_dir / "RKN0003.LOG"));
  write_log_file(c);
  EXPECT_TRUE(std::filesystem::exists(log_dir / "RKN0003.LOG"));
}

TEST_F(Logger, LastNameIsRkn9999AndWithEveryNameTakenTheWriteFailsWithoutEndingTheProgram) {
  for (int n = 0; n <= 9998; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "RKN%04d.LOG", n);
    std::ofstream(log_dir / name) << "x";
  }
  EXPECT_TRUE(write_log_file(c));
  EXPECT_TRUE(std::filesystem::exists(log_dir / "RKN9999.LOG"));
  EXPECT_FALSE(rig.host.window_closed);

  EXPECT_FALSE(write_log_file(c));
  EXPECT_EQ(c.logger.write_error,
            SJ("ERROR: ログファイルが開けませんでした(DEFAULT\\log\\RKNnnnn.LOG).") +
                " RKN0000.LOG to RKN9999.LOG all exist");
  EXPECT_FALSE(rig.host.window_closed);
  EXPECT_FALSE(std::filesystem::exists(log_dir / "RKN10000.LOG"));
  EXPECT_EQ(file_lines(log_dir / "RKN9998.LOG"), std::vector<std::string>{"x"});
}

// A leg moving fast (a long sampling period) so that consecutive cycles differ by many counts.
TEST_F(Logger, RowsShowTheAnglesAndOrdersOfTheCycleTheyRecord) {
  c.params.sampling_time = 0.05;
  rig.key('1');  // leg 1 under manual control
  rig.host.process_one_event();
  rig.ticks(1);
  ASSERT_EQ(c.mode.selected_leg, 0);
  c.sensor.vr[2] = 8;  // 40 mm up
  start_logging(30, 1);
  std::vector<std::array<double, 4>> live;  // theta11..13 in degrees, order of joint 2
  for (int k = 0; k < 12; ++k) {
    rig.ticks(1);
    const double* a = c.state.angle[0];
    live.push_back({a[0] * 180 / kPi, a[1] * 180 / kPi, a[2] * 180 / kPi, c.servo[0].order[1]});
  }
  ASSERT_EQ(c.mode.mode, kManual);
  ASSERT_GT(std::fabs(live[11][1] - live[0][1]), 3.0);  // the leg did move
  write_log_file(c);
  auto lines = file_lines(log_dir / "RKN0000.LOG");
  ASSERT_EQ(lines.size(), 3u + 12u);
  constexpr double kOneCountDeg = 0.1;  // a count is at most 0.088 degrees of a joint
  for (int r = 0; r < 12; ++r) {
    auto v = row_values(lines[3 + r]);
    ASSERT_EQ(v.size(), kRowColumns);
    EXPECT_DOUBLE_EQ(v[1], r * 0.05);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(v[2 + j], live[r][j], kOneCountDeg) << "row " << r;
    EXPECT_NEAR(v[2 + 12 + 12 + 1], live[r][3], 20.0 / 4096) << "row " << r;  // order 12
    EXPECT_EQ(v[kModeColumn], -2);                                            // MANUAL
  }
}

// What a failed write shows on the prompt line, standard error and the report log.
std::string write_error(const char* file, const char* reason) {
  return format(SJ("ERROR: ログファイルが開けませんでした(%s).").c_str(), file) + " " + reason;
}

struct LoggerFailure : Logger {
  void SetUp() override {
    Logger::SetUp();
    start_logging(10, 1);
    rig.ticks(4);
    ASSERT_EQ(c.logger.count, 4);
  }
  // The records are still there, as recorded.
  void expect_records_kept() {
    EXPECT_EQ(c.logger.count, 4);
    EXPECT_EQ(c.logger.state, kLogContinuous);
  }
  // After the directory is mended, the same records go to the first number.
  void expect_second_try_writes_them() {
    std::filesystem::remove_all(log_dir);
    std::filesystem::create_directories(log_dir);
    ASSERT_TRUE(write_log_file(c));
    EXPECT_EQ(file_lines(log_dir / "RKN0000.LOG").size(), 3u + 4u);
    EXPECT_EQ(c.logger.count, 0);
    EXPECT_TRUE(c.logger.write_error.empty());
  }
};

TEST_F(LoggerFailure, MissingDirectoryKeepsTheRecordsAndTellsWhyOnEveryChannel) {
  std::filesystem::remove_all(log_dir);
  EXPECT_FALSE(write_log_file(c));
  const std::string why = write_error("DEFAULT\\log\\RKN0000.LOG", "No such file or directory");
  EXPECT_EQ(c.console.lines[2], why.substr(0, kMessageLineBytes));  // the line holds 80 bytes
  EXPECT_EQ(c.logger.write_error, why);
  EXPECT_EQ(file_lines(rig.dir / "emg" / "emg.log").back(), why);
  EXPECT_EQ(rig.host.notices, 0);
  EXPECT_FALSE(rig.host.window_closed);  // a write from the menu does not end the program
  expect_records_kept();
  expect_second_try_writes_them();
}

TEST_F(LoggerFailure, LogPathThatIsAFileGivesTheSystemsReason) {
  std::filesystem::remove_all(log_dir);
  std::ofstream(log_dir) << "not a directory";
  EXPECT_FALSE(write_log_file(c));
  EXPECT_EQ(c.logger.write_error, write_error("DEFAULT\\log\\RKN0000.LOG", "Not a directory"));
  expect_records_kept();
  expect_second_try_writes_them();
}

TEST_F(LoggerFailure, ReadOnlyDirectoryGivesTheSystemsReason) {
  if (!test::permissions_apply()) GTEST_SKIP() << "running as root: permission bits stop nothing";
  std::filesystem::permissions(
      log_dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(write_log_file(c));
  std::filesystem::permissions(log_dir, std::filesystem::perms::owner_all);
  EXPECT_EQ(c.logger.write_error, write_error("DEFAULT\\log\\RKN0000.LOG", "Permission denied"));
  expect_records_kept();
}

TEST_F(LoggerFailure, FullDiskRemovesTheBrokenFileSoTheRetryTakesItsNumber) {
  const int result = test::in_child([&] {
    if (!std::freopen((rig.dir / "stderr.txt").c_str(), "w", stderr)) return 10;
    test::limit_file_size(3000);  // the notes and the header fit, the rows do not
    if (write_log_file(c)) return 1;
    if (std::filesystem::exists(log_dir / "RKN0000.LOG")) return 2;
    if (c.logger.count != 4) return 3;
    if (c.logger.write_error != write_error("DEFAULT\\log\\RKN0000.LOG", "File too large"))
      return 4;
    test::limit_file_size(RLIM_INFINITY);  // room again
    if (!write_log_file(c) || c.logger.count != 0) return 5;
    return 0;
  });
  ASSERT_EQ(result, 0);
  EXPECT_FALSE(std::filesystem::exists(log_dir / "RKN0001.LOG"));
  EXPECT_EQ(file_lines(log_dir / "RKN0000.LOG").size(), 3u + 4u);
  const std::string why = write_error("DEFAULT\\log\\RKN0000.LOG", "File too large");
  EXPECT_NE(slurp(rig.dir / "stderr.txt").find(cp932_to_utf8(why)), std::string::npos);
  EXPECT_NE(slurp(rig.dir / "emg" / "emg.log").find(why + "\n"), std::string::npos);
}

TEST_F(LoggerFailure, NoFreeNumberLeftIsAFailureLikeAnyOther) {
  for (int n = 0; n <= 9999; ++n) std::ofstream(log_dir / format("RKN%04d.LOG", n));
  EXPECT_FALSE(write_log_file(c));
  EXPECT_EQ(c.logger.write_error,
            write_error("DEFAULT\\log\\RKNnnnn.LOG", "RKN0000.LOG to RKN9999.LOG all exist"));
  EXPECT_EQ(std::filesystem::file_size(log_dir / "RKN9999.LOG"), 0u);
  expect_records_kept();
}

TEST_F(LoggerFailure, AnotherFileTakingTheNameIsNeverOverwritten) {
  // The name is taken between the search and the open: the write fails, the file stays.
  std::filesystem::path taken = log_dir / "RKN0000.LOG";
  // A dangling link makes the name look free to the search but not to an exclusive create.
  std::filesystem::create_symlink(rig.dir / "elsewhere.txt", taken);
  EXPECT_FALSE(write_log_file(c));
  EXPECT_EQ(c.logger.write_error, write_error("DEFAULT\\log\\RKN0000.LOG", "File exists"));
  EXPECT_TRUE(std::filesystem::is_symlink(taken));
  EXPECT_FALSE(std::filesystem::exists(rig.dir / "elsewhere.txt"));
  expect_records_kept();
}

TEST_F(LoggerFailure, WriteInterruptedWhileTheNoticeWaitsLeavesNoFileAndKeepsTheRecords) {
  struct Interrupted {};
  rig.host.on_notice = [] { throw Interrupted{}; };
  EXPECT_THROW(write_log_file(c), Interrupted);
  EXPECT_FALSE(std::filesystem::exists(log_dir / "RKN0000.LOG"));
  expect_records_kept();
  rig.host.on_notice = nullptr;
  ASSERT_TRUE(write_log_file(c));
  EXPECT_TRUE(std::filesystem::exists(log_dir / "RKN0000.LOG"));
}

TEST_F(LoggerFailure, EndRoutineThatCannotWriteThePendingLogStillEndsAndFlagsIt) {
  std::filesystem::remove_all(log_dir);
  terminate(c, 1);
  EXPECT_TRUE(rig.host.window_closed);
  EXPECT_TRUE(c.cycle.log_unsaved);
  EXPECT_EQ(c.console.emg_log.get(), nullptr);
  EXPECT_EQ(file_lines(rig.dir / "emg" / "emg.log").back(),
            write_error("DEFAULT\\log\\RKN0000.LOG", "No such file or directory"));
}

TEST_F(LoggerFailure, FailedReportLogAppendIsToldOnceAndNoReportIsLost) {
  const auto report_log = rig.dir / "emg" / "emg.log";
  std::ofstream(report_log, std::ios::app) << std::string(10000, '-') << "\n";
  const int result = test::in_child([&] {
    if (!std::freopen((rig.dir / "stderr.txt").c_str(), "w", stderr)) return 10;
    // The report log is already as long as this: every append fails (standard error, a file
    // too, stays far below it).
    test::limit_file_size(std::filesystem::file_size(report_log));
    report_message(c, "first report");
    report_message(c, "second report");
    close_report_log(c);
    return 0;
  });
  ASSERT_EQ(result, 0);
  const std::string err = slurp(rig.dir / "stderr.txt");
  auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (auto pos = err.find(what); pos != std::string::npos; pos = err.find(what, pos + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("cannot append to emg/emg.log: File too large"), 1u) << err;
  EXPECT_EQ(count("first report\n"), 1u) << err;
  EXPECT_EQ(count("second report\n"), 1u) << err;
}

// One-shot samples (key ';') in MANUAL, ORIGIN, AUTO before the start and EMG, and continuous
// logging from inside a RIX run: the mode column names the mode, or the running program's
// counter after the instruction of that cycle.
TEST(LogModeColumn, NamesEachModeAndTheRunningProgramsCounter) {
  test::RixSession s;
  s.write_program(
      "3.1\nlogged run\nDEF_VAR A\n"
      "LOG_START\nA = 1\nA = A + 1\nA = A * 3\nLOG_STOP\nEND\n");
  const std::string one_shot = "key ;\ntick 2\n";
  s.start();
  s.run(one_shot);
  s.run("key O\ntick 1\n" + one_shot + "key I\ntick 1\n");
  for (int i = 0; i < 200 && !s.c.mode.initial_reached; ++i) s.tick(50);
  ASSERT_TRUE(s.c.mode.initial_reached);
  s.run("key A\ntick 1\n" + one_shot);
  s.press_start();
  ASSERT_TRUE(s.c.mode.auto_running) << s.status_line();
  s.run_program(100);
  s.tick();
  ASSERT_EQ(s.c.mode.mode, kManual) << s.status_line();
  s.run("key CR\ntick 1\n" + one_shot);
  ASSERT_EQ(s.c.mode.mode, kEmg);

  s.host.append(parse_script("notice ok\n"));
  write_log_file(s.c);
  auto lines = file_lines(s.dir() / "DEFAULT" / "log" / "RKN0000.LOG");
  ASSERT_GE(lines.size(), 3u);
  std::vector<double> modes;
  for (std::size_t r = 3; r < lines.size(); ++r) modes.push_back(row_values(lines[r])[kModeColumn]);
  EXPECT_EQ(modes, (std::vector<double>{-2, -3, -1, 1, 2, 3, 4, -4}));
}

}  // namespace
}  // namespace rokan
