#include "terrakon/app/plate_blit.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "terrakon/plates/plate_ref.h"

namespace tk {
namespace {

constexpr int kPlateSize = 256;

inline uint32_t Pixel(const uint8_t* bgr) {
  return 0xFF000000u | uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

void WidenRow(const uint8_t* s, uint32_t* d, int n) {
  int i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Four pixels from three words: b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3.
    for (; i + 4 <= n; i += 4, s += 12) {
      uint32_t w[3];
      std::memcpy(w, s, sizeof w);
      d[i] = 0xFF000000u | (w[0] & 0xFFFFFF);
      d[i + 1] = 0xFF000000u | (w[0] >> 24) | ((w[1] & 0xFFFF) << 8);
      d[i + 2] = 0xFF000000u | (w[1] >> 16) | ((w[2] & 0xFF) << 16);
      d[i + 3] = 0xFF000000u | (w[2] >> 8);
    }
  }
  for (; i < n; ++i, s += 3) d[i] = Pixel(s);
}

}  // namespace

void BlitPlate(const uint8_t* plate, int x, int y, const BlitRect& clip, const BlitTarget& target) {
  // 64-bit edges: a plate far outside the view must not overflow.
  const int64_t left = std::max<int64_t>({x, clip.x, 0});
  const int64_t top = std::max<int64_t>({y, clip.y, 0});
  const int64_t right = std::min<int64_t>({int64_t{x} + kPlateSize, int64_t{clip.x} + clip.width, target.width});
  const int64_t bottom = std::min<int64_t>({int64_t{y} + kPlateSize, int64_t{clip.y} + clip.height, target.height});
  if (left >= right || top >= bottom) return;
  for (int64_t row = top; row < bottom; ++row) {
    const uint8_t* s = plate + (kPlateSize - 1 - (row - y)) * kPlateLineBytes + (left - x) * 3;
    auto* d = reinterpret_cast<uint32_t*>(target.bits + row * target.stride) + left;
    WidenRow(s, d, static_cast<int>(right - left));
  }
}

}  // namespace tk
