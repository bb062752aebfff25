// The texts of the selection list: one row per zoom level with what the
// selection covers there, and the summary over the ticked levels.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "terrakon/app/selection_edit.h"

namespace tk {

inline constexpr int kSelectionLevels = 30;
inline constexpr uint64_t kAverageSelectionPlateBytes = 10600;  // estimate per plate

using LevelTicks = std::array<bool, kSelectionLevels>;  // entry i: level i + 1

struct SelectionRow {
  std::string level;     // "N"
  std::string plates;    // "c1,r1-c2,r2"
  std::string nPlates;   // plate count
  std::string image;     // "w*h (w x h)" [image pixels]
  std::string avgSize;   // SizeText of the estimate
  uint64_t plateCount = 0;
};

// The row of level (1 ... 30); the rectangle is ordered first.
SelectionRow MakeSelectionRow(const SelectionRect& selection, int level);

// "x1 x y1 / x2 x y2\nAvg size: <size of the ticked levels>".
std::string SelectionSummary(const SelectionRect& selection, const LevelTicks& ticks);

bool AnyTicked(const LevelTicks& ticks);

}  // namespace tk
