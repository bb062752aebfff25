#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "quadcalc/quadcalc.h"

namespace tk {
namespace {

constexpr int64_t k37 = int64_t{1} << 37;
constexpr int64_t k38 = int64_t{1} << 38;

TEST(QuadcalcPlateNumbers, ColumnsAndRowsAreLimitedToTheLevel) {
  struct Case {
    int64_t v;
    int32_t z;
    int64_t plate;
  };
  const Case cases[] = {
      {k38, 1, 1},  // the east edge belongs to the last plate
      {k37, 1, 1},
      {k37 - 1, 1, 0},
      {-1, 1, 0},
      {INT64_MIN, 1, 0},
      {INT64_MAX, 1, 1},
      {0, 30, 0},
      {255, 30, 0},
      {256, 30, 1},
      {k38 - 1, 30, (k38 - 1) / 256},
      {k38, 30, (int64_t{1} << 30) - 1},
      {k38 - 1, 38, k38 - 1},
      {123456789, 0, 0},
      // Levels outside 0 ... 38 are taken as the nearest valid level.
      {k38 - 1, -5, 0},
      {k38 - 1, 39, k38 - 1},
      {k38 + 7, 64, k38 - 1},
      {12345, INT32_MAX, 12345},
      {12345, INT32_MIN, 0},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(GetPlateX2Num(c.v, c.z), c.plate) << c.v << " at " << c.z;
    EXPECT_EQ(GetPlateY2Num(c.v, c.z), c.plate) << c.v << " at " << c.z;
  }
}

TEST(QuadcalcPlateNumbers, Rect2NumConvertsInPlaceWithoutReordering) {
  int64_t r[4] = {k38, 256 * 10, 0, -5};  // east of west, south of north: kept as is
  EXPECT_EQ(Rect2Num(r, 30), 0);
  EXPECT_EQ(r[0], (int64_t{1} << 30) - 1);
  EXPECT_EQ(r[1], 10);
  EXPECT_EQ(r[2], 0);
  EXPECT_EQ(r[3], 0);

  int64_t s[4] = {0, 0, k37, k38 - 1};
  EXPECT_EQ(Rect2Num(s, 1), 1);
  EXPECT_EQ(s[2], 1);
  EXPECT_EQ(Rect2Num(nullptr, 1), 0);
}

TEST(QuadcalcPlateNumbers, CalcImagePlateRect) {
  using Rect = std::array<int32_t, 4>;
  struct Case {
    int32_t d;
    int64_t column, row;
    std::array<int64_t, 4> sel;  // level-30 plate numbers
    int32_t width, height;
    Rect out;
  };
  // Worked by hand from the mapping: left = (c0 - X1) W / dx, right = ... + 1,
  // top = H - b - 2, bottom = H - a - 1.
  const Case cases[] = {
      {29, 10, 5, {0, 0, 100, 50}, 100, 50, {10, 42, 12, 44}},
      {27, 3, 1, {4, 0, 36, 16}, 64, 32, {16, 14, 25, 23}},
      // Quotients truncate towards zero, also below the selection's corner.
      {29, 0, 0, {3, 3, 10, 10}, 10, 10, {-4, 10, -1, 13}},
      // A selection without width or height, or a level outside 1 ... 30,
      // gives an empty rectangle instead of a division by zero.
      {29, 10, 5, {7, 0, 7, 50}, 100, 50, {0, 0, 0, 0}},
      {29, 10, 5, {0, 9, 100, 9}, 100, 50, {0, 0, 0, 0}},
      {30, 10, 5, {0, 0, 100, 50}, 100, 50, {0, 0, 0, 0}},
      {-1, 10, 5, {0, 0, 100, 50}, 100, 50, {0, 0, 0, 0}},
  };
  for (const Case &c : cases) {
    Rect out = {99, 99, 99, 99};
    CalcImagePlateRect(c.d, c.column, c.row, c.sel.data(), c.width, c.height, out.data());
    EXPECT_EQ(out, c.out) << "d " << c.d << " column " << c.column << " row " << c.row;
  }
}

TEST(QuadcalcPlateNumbers, CalcImagePlateRectSurvivesExtremeInput) {
  const int64_t sel[4] = {INT64_MIN, INT64_MAX, INT64_MAX, INT64_MIN};
  int32_t out[4] = {};
  CalcImagePlateRect(0, INT64_MAX, INT64_MIN, sel, INT32_MAX, INT32_MAX, out);  // no UB
  CalcImagePlateRect(0, 0, 0, nullptr, 10, 10, out);
  EXPECT_EQ(out[2], 0);
  CalcImagePlateRect(0, 0, 0, sel, 10, 10, nullptr);
}

}  // namespace
}  // namespace tk
