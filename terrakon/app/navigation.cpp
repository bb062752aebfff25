#include "terrakon/app/navigation.h"

#include <algorithm>
#include <cstdio>

#include "terrakon/plates/pixel_space.h"

namespace tk {

int ClampZoom(int zoom) { return std::clamp(zoom, 1, kMaxZoom); }
int ClampZoomOffset(int offset) { return std::clamp(offset, 0, kMaxZoomOffset); }
int64_t ClampToWorld(int64_t v) { return std::clamp<int64_t>(v, 0, kWorldSize); }

int64_t NeededCachePlates(int offset, int width, int height) {
  const int64_t scale = int64_t{1} << ClampZoomOffset(offset);
  const int64_t columns = scale * std::max(width, 0) / 256 + 1;
  const int64_t rows = scale * std::max(height, 0) / 256 + 1;
  return columns * rows * 3 / 2;
}

int WheelNotches(int delta) {
  if (delta == 0) return 0;
  const int64_t magnitude = delta < 0 ? -int64_t{delta} : int64_t{delta};
  const int notches = static_cast<int>((magnitude + 119) / 120);
  return delta < 0 ? -notches : notches;
}

int EffectiveLevel(int zoom, int offset) { return std::clamp(zoom + offset, 1, kMaxZoom); }

int CorrectionShift(int zoom, int offset) { return std::max(0, kMaxZoom - zoom - offset); }

std::string MainTitle(int zoom, int offset) {
  char text[64];
  std::snprintf(text, sizeof text, "Terrakon: %d (%d+%d)", std::min(zoom + offset, kMaxZoom), zoom, offset);
  return text;
}

}  // namespace tk
