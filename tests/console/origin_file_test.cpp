#include "console/origin_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/param_file.h"
#include "platform/paths.h"
#include "support/child_process.h"
#include "support/fake_host.h"

namespace rokan {
namespace {

using test::Rig;

struct OriginFile : ::testing::Test {
  Rig rig{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  Controller& c = rig.c;
  std::filesystem::path file = rig.dir / "DEFAULT" / "init" / "rkn_org.ini";

  void SetUp() override {
    set_default_params(c.params, c.sensor);
    ASSERT_EQ(local_path(origin_file_path(c.params)), "DEFAULT/init/rkn_org.ini");
    for (auto& leg : c.sensor.origin)
      for (double& o : leg) o = 0.5;
  }
  bool read(const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
    return read_origin_file(c);
  }
};

TEST_F(OriginFile, AnyBadLineLeavesEveryOriginUnchanged) {
  for (const char* text : {
           "1 2 3\n4 5 6\n7 8 9\n",             // three lines
           "1 2 3\n4 5 6\n7 8 10.01\n0 0 0\n",  // beyond 10 V
           "1 2 3\n4 5\n7 8 9\n0 0 0\n",        // two values
           "1 2 3\n4 5 6\n\n0 0 0\n",           // empty line
           "1 2 3\n4 x 6\n7 8 9\n0 0 0\n",      // not a number
           "1 2 3\n4 5 6\n7 8 9\n0 0 nan\n",    // not a voltage
           "-10.5 0 0\n4 5 6\n7 8 9\n0 0 0\n",  // beyond -10 V
       }) {
    EXPECT_FALSE(read(text)) << text;
    EXPECT_EQ(c.sensor.origin[0][0], 0.5) << text;
    EXPECT_EQ(c.sensor.origin[3][2], 0.5) << text;
  }
  // A line longer than the reader's 255 bytes comes in pieces, each taken as a line: the
  // blanks after the first piece are a line without values.
  EXPECT_FALSE(read("1 2 3" + std::string(300, ' ') + "\n4 5 6\n7 8 9\n0 0 0\n"));
  EXPECT_EQ(c.sensor.origin[0][0], 0.5);
  std::filesystem::remove(file);
  EXPECT_FALSE(read_origin_file(c));
}

TEST_F(OriginFile, TenVoltsIsStillAnOrigin) {
  EXPECT_TRUE(read("10.0 -10 0\n1 2 3 extra\n4 5 6\n7 8 9\n"));
  EXPECT_EQ(c.sensor.origin[0][0], 10.0);
  EXPECT_EQ(c.sensor.origin[0][1], -10.0);
  EXPECT_EQ(c.sensor.origin[3][2], 9.0);
}

TEST_F(OriginFile, FailedWriteLeavesTheOldFileUntouched) {
  ASSERT_TRUE(read("1.0 2.0 3.0\n1 1 1\n1 1 1\n1 1 1\n"));
  const int result = test::in_child([&] {
    test::limit_file_size(20);  // one line of the four
    if (write_origin_file(c)) return 1;
    return errno == EFBIG ? 0 : 2;
  });
  ASSERT_EQ(result, 0);
  std::ifstream in(file);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "1.0 2.0 3.0");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 2);

  ASSERT_TRUE(write_origin_file(c));
  ASSERT_TRUE(read_origin_file(c));
  EXPECT_EQ(c.sensor.origin[0][0], 1.0);
}

TEST_F(OriginFile, MissingDirectoryFailsWithTheSystemsReason) {
  c.params.ini_dir = "gone\\";
  errno = 0;
  EXPECT_FALSE(write_origin_file(c));
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
}  // namespace rokan
