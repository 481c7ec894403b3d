#include "core/param_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/text.h"
#include "support/child_process.h"
#include "support/fake_host.h"
#include "support/file_contents.h"

namespace rokan {
namespace {

using test::slurp;

using test::Rig;

constexpr double kDeg = kPi / 180;

struct ParamFile : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::filesystem::path ini = rig.dir / "DEFAULT" / "init" / "rokan.ini";

  void SetUp() override { set_default_params(rig.c.params, rig.c.sensor); }
  void write_ini(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }
  // Reads the file; the reader's message ends with a key wait, answered here.
  void read() {
    rig.key(' ');
    read_param_file(rig.c);
  }
  bool waited_for_a_key() const { return rig.host.events.empty(); }
};

TEST_F(ParamFile, BundledWorkspaceHoldsExactlyTheWrittenDefaults) {
  std::string bundled = slurp(ini);
  std::filesystem::remove(ini);
  ASSERT_TRUE(write_param_file(rig.c));
  EXPECT_EQ(slurp(ini), bundled);
  EXPECT_EQ(bundled.substr(0, 31), "ARDO_VERSION\t4.20\nMAX_VOLT11\t2.");
}

TEST_F(ParamFile, WrittenValuesReadBackInEveryBlock) {
  Params& p = rig.c.params;
  p.max_volt[3][2] = 1.25;
  p.km[1][0] = -12.5;
  p.file.b2.angle_err[2][1] = 7 * kDeg;
  p.file.b1.a_max[3] = 750;
  p.file.b2.position_err_near[0] = 2.5;
  p.file.b1.omega_max[0][2] = 45 * kDeg;
  p.sampling_time = 0.002;
  p.max_buf = 5000;
  p.sampling_skip = 3;
  p.over_run_enable = false;
  p.joint_limit[kLimitJ30Minus] = -100 * kDeg;
  p.rix_dir = "progs\\";
  ASSERT_TRUE(write_param_file(rig.c));
  Params written = p;
  set_default_params(p, rig.c.sensor);
  read_param_file(rig.c);
  EXPECT_DOUBLE_EQ(p.max_volt[3][2], 1.25);
  EXPECT_DOUBLE_EQ(p.km[1][0], -12.5);
  EXPECT_NEAR(p.file.b2.angle_err[2][1], written.file.b2.angle_err[2][1], 1e-8);
  EXPECT_DOUBLE_EQ(p.file.b1.a_max[3], 750);
  EXPECT_DOUBLE_EQ(p.file.b2.position_err_near[0], 2.5);
  EXPECT_NEAR(p.file.b1.omega_max[0][2], 45 * kDeg, 1e-8);
  EXPECT_DOUBLE_EQ(p.sampling_time, 0.002);
  EXPECT_EQ(p.max_buf, 5000);
  EXPECT_EQ(p.sampling_skip, 3);
  EXPECT_FALSE(p.over_run_enable);
  EXPECT_NEAR(p.joint_limit[kLimitJ30Minus], -100 * kDeg, 1e-8);
  EXPECT_EQ(p.rix_dir, "progs\\");
  EXPECT_EQ(p.rix_path, "DEFAULT\\progs\\");
  EXPECT_TRUE(rig.host.events.empty());
}

// Every per-leg and per-joint value gets its own number, so a key written from or read into the
// wrong slot (say ANGLE_ERR11 taken as the start of ANGLE_ERR_NEAR11) shows up as a mismatch.
TEST_F(ParamFile, EveryLegAndJointValueReadsBackIntoItsOwnSlot) {
  Params& p = rig.c.params;
  Limits& l = p.file;
  std::vector<double*> slots;
  for (int leg = 0; leg < 4; ++leg) {
    for (double* v : {&l.b2.position_err[leg], &l.b2.position_err_near[leg], &l.b1.a_max[leg],
                      &l.b1.v_max[leg], &p.kp[leg]})
      slots.push_back(v);
    for (int j = 0; j < 3; ++j) {
      for (double* v :
           {&p.max_volt[leg][j], &p.km[leg][j], &l.b2.angle_err[leg][j], &l.b2.torque_err[leg][j],
            &l.b2.angle_err_near[leg][j], &l.b2.torque_err_near[leg][j],
            &l.b1.omega_dot_max[leg][j], &l.b1.omega_max[leg][j], &p.ks[leg][j]})
        slots.push_back(v);
    }
  }
  for (std::size_t i = 0; i < slots.size(); ++i) *slots[i] = 1.0 + static_cast<double>(i) / 8;
  ASSERT_TRUE(write_param_file(rig.c));
  set_default_params(p, rig.c.sensor);
  read_param_file(rig.c);
  for (std::size_t i = 0; i < slots.size(); ++i)
    EXPECT_NEAR(*slots[i], 1.0 + static_cast<double>(i) / 8, 1e-6) << "slot " << i;
  EXPECT_TRUE(rig.host.events.empty());
}

TEST_F(ParamFile, VersionIsComparedToAHundredth) {
  write_ini("ARDO_VERSION 4.19\nMAX_VOLT11 1.5\n");
  read_param_file(rig.c);
  EXPECT_DOUBLE_EQ(rig.c.params.max_volt[0][0], 1.5);

  write_ini("ARDO_VERSION 4.21\nMAX_VOLT11 1.0\n");
  read();
  EXPECT_DOUBLE_EQ(rig.c.params.max_volt[0][0], 1.5);
  EXPECT_TRUE(waited_for_a_key());

  // Versions no integer can hold, and non-numbers, are wrong versions (found by fuzzing).
  for (const char* version : {"4777777777777777777777777777777777777777777777.20", "nan", "-inf"}) {
    SCOPED_TRACE(version);
    write_ini(std::string("V\t") + version + "\nMAX_VOLT11 1.0\n");
    read();
    EXPECT_DOUBLE_EQ(rig.c.params.max_volt[0][0], 1.5);
    EXPECT_TRUE(waited_for_a_key());
  }
}

TEST_F(ParamFile, BadLinesStopReadingButKeepEarlierValues) {
  const char* bad_lines[] = {
      "\n",                  // empty line
      "REM\n",               // label alone
      "MAX_VOLT51 1.0\n",    // leg digit 5
      "KM14 1.0\n",          // joint digit 4
      "A_MAX 1.0\n",         // no leg digit
      "MAX_BUF 0\n",         // zero count
      "MAX_BUF abc\n",       // a non-number reads as zero
      "UNKNOWN 1\n",         // undefined label
      "SAMPLING_TIME 0\n",   // would divide the state update by zero
      "SAMPLING_SKIP -3\n",  // negative recording interval
      "PT_LIMIT 70000\n",    // beyond the 16-bit field
      "KP1 1e999\n",         // range error
      "KS111 nan\n",         // strtod reads it, no parameter can hold it
      "MAX_VOLT11 inf\n",
      "SAMPLING_TIME 3e6\n",  // beyond the millisecond timer's int
      "V_MAX1 0\n",           // the servo divides by the speed and acceleration limits
      "A_MAX3 -500\n",
      "V_MAX4 -inf\n",
  };
  for (const char* bad : bad_lines) {
    SCOPED_TRACE(bad);
    set_default_params(rig.c.params, rig.c.sensor);
    write_ini(std::string("ARDO_VERSION\t4.20\nV_MAX1\t80\n") + bad + "V_MAX2\t70\n");
    read();
    EXPECT_TRUE(waited_for_a_key());
    EXPECT_DOUBLE_EQ(rig.c.params.file.b1.v_max[0], 80);
    EXPECT_DOUBLE_EQ(rig.c.params.file.b1.v_max[1], 100);
  }
}

// The reader's reports go to stderr: a limit of zero names its label and value, and a
// directory in the file's place cannot be opened (it is not a file of another version).
TEST_F(ParamFile, ZeroLimitsAndADirectoryAreReportedAsSuch) {
  write_ini("ARDO_VERSION\t4.20\nV_MAX1\t0\n");
  testing::internal::CaptureStderr();
  read();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("V_MAX1 = 0"), std::string::npos) << err;
  EXPECT_DOUBLE_EQ(rig.c.params.file.b1.v_max[0], 100);

