#include "common/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tk {
namespace {

TEST(Paths, ProgramRelative) {
  EXPECT_EQ(ProgramRelativePath("Cache", "/opt/tk/bin"), "/opt/tk/bin/Cache");
  EXPECT_EQ(ProgramRelativePath("/mnt/tiles", "/opt/tk/bin"), "/mnt/tiles");
  EXPECT_EQ(ProgramRelativePath("Cache"), ProgramFolder() + "/Cache");
  EXPECT_TRUE(IsAbsolutePath(ProgramFolder()));
}

// A path on the program's own top-level folder is stored relative to the
// program folder, so the installation can move; anything else stays absolute.
TEST(Paths, StoredForm) {
  struct Case {
    const char* path;
    const char* stored;
  } cases[] = {
      {"/home/u/tiles", "../../tiles"},
      {"/home/u/tk/bin/Cache", "Cache"},
      {"/home/u/tk/bin/Cache/", "Cache"},
      {"/home/u/tk/bin", "."},
      {"/home/u/tk/other/x", "../other/x"},
      {"/home", "../../.."},
      {"/mnt/usb/x", "/mnt/usb/x"},
      {"Cache", "Cache"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StoredPath(c.path, "/home/u/tk/bin"), c.stored) << c.path;
    if (c.path[0] != '/') continue;
    // Reading the stored form back names the same folder.
    const std::filesystem::path back = ProgramRelativePath(c.stored, "/home/u/tk/bin");
    EXPECT_EQ((back / "").lexically_normal(), (std::filesystem::path(c.path) / "").lexically_normal())
        << c.path;
  }
}

TEST(Paths, CutToMaxPath) {
  EXPECT_EQ(CutToMaxPath(std::string(300, 'x')).size(), kMaxPath);
  EXPECT_EQ(CutToMaxPath("short"), "short");
}

}  // namespace
}  // namespace tk
