#include "terrakon/app/selection_brush.h"

namespace tk {

SelectionBrushStrip SelectionBrushStrip::BuiltIn() {
  constexpr int kWidth = 6, kPhases = 4, kHeight = kWidth + kPhases;
  std::vector<uint32_t> pixels(kWidth * kHeight, 0xC0C0C0);
  for (int r = 0; r < kHeight; ++r) {
    pixels[r * kWidth + (r + 2) % kWidth] = 0;
    pixels[r * kWidth + (r + 3) % kWidth] = 0;
  }
  SelectionBrushStrip strip;
  strip.Assign(kWidth, kHeight, std::move(pixels));
  return strip;
}

bool SelectionBrushStrip::Assign(int width, int height, std::vector<uint32_t> pixels) {
  if (width <= 0 || width > kMaxWidth || height <= width || height > kMaxHeight) return false;
  if (pixels.size() != static_cast<std::size_t>(width) * height) return false;
  width_ = width;
  height_ = height;
  pixels_ = std::move(pixels);
  return true;
}

int SelectionBrushStrip::FirstPhase(int counter) const {
  const int n = phases();
  if (n <= 0) return 0;
  return ((counter % n) + n) % n;
}

int SelectionBrushStrip::SecondPhase(int counter) const { return phases() - 1 - FirstPhase(counter); }

}  // namespace tk
