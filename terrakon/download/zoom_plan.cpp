#include "terrakon/download/zoom_plan.h"

#include <utility>

#include "quadcalc/quadcalc.h"

namespace tk {

void BuildZoomPlan(ZoomPlan& plan, const PixelRect& selection, const ZoomTicks& ticks) {
  for (int i = 0; i < kMaxZoom; ++i) {
    ZoomPlanLevel& level = plan[i];
    level = ZoomPlanLevel{};
    level.enabled = ticks[i];
    int64_t r[4] = {selection.X1, selection.Y1, selection.X2, selection.Y2};
    if (r[0] > r[2]) std::swap(r[0], r[2]);
    if (r[1] > r[3]) std::swap(r[1], r[3]);
    Rect2Num(r, i + 1);
    level.xLow = r[0];
    level.yLow = r[1];
    level.xHigh = r[2];
    level.yHigh = r[3];
    level.total = (level.xHigh - level.xLow + 1) * (level.yHigh - level.yLow + 1);
  }
}

}  // namespace tk
