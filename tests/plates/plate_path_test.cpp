#include "terrakon/plates/plate_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/error.h"
#include "common/paths.h"

namespace tk {
namespace {

namespace fs = std::filesystem;

TEST(PlatePath, ThreeForms) {
  struct Case {
    const char* dir;
    const char* key;
    std::optional<std::string_view> ext;
    const char* path;
  } cases[] = {
      {"/c/Cache", "qrs", std::nullopt, "/c/Cache/q/r/s.jpg"},
      {"/c/Cache", "qrs", "", "/c/Cache/q/r/s"},
      {"/c/Cache", "qrs", "jp", "/c/Cache/q/r/s.jp"},
      {"/c/Cache/", "qrs", std::nullopt, "/c/Cache/q/r/s.jpg"},
      {"/c/Cache", "t", std::nullopt, "/c/Cache/t.jpg"},
      {"/c/Cache", "qr", "/x", "/c/Cache/q/r/x"},
      {"", "qr", std::nullopt, "q/r.jpg"},
  };
  for (const Case& c : cases) EXPECT_EQ(PlatePathIn(c.dir, c.key, c.ext), c.path);
}

TEST(PlatePath, DefaultSettingResolvesBesideTheProgram) {
  SetCacheDirectory("Cache");
  EXPECT_EQ(CacheDirectory(), ProgramFolder() + "/Cache");
  EXPECT_EQ(PlatePath("q"), ProgramFolder() + "/Cache/q.jpg");
  SetCacheDirectory("/srv/tiles");
  EXPECT_EQ(PlatePath("qr", ""), "/srv/tiles/q/r");
  SetCacheDirectory(std::string(300, 'a'));
  EXPECT_EQ(CacheDirectory().size(), kMaxPath);
}

class MakePlateDirsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("tk_platedirs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(MakePlateDirsTest, CreatesEveryLevelAndAcceptsExistingOnes) {
  const std::string cache = (root_ / "Cache").string();
  ASSERT_TRUE(MakePlateDirsIn(cache, "qrs"));
  EXPECT_TRUE(fs::is_directory(root_ / "Cache/q/r/s"));
  ASSERT_TRUE(MakePlateDirsIn(cache, "qrs"));
  ASSERT_TRUE(MakePlateDirsIn(cache, "qrt"));
  EXPECT_TRUE(fs::is_directory(root_ / "Cache/q/r/t"));
}

TEST_F(MakePlateDirsTest, FileInTheWayFails) {
  const std::string cache = (root_ / "Cache").string();
  fs::create_directories(root_ / "Cache/q");
  std::ofstream(root_ / "Cache/q/r") << "not a directory";
  SetLastError(0);
  EXPECT_FALSE(MakePlateDirsIn(cache, "qrs"));
  EXPECT_EQ(GetLastError(), ENOTDIR);
  // The children directory itself being a file is no success either.
  std::ofstream(root_ / "Cache/t") << "x";
  EXPECT_FALSE(MakePlateDirsIn(cache, "t"));
}

}  // namespace
}  // namespace tk
