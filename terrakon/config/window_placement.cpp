#include "terrakon/config/window_placement.h"

#include <algorithm>

namespace tk {

void SaveWindowPlacement(HConfigItem* item, const WindowPlacement& placement) {
  if (!item) return;
  item->SetInt("X", placement.left);
  item->SetInt("Y", placement.top);
  item->SetInt("W", placement.width);
  item->SetInt("H", placement.height);
  item->SetInt("WindowState", placement.state);
}

WindowPlacement LoadWindowPlacement(HConfigItem* item, const WindowPlacement& current,
                                    int screenWidth, int screenHeight) {
  if (!item) return current;
  const int x = item->GetInt("X", -1);
  const int y = item->GetInt("Y", -1);
  const int w = item->GetInt("W", -1);
  const int h = item->GetInt("H", -1);
  const int state = item->GetInt("WindowState", kWindowNormal);

  WindowPlacement result = current;
  if (state == kWindowMinimized || state == kWindowMaximized) {
    result.state = state;
    return result;
  }
  // A size of zero or less can only come from a damaged file.
  if (x == -1 || y == -1 || w <= 0 || h <= 0) return result;
  result.width = std::min(w, screenWidth);
  result.height = std::min(h, screenHeight);
  result.left = x > screenWidth ? screenWidth - result.width : x;
  result.top = y > screenHeight ? screenHeight - result.height : y;
  return result;
}

}  // namespace tk
