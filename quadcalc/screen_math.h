#pragma once
// Conversions between pixel space and screen pixels shared by the screen
// exports and the track polylines. Exact for any int64 input: garbage from the
// host must not turn into undefined arithmetic.
#include <cstdint>

#include "quadcalc/quadcalc.h"

namespace tk {

using Wide = __int128;

constexpr int64_t kWorldSize = int64_t{1} << 38;

// Half a view extent from a host callback, rounded towards zero.
inline int32_t HalfExtent(int32_t (*extent)(void)) { return extent ? extent() / 2 : 0; }

// (v - center) / units, truncated towards zero; units != 0.
inline Wide PixelOffset(int64_t v, int64_t center, int64_t units) {
  int64_t diff;
  if (__builtin_expect(!__builtin_sub_overflow(v, center, &diff) && diff != INT64_MIN, 1))
    return diff / units;  // the common case stays a 64-bit division
  return (Wide{v} - center) / units;
}

// Screen pixel sx (or half - sy) to pixel space, limited to the world.
inline int64_t ScreenToWorld(int64_t offsetPixels, int64_t units, int64_t center) {
  const Wide v = Wide{offsetPixels} * units + center;
  return v < 0 ? 0 : v > kWorldSize ? kWorldSize : static_cast<int64_t>(v);
}

inline int32_t SaturateInt32(Wide v) {
  return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

}  // namespace tk
