// Program 9, DEBUG: its moves, the sampling log it records, and its end in MANUAL.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/cycle.h"
#include "scenarios/gait_support.h"

namespace rokan {
namespace {

using test::GaitSession;

TEST(DebugProgram, MovesLeg1LogsTheMotionsAndEndsInManualWithLoggingOff) {
  GaitSession s(test::current_test_name());
  {
    // Room for every logged cycle (the bundled rokan.ini keeps only 10 records).
    std::ifstream in("DEFAULT/init/rokan.ini", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string ini = ss.str();
    ini.replace(ini.find("MAX_BUF\t10\n"), 11, "MAX_BUF\t20000\n");
    std::ofstream("DEFAULT/init/rokan.ini", std::ios::binary) << ini;
  }
  ASSERT_NO_FATAL_FAILURE(s.start_program(9));
  s.cycles(2);
  EXPECT_EQ(s.c.logger.state, kLogContinuous);
  // Leg 1 moves 50 mm in x, then 100 mm in y, then 100 mm up, one move after the other.
  const test::Xyz moves[] = {{-251, 201, -250}, {-251, 301, -250}, {-251, 301, -150}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(s.settle_at(142 + 2 * i));
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(s.goals()[0][k], moves[i][k], 1e-9);
  }
  ASSERT_TRUE(s.run_until([&] { return get_mode(s.c) == kManual; }));
  EXPECT_EQ(s.steps, (std::vector<int>{140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 1}));
  EXPECT_EQ(s.c.logger.state, kLogOff);
  EXPECT_EQ(s.c.mode.program_no, -1);
  EXPECT_NEAR(s.feet()[0][0], -301, test::kFootTolerance) << "back in the initial posture";
  EXPECT_NEAR(s.feet()[0][2], -250, test::kFootTolerance);

  // The end routine writes what was recorded: one row per cycle from step 141 to step 148, the
  // mode column holding the AUTO step, the feet of leg 1 showing its moves.
  s.host.append(parse_script("notice ok\n"));
  terminate(s.c, 1);
  std::ifstream in("DEFAULT/log/RKN0000.LOG");
  ASSERT_TRUE(in) << "no sampling log";
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string f; std::getline(ss, f, '\t');) fields.push_back(f);
    rows.push_back(fields);
  }
  ASSERT_GT(rows.size(), 3u + 1000u);
  const std::size_t mode = rows[2].size() - 6, foot1_y = 2 + 12 + 1;
  EXPECT_EQ(rows[3][mode], "141") << "the first record is taken after step 140 ran";
  EXPECT_EQ(rows.back()[mode], "148") << "the last one before step 148 switched logging off";
  double highest_y = -1000;
  for (std::size_t r = 3; r < rows.size(); ++r)
    highest_y = std::max(highest_y, std::stod(rows[r][foot1_y]));
  EXPECT_NEAR(std::stod(rows[3][foot1_y]), 201, test::kFootTolerance);
  EXPECT_GT(highest_y, 301 - test::kFootTolerance) << "the 100 mm move in y is in the log";
}

}  // namespace
}  // namespace rokan
