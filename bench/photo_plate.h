// Plates of ordinary photographic content for the benchmarks: smooth fields,
// fine texture and noise, with shapes like fields, roads and roofs, so that
// JPEG sizes and decoding costs are those of real imagery. Same seed, same plate.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "platform/imagelib/imagelib.h"

namespace tk::bench {

inline tk::img::Bitmap Photo(unsigned seed) {
  namespace img = tk::img;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::normal_distribution<double> noise(0, 1);
  img::Bitmap b;
  img::AllocBitmap(b, img::kBgr, 256, 256, 4);
  double f[3][4];
  for (auto& c : f)
    for (double& v : c) v = u(rng);
  double texture = 4 + 14 * u(rng);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      for (int c = 0; c < 3; ++c) {
        double v = 90 + 60 * std::sin(x * f[c][0] * 0.05 + f[c][1] * 6) * std::cos(y * f[c][2] * 0.04 + f[c][3] * 6) +
                   0.15 * (x + y) * f[c][1] + texture * noise(rng);
        b.Row(y)[x * 3 + c] = uint8_t(std::clamp(v, 0.0, 255.0));
      }
    }
  }
  // Fields, roads and roofs: shapes with soft noise of their own.
  for (int s = 6 + int(rng() % 8); s > 0; --s) {
    int cx = int(rng() % 256), cy = int(rng() % 256), rx = 5 + int(rng() % 50), ry = 5 + int(rng() % 50);
    uint8_t col[3] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    bool round = rng() % 2;
    for (int y = std::max(0, cy - ry); y < std::min(256, cy + ry); ++y)
      for (int x = std::max(0, cx - rx); x < std::min(256, cx + rx); ++x) {
        double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
        if (round && dx * dx + dy * dy > 1) continue;
        for (int c = 0; c < 3; ++c)
          b.Row(y)[x * 3 + c] = uint8_t(std::clamp(col[c] + 6 * noise(rng), 0.0, 255.0));
      }
  }
  return b;
}

}  // namespace tk::bench
