#include <gtest/gtest.h>

#include <cstddef>

#include "quadcalc/quadcalc.h"
#include "tests/quadcalc/header_as_c.h"

namespace tk {
namespace {

// The host, the plugins and the library read these records directly: the
// 64-bit layout is fixed, and C and C++ must agree on it.
TEST(QuadcalcLayout, RecordsAreLaidOutAlikeInCAndCpp) {
  const size_t expected[kQuadcalcLayoutValues] = {
      152, 4, 20, 44, 68, 84, 90, 92, 96, 144,  // QuadcalcContext
      24, 16, 20,                               // TrackPolyline
      32, 12, 20, 28};                          // BaseArray
  const size_t cpp[kQuadcalcLayoutValues] = {
      sizeof(QuadcalcContext),
      offsetof(QuadcalcContext, CenterX),
      offsetof(QuadcalcContext, SelX),
      offsetof(QuadcalcContext, SelY1),
      offsetof(QuadcalcContext, PixelUnitsX),
      offsetof(QuadcalcContext, Zoom),
      offsetof(QuadcalcContext, CoordSys),
      offsetof(QuadcalcContext, DatumNum),
      offsetof(QuadcalcContext, GetViewWidth),
      offsetof(QuadcalcContext, MemFree),
      sizeof(TrackPolyline),
      offsetof(TrackPolyline, count),
      offsetof(TrackPolyline, flags),
      sizeof(BaseArray),
      offsetof(BaseArray, items),
      offsetof(BaseArray, count),
      offsetof(BaseArray, delta)};
  size_t c[kQuadcalcLayoutValues] = {};
  QuadcalcLayoutSeenByC(c);
  for (size_t i = 0; i < kQuadcalcLayoutValues; ++i) {
    EXPECT_EQ(cpp[i], expected[i]) << "value " << i;
    EXPECT_EQ(c[i], expected[i]) << "value " << i;
  }
  EXPECT_EQ(QuadcalcPlateFromC(256 * 77), 77);
}

}  // namespace
}  // namespace tk
