#include "terrakon/plates/plate_key.h"

#include <utility>

namespace tk {

char* MakePlateKey(char* buffer, int64_t column, int64_t row, int zoom) {
  int n = zoom > kMaxZoom ? kMaxZoom : zoom;
  char* out = buffer;
  for (; n > 0; --n) {
    const int64_t half = int64_t{1} << (n - 1);
    if (column >= half && row >= half) {
      *out++ = 'r';
      column -= half;
      row -= half;
    } else if (row >= half) {
      *out++ = 'q';
      row -= half;
    } else if (column >= half) {
      *out++ = 's';
      column -= half;
    } else {
      *out++ = 't';
    }
  }
  *out = '\0';
  return buffer;
}

std::string PlateKeyText(int64_t column, int64_t row, int zoom) {
  char buffer[kPlateKeyBytes];
  return MakePlateKey(buffer, column, row, zoom);
}

PixelRect PlateKeyRect(std::string_view key) {
  PixelRect r{0, 0, kWorldSize, kWorldSize};
  for (char c : key) {
    const int64_t mx = (r.X1 + r.X2) / 2;
    const int64_t my = (r.Y1 + r.Y2) / 2;
    switch (c) {
      case 'q': r.X2 = mx; r.Y1 = my; break;
      case 'r': r.X1 = mx; r.Y1 = my; break;
      case 's': r.X1 = mx; r.Y2 = my; break;
      case 't': r.X2 = mx; r.Y2 = my; break;
      default: break;
    }
  }
  if (r.X1 > r.X2) std::swap(r.X1, r.X2);
  if (r.Y1 > r.Y2) std::swap(r.Y1, r.Y2);
  return r;
}

}  // namespace tk
