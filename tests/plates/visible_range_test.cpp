#include "terrakon/plates/visible_range.h"

#include <gtest/gtest.h>

#include "terrakon/plates/pixel_space.h"

namespace tk {
namespace {

int64_t g_rect[4];
void FakeViewRect(int64_t* r) {
  for (int i = 0; i < 4; ++i) r[i] = g_rect[i];
}

TEST(VisiblePlateRange, OrdersAndClampsTheView) {
  QuadcalcContext view{};
  view.Size = sizeof(QuadcalcContext);
  view.Zoom = 3;
  view.GetViewRect = FakeViewRect;
  const int64_t unit = PlateUnits(3);
  // West, south, east, north; an east edge beyond the world clamps to the last column.
  g_rect[0] = unit * 2 + 5; g_rect[1] = unit * 1; g_rect[2] = kWorldSize + 100; g_rect[3] = unit * 4 - 1;
  PlateRange r = VisiblePlateRange(view, -1);
  EXPECT_EQ(r.firstColumn, 2); EXPECT_EQ(r.lastColumn, 7);
  EXPECT_EQ(r.firstRow, 1);    EXPECT_EQ(r.lastRow, 3);
  // Another level than the view's, and corners given the wrong way round.
  g_rect[0] = kWorldSize - 1; g_rect[2] = 0; g_rect[1] = kWorldSize / 2; g_rect[3] = 0;
  r = VisiblePlateRange(view, 1);
  EXPECT_EQ(r.firstColumn, 0); EXPECT_EQ(r.lastColumn, 1);
  EXPECT_EQ(r.firstRow, 0);    EXPECT_EQ(r.lastRow, 1);
}

}  // namespace
}  // namespace tk
