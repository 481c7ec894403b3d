#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "support/child_process.h"
#include "support/file_contents.h"
#include "support/workspace_copy.h"

namespace rokan {
namespace {

using test::slurp;

namespace fs = std::filesystem;

struct Files : ::testing::Test {
  fs::path dir = test::private_temp_path(
      std::string("rokan_file_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path target = dir / "settings.ini";
  std::string cp932_target = controller_path(target.string());

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::size_t entries() const { return std::distance(fs::directory_iterator(dir), {}); }
};

TEST_F(Files, ReplacementKeepsTheTargetsPermissionsAndLeavesNoTemporaryFile) {
  std::ofstream(target) << "old\n";
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    ReplacingFile f(cp932_target);
    ASSERT_NE(static_cast<std::FILE*>(f), nullptr);
    std::fputs("new\n", f);
    EXPECT_EQ(slurp(target), "old\n");  // nothing shows before the commit
    ASSERT_TRUE(f.commit());
  }
  EXPECT_EQ(slurp(target), "new\n");
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, ReplacementAbandonedOrFailedLeavesTheTargetAsItWas) {
  std::ofstream(target) << "old\n";
  {
    ReplacingFile f(cp932_target);
    std::fputs("never committed\n", f);
  }
  EXPECT_EQ(slurp(target), "old\n");
  EXPECT_EQ(entries(), 1u);

  const int result = test::in_child([&] {
    test::limit_file_size(8);
    ReplacingFile f(cp932_target);
    std::fputs("longer than eight bytes\n", f);
    if (f.commit()) return 1;
    return errno == EFBIG ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(slurp(target), "old\n");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(Files, ReplacementInAMissingDirectoryFailsWithItsReason) {
  ReplacingFile f(controller_path((dir / "gone" / "x.ini").string()));
  EXPECT_EQ(static_cast<std::FILE*>(f), nullptr);
  EXPECT_FALSE(f.commit());
}

TEST_F(Files, CloseReportsAWriteThatDidNotReachTheFile) {
  const int result = test::in_child([&] {
    test::limit_file_size(4);
    File f = File::open(cp932_target, "w");
    std::fputs("more than four bytes", f);  // buffered: the failure shows at the close
    if (f.close()) return 1;
    return errno == EFBIG && f.get() == nullptr ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
}

TEST_F(Files, WholeFileReadsEveryByteAndFailsWithItsReason) {
  std::string bytes = "left over";
  std::ofstream(target, std::ios::binary) << std::string("a\0b\r\n", 5) << std::string(9000, 'x');
  ASSERT_TRUE(read_whole_file({}, cp932_target, bytes));
  EXPECT_EQ(bytes, std::string("a\0b\r\n", 5) + std::string(9000, 'x'));

  errno = 0;
  EXPECT_FALSE(read_whole_file(dir.string(), "missing.ini", bytes));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(bytes.empty());

  // A directory opens but cannot be read: a failure with its reason, not an empty file.
  fs::create_directory(dir / "sub");
  bytes = "left over";
  errno = 0;
  EXPECT_FALSE(read_whole_file(dir.string(), "sub", bytes));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_TRUE(bytes.empty());
}

TEST(StopSignals, FirstSignalIsRecordedAndSecondEndsAtOnceRemovingTheFileInProgress) {
  const fs::path partial = fs::temp_directory_path() / "rokan_stop_signals_partial.LOG";
  std::ofstream(partial) << "half a log";
  const int result = test::in_child([&] {
    install_stop_signals();
    ::raise(SIGTERM);
    if (stop_signal() != SIGTERM) return 1;
    char byte;
    if (::read(stop_signal_fd(), &byte, 1) != 1) return 2;  // the event loop is woken
    set_file_in_progress(partial.string());
    ::raise(SIGHUP);
    return 3;  // not reached
  });
  EXPECT_EQ(result, 128 + SIGHUP);
  EXPECT_FALSE(fs::exists(partial));
}

TEST(StopSignals, FileSizeLimitFailsTheWriteInsteadOfKillingTheProcess) {
  const fs::path big = fs::temp_directory_path() / "rokan_stop_signals_big.txt";
  const int result = test::in_child([&] {
    install_stop_signals();
    struct rlimit limit = {4, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    File f = File::open(controller_path(big.string()), "w");
    std::fputs("more than four bytes", f);
    return f.close() ? 1 : 0;
  });
  fs::remove(big);
  EXPECT_EQ(result, 0);  // not 128 + SIGXFSZ
}

}  // namespace
}  // namespace rokan
