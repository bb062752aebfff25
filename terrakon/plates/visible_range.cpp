#include "terrakon/plates/visible_range.h"

#include <utility>

namespace tk {

PlateRange VisiblePlateRange(const QuadcalcContext& view, int zoom) {
  const int32_t level = zoom == -1 ? view.Zoom : zoom;
  int64_t r[4] = {0, 0, 0, 0};  // west, south, east, north
  if (view.GetViewRect) view.GetViewRect(r);
  PlateRange range{GetPlateX2Num(r[0], level), GetPlateX2Num(r[2], level),
                   GetPlateY2Num(r[1], level), GetPlateY2Num(r[3], level)};
  if (range.firstColumn > range.lastColumn) std::swap(range.firstColumn, range.lastColumn);
  if (range.firstRow > range.lastRow) std::swap(range.firstRow, range.lastRow);
  return range;
}

}  // namespace tk
