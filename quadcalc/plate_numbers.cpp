#include <algorithm>

#include "quadcalc/quadcalc.h"

namespace tk {
namespace {

constexpr int32_t kMaxLevel = 38;  // 2^38 units: one plate per unit

int64_t PlateNumber(int64_t v, int32_t z) {
  // Levels beyond the pixel space would make the shift or the divisor invalid.
  z = std::clamp(z, 0, kMaxLevel);
  const int64_t n = int64_t{1} << z;
  const int64_t unitsPerPlate = (int64_t{1} << kMaxLevel) / n;
  int64_t q = v / unitsPerPlate;
  if (q > n - 1) q = n - 1;
  if (q < 0) q = 0;
  return q;
}

}  // namespace
}  // namespace tk

extern "C" int64_t GetPlateX2Num(int64_t v, int32_t z) { return tk::PlateNumber(v, z); }

extern "C" int64_t GetPlateY2Num(int64_t v, int32_t z) { return tk::PlateNumber(v, z); }

extern "C" int64_t Rect2Num(int64_t *rect, int32_t z) {
  if (!rect) return 0;
  for (int i = 0; i < 4; ++i) rect[i] = tk::PlateNumber(rect[i], z);
  return rect[3];
}
