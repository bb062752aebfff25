#include "terrakon/download/zoom_plan.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

constexpr int64_t kUnits8 = PlateUnits(8);  // 2^30 pixel units per plate at level 8

TEST(ZoomPlan, PlateRangesPerLevelFromAnyCorners) {
  // West 100.5 and east 103.25 plates, south 7 and north 9.9 plates of level 8,
  // given as north-east / south-west corners.
  const PixelRect selection{103 * kUnits8 + kUnits8 / 4, 9 * kUnits8 + 9 * kUnits8 / 10, 100 * kUnits8 + kUnits8 / 2,
                            7 * kUnits8};
  ZoomTicks ticks{};
  ticks[7] = ticks[0] = true;
  ZoomPlan plan;
  plan[7].state = kLevelDone;
  plan[7].loaded = 5;
  BuildZoomPlan(plan, selection, ticks);

  // Expected ranges: each edge divided by the level's plate size (2^(38 - z)).
  const struct {
    int level;
    int64_t xLow, yLow, xHigh, yHigh, total;
  } rows[] = {
      {1, 0, 0, 0, 0, 1},                        // everything in the south-west plate
      {8, 100, 7, 103, 9, 12},
      {9, 201, 14, 206, 19, 36},
      {30, 100LL << 22 | 1LL << 21, 7LL << 22, (103LL << 22) + (1LL << 20), (9LL << 22) + (9LL << 22) / 10,
       ((103LL << 22) + (1LL << 20) - (100LL << 22 | 1LL << 21) + 1) *
           ((9LL << 22) + (9LL << 22) / 10 - (7LL << 22) + 1)},
  };
  for (const auto& r : rows) {
    const ZoomPlanLevel& level = plan[r.level - 1];
    EXPECT_EQ(level.xLow, r.xLow) << r.level;
    EXPECT_EQ(level.yLow, r.yLow) << r.level;
    EXPECT_EQ(level.xHigh, r.xHigh) << r.level;
    EXPECT_EQ(level.yHigh, r.yHigh) << r.level;
    EXPECT_EQ(level.total, r.total) << r.level;
  }
  for (int i = 0; i < kMaxZoom; ++i) {
    EXPECT_EQ(plan[i].enabled, i == 0 || i == 7) << i;
    EXPECT_EQ(plan[i].state, kLevelWaiting) << i;
    EXPECT_EQ(plan[i].loaded, 0) << i;
  }
}

TEST(ZoomPlan, EdgesOfTheWorldStayInsideTheLevel) {
  ZoomPlan plan;
  BuildZoomPlan(plan, PixelRect{kWorldSize, kWorldSize, -5, 0}, ZoomTicks{});
  EXPECT_EQ(plan[0].total, 4);
  EXPECT_EQ(plan[1].xHigh, 3);
  EXPECT_EQ(plan[29].total, int64_t{1} << 60);
}

}  // namespace
}  // namespace tk
