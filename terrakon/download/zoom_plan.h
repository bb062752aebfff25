// The zoom plan of a selection: for each of the 30 zoom levels its range of
// plates, for area loading, image export and the analysis.
#pragma once

#include <array>
#include <cstdint>

#include "terrakon/plates/pixel_space.h"

namespace tk {

enum ZoomLevelState : uint8_t {
  kLevelWaiting = 0,
  kLevelLoading = 1,
  kLevelDone = 2,
};

struct ZoomPlanLevel {
  bool enabled = false;  // the level is ticked
  // Plate numbers of the level, low <= high: first and last column and row
  // (rows counted from the south).
  int64_t xLow = 0;
  int64_t yLow = 0;
  int64_t xHigh = 0;
  int64_t yHigh = 0;
  int64_t total = 0;     // (xHigh - xLow + 1) * (yHigh - yLow + 1) plates
  // Counters of the current run: answered 200, failed otherwise, answered 404.
  int64_t loaded = 0;
  int64_t errors = 0;
  int64_t notFound = 0;
  double percent = 0;    // the level's progress, 0 ... 100
  ZoomLevelState state = kLevelWaiting;
};

// Entry z describes zoom level z + 1.
using ZoomPlan = std::array<ZoomPlanLevel, kMaxZoom>;
using ZoomTicks = std::array<bool, kMaxZoom>;

// Fills every entry from the selection (any two opposite corners, pixel
// space) and the level ticks; counters zero, state waiting.
void BuildZoomPlan(ZoomPlan& plan, const PixelRect& selection, const ZoomTicks& ticks);

}  // namespace tk