  std::filesystem::remove(ini);
  std::filesystem::create_directory(ini);
  testing::internal::CaptureStderr();
  read();
  err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "ROKAN.INIがオープンできません(Read/Text)\n    DEFAULT\\init\\rokan.ini\n");
  EXPECT_TRUE(waited_for_a_key());
}

// A value that runs to the end of its line carries that line end, as the file has it, into
// the label error; a value followed by blanks, or the file's last line, carries none.
TEST_F(ParamFile, TheLabelErrorShowsTheValueWithItsLineEnd) {
  const std::pair<const char*, const char*> cases[] = {
      {"KM51\t1.0\n", "    KM51 = 1.0\n\n\a\a\a"},
      {"KM51\t1.0\r\n", "    KM51 = 1.0\r\n\n\a\a\a"},
      {"KM51\t1.0 \r\n", "    KM51 = 1.0\n\a\a\a"},
      {"KM51\t1.0", "    KM51 = 1.0\n\a\a\a"},
  };
  for (const auto& [line, shown] : cases) {
    SCOPED_TRACE(line);
    write_ini(std::string("ARDO_VERSION\t4.20\r\n") + line);
    testing::internal::CaptureStderr();
    read();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.substr(err.find('\n') + 1), shown);
  }
}

TEST_F(ParamFile, CommentsFlagsAndDegreesAreReadAsWritten) {
  write_ini(
      "ARDO_VERSION 4.2\nREM a comment\n  \tOVER_RUN_ENABLE\t7\nANGLE_ERR23 90\n"
      "LIMIT_J00_PLUS 180\nKM11junk 5\nDEFAULT_PATH_LOG mylog\\\r\n");
  read_param_file(rig.c);
  const Params& p = rig.c.params;
  EXPECT_TRUE(p.over_run_enable);
  EXPECT_DOUBLE_EQ(p.file.b2.angle_err[1][2], 90 * kPi / 180);
  EXPECT_DOUBLE_EQ(p.joint_limit[kLimitJ00Plus], kPi);
  EXPECT_DOUBLE_EQ(p.km[0][0], 5);
  EXPECT_EQ(p.log_dir, "mylog\\");
  EXPECT_TRUE(rig.host.events.empty());
}

