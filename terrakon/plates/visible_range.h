// The plates that the main view touches at a zoom level.
#pragma once

#include <cstdint>

#include "quadcalc/quadcalc.h"

namespace tk {

struct PlateRange {
  int64_t firstColumn = 0;
  int64_t lastColumn = 0;
  int64_t firstRow = 0;  // southernmost
  int64_t lastRow = 0;
};

// Through the view record's GetViewRect; zoom -1 means the view's own level.
PlateRange VisiblePlateRange(const QuadcalcContext& view, int zoom);

}  // namespace tk
