// A window's stored place and size, as plain data: the keys "X", "Y", "W",
// "H" and "WindowState" below the window's item.
#pragma once

#include "terrakon/config/config_item.h"

namespace tk {

inline constexpr int kWindowNormal = 0;
inline constexpr int kWindowMinimized = 1;
inline constexpr int kWindowMaximized = 2;

struct WindowPlacement {
  int left = 0;    // screen pixels
  int top = 0;
  int width = 0;
  int height = 0;
  int state = kWindowNormal;

  bool operator==(const WindowPlacement&) const = default;
};

// Nothing happens without an item.
void SaveWindowPlacement(HConfigItem* item, const WindowPlacement& placement);

// The placement to apply to a window now at `current`. A stored minimized or
// maximized state is applied and the bounds are left alone. Otherwise stored
// bounds (all four present) are applied, the size cut to the full-screen
// client area and a window placed beyond its right or bottom edge moved back
// onto it. Without an item, `current`.
WindowPlacement LoadWindowPlacement(HConfigItem* item, const WindowPlacement& current,
                                    int screenWidth, int screenHeight);

}  // namespace tk
