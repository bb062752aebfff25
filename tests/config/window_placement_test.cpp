#include "terrakon/config/window_placement.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

constexpr int kScreenW = 1920;
constexpr int kScreenH = 1040;
const WindowPlacement kCurrent{10, 20, 640, 480, kWindowNormal};

TEST(WindowPlacement, SaveWritesFiveInts) {
  HConfigItem item;
  SaveWindowPlacement(&item, {1, 2, 3, 4, kWindowMaximized});
  const char* keys[] = {"X", "Y", "W", "H", "WindowState"};
  const int values[] = {1, 2, 3, 4, kWindowMaximized};
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(item.FindItem(keys[i]), nullptr) << keys[i];
    EXPECT_EQ(item.FindItem(keys[i])->ItemType(), kTypeInt) << keys[i];
    EXPECT_EQ(item.GetInt(keys[i], 0), values[i]) << keys[i];
  }
  SaveWindowPlacement(nullptr, kCurrent);  // nothing to do, no crash
  EXPECT_EQ(LoadWindowPlacement(nullptr, kCurrent, kScreenW, kScreenH), kCurrent);
}

TEST(WindowPlacement, LoadRule) {
  struct Case {
    const char* what;
    int x, y, w, h, state;  // -1 and 0: key left missing
    WindowPlacement expected;
  } cases[] = {
      {"nothing stored", -1, -1, -1, -1, 0, kCurrent},
      {"all stored", 100, 50, 800, 600, 0, {100, 50, 800, 600, kWindowNormal}},
      {"one missing", 100, 50, 800, -1, 0, kCurrent},
      {"larger than the screen", 0, 0, 3000, 2000, 0, {0, 0, kScreenW, kScreenH, kWindowNormal}},
      {"beyond the right edge", 2500, 30, 800, 600, 0, {kScreenW - 800, 30, 800, 600, kWindowNormal}},
      {"beyond the bottom edge", 5, 1500, 800, 600, 0, {5, kScreenH - 600, 800, 600, kWindowNormal}},
      {"maximized keeps bounds", 100, 50, 800, 600, 2, {10, 20, 640, 480, kWindowMaximized}},
      {"minimized keeps bounds", 100, 50, 800, 600, 1, {10, 20, 640, 480, kWindowMinimized}},
      {"damaged size ignored", 100, 50, 0, 600, 0, kCurrent},
  };
  for (const Case& c : cases) {
    HConfigItem item;
    if (c.x != -1) item.SetInt("X", c.x);
    if (c.y != -1) item.SetInt("Y", c.y);
    if (c.w != -1) item.SetInt("W", c.w);
    if (c.h != -1) item.SetInt("H", c.h);
    if (c.state != 0) item.SetInt("WindowState", c.state);
    EXPECT_EQ(LoadWindowPlacement(&item, kCurrent, kScreenW, kScreenH), c.expected) << c.what;
    // The reads leave every key behind with its default.
    EXPECT_EQ(item.ItemCount(), 5u) << c.what;
    EXPECT_EQ(item.GetInt("W", 0), c.w) << c.what;
  }
}

}  // namespace
}  // namespace tk