TEST_F(ParamFile, MissingFileKeepsDefaultsAndHugeLinesAreSafe) {
  std::filesystem::remove(ini);
  read();
  EXPECT_DOUBLE_EQ(rig.c.params.file.b1.v_max[0], 100);
  EXPECT_TRUE(waited_for_a_key());

  write_ini("ARDO_VERSION 4.2\nREM " + std::string(100000, 'x') + "\n");
  read();  // the tail of the long line is read as a line of its own, without a blank
  EXPECT_TRUE(waited_for_a_key());
}

TEST_F(ParamFile, UnwritableFileIsReportedOnTheTextScreenWithTheReason) {
  rig.c.params.ini_dir = "no_such_dir\\";
  rig.key(' ');
  EXPECT_FALSE(write_param_file(rig.c));
  EXPECT_EQ(rig.c.console.screen[1],
            SJ("\n\rrokan.iniがオープンできません(Write/Text) No such file or directory\n\r"));
  EXPECT_TRUE(waited_for_a_key());
}

// A write that fails half way (a full disk) leaves the old file whole and no stray file beside
// it; the next write with room replaces it.
TEST_F(ParamFile, FailedWriteLeavesTheOldFileUntouched) {
  const std::string old = slurp(ini);
  rig.c.params.max_buf = 12345;
  const int result = test::in_child([&] {
    test::limit_file_size(1000);  // about a third of the file
    rig.key(' ');
    if (write_param_file(rig.c)) return 1;
    const std::string want = SJ("\n\rrokan.iniがオープンできません(Write/Text) File too large\n\r");
    return rig.c.console.screen[1] == want && waited_for_a_key() ? 0 : 2;
  });
  ASSERT_EQ(result, 0);
  EXPECT_EQ(slurp(ini), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ini.parent_path()), {}), 1);
  ASSERT_TRUE(write_param_file(rig.c));
  EXPECT_NE(slurp(ini).find("MAX_BUF\t12345\n"), std::string::npos);
}

}  // namespace
}  // namespace rokan
