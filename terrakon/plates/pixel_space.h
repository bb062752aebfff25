// The pixel space: one signed 64-bit pair per point of the world, one unit
// being one image pixel at zoom level 30. X grows eastwards from 180 W, Y
// northwards from the southern edge of the Mercator projection.
#pragma once

#include <cstdint>

namespace tk {

inline constexpr int kMaxZoom = 30;                       // deepest zoom level
inline constexpr int64_t kWorldSize = int64_t{1} << 38;   // pixel units per axis
inline constexpr int kPlatePixels = 256;                  // image pixels per plate side

// Pixel units one plate covers at zoom level z (1 ... 30).
constexpr int64_t PlateUnits(int zoom) { return kWorldSize >> zoom; }

struct PixelPoint {
  int64_t X = 0;
  int64_t Y = 0;
};

// X1 <= X2 and Y1 <= Y2 (Y1 the southern edge) unless said otherwise.
struct PixelRect {
  int64_t X1 = 0;
  int64_t Y1 = 0;
  int64_t X2 = 0;
  int64_t Y2 = 0;
  bool operator==(const PixelRect&) const = default;
};

}  // namespace tk
