#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

TEST(Text, JapaneseLiteralBecomesShiftJisAndBack) {
  const std::string& sj = SJ("終了しますか？");
  EXPECT_EQ(sj.size(), 14u);  // seven double-byte characters
  EXPECT_EQ(cp932_to_utf8(sj), "終了しますか？");
  EXPECT_EQ(SJ("表").size(), 2u);
  EXPECT_EQ(SJ("表")[1], '\x5C');  // trail byte is a backslash
}

TEST(Text, CutNeverSplitsADoubleByteCharacter) {
  std::string s = "a" + SJ("表示");  // 1 + 4 bytes
  EXPECT_EQ(sjis_cut(s, 5), 5u);
  EXPECT_EQ(sjis_cut(s, 4), 3u);
  EXPECT_EQ(sjis_cut(s, 2), 1u);
  EXPECT_EQ(sjis_truncate(s, 4), "a" + SJ("表"));
}

TEST(Text, UnmappableAndInvalidInputIsReplacedNotLost) {
  EXPECT_EQ(utf8_to_cp932("a😀b"), "a?b");
  EXPECT_EQ(cp932_to_utf8("a\x81"), "a\xEF\xBF\xBD");
}

TEST(Paths, BackslashesBecomeSlashesButNotInsideDoubleByteCharacters) {
  std::string p = "DEFAULT\\" + SJ("表") + "\\rokan.ini";
  EXPECT_EQ(local_path(p), "DEFAULT/表/rokan.ini");
  EXPECT_EQ(controller_path("DEFAULT/表/rokan.ini"), p);
}

// Names that CP932 cannot hold (ü, an emoji, a byte that is no UTF-8) still name their file:
// the mapping back gives the very bytes, and separators inside them stay separators.
TEST(Paths, NamesWithoutACp932FormKeepTheirBytes) {
  for (std::string local :
       {"Pr\xC3\xBC"
        "fung/表/a.RIX",
        "a\xF0\x9F\x98\x80/b", "x\xFFy/\xC3z", "/tmp/caf\xC3\xA9 \xE2\x82\xAC/\xE8\xA1\xA8.RIX"}) {
    SCOPED_TRACE(local);
    const std::string cp = controller_path(local);
    EXPECT_EQ(local_path(cp), local);
    EXPECT_EQ(std::count(cp.begin(), cp.end(), '/'), 0) << "every separator is a backslash";
  }
  EXPECT_EQ(controller_path("DEFAULT/rixs/A.RIX"), "DEFAULT\\rixs\\A.RIX")
      << "plain names as before";

  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "rokan_paths_raw_test";
  fs::remove_all(dir);
  fs::create_directories(dir /
                         "Pr\xC3\xBC"
                         "fung");
  std::ofstream(dir /
                "Pr\xC3\xBC"
                "fung" /
                "\xC3\x9C"
                "ber.rix")
      << "x";
  std::ofstream(dir /
                "Pr\xC3\xBC"
                "fung" /
                "OK.RIX")
      << "x";
  const std::string base = controller_path((dir / "Pr\xC3\xBC"
                                                  "fung")
                                               .string()) +
                           "\\";
  EXPECT_TRUE(is_directory(base));
  const std::vector<std::string> names = list_files_with_extension(base, "RIX");
  // The folder's name need not be CP932; a file name the controller cannot hold is left out.
  ASSERT_EQ(names, std::vector<std::string>{"OK.RIX"});
  std::FILE* f = open_file(base + names[0], "rb");
  EXPECT_NE(f, nullptr);
  if (f) std::fclose(f);
  fs::remove_all(dir);
}

TEST(Paths, FilesOpenAndListUnderTheirMappedNames) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "rokan_paths_test";
  fs::remove_all(dir);
  fs::create_directories(dir / "表");
  std::ofstream(dir / "表" / "B.rix") << "x";
  std::ofstream(dir / "表" / "a.RIX") << "x";
  std::ofstream(dir / "表" / "c.txt") << "x";
  std::string base = controller_path(dir.string()) + "\\" + SJ("表") + "\\";
  EXPECT_TRUE(is_directory(base));
  EXPECT_TRUE(path_exists(base + "B.rix"));
  std::FILE* f = open_file(base + "a.RIX", "rt");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(list_files_with_extension(base, "RIX"), (std::vector<std::string>{"B.rix", "a.RIX"}));
  fs::remove_all(dir);
}

TEST(Paths, ListingLeavesOutNamesTheControllerCannotForm) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "rokan_paths_names_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* name : {"A.RIX", "B\\x.RIX", "\xC3\xA9.RIX", "\xFF.RIX", "C.RIX", "表.RIX"})
    std::ofstream(dir / name) << "x";
  EXPECT_EQ(list_files_with_extension(controller_path(dir.string()) + "\\", "RIX"),
            (std::vector<std::string>{"A.RIX", "C.RIX", SJ("表.RIX")}));
  fs::remove_all(dir);
}

TEST(Paths, ControllerPathsOpenInsideTheirRootAndAbsolutePathsStayWhereTheyPoint) {
  EXPECT_EQ(rooted_path("/ws", "DEFAULT\\init\\rokan.ini"), "/ws/DEFAULT/init/rokan.ini");
  EXPECT_EQ(rooted_path("/ws/", "user.ini"), "/ws/user.ini");
  EXPECT_EQ(rooted_path("rel", "emg\\emg.log"), "rel/emg/emg.log");
  EXPECT_EQ(rooted_path("", "user.ini"), "user.ini");
  EXPECT_EQ(rooted_path("/ws", "\\tmp\\A.RIX"), "/tmp/A.RIX");

  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "rokan_paths_root_test";
  fs::remove_all(root);
  fs::create_directories(root / "rixs");
  std::ofstream(root / "rixs" / "P.RIX") << "x";
  EXPECT_TRUE(is_directory(root.string(), "rixs\\"));
  EXPECT_TRUE(path_exists(root.string(), "rixs\\P.RIX"));
  EXPECT_FALSE(path_exists("", "rixs\\P.RIX")) << "nothing is found outside the root";
  EXPECT_EQ(list_files_with_extension(root.string(), "rixs\\", "RIX"),
            std::vector<std::string>{"P.RIX"});
  File f = File::open(root.string(), "rixs\\P.RIX", "r");
  EXPECT_TRUE(f);
  fs::remove_all(root);
}

}  // namespace
}  // namespace rokan
