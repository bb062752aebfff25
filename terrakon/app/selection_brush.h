// The pattern of the animated selection frame: square phases cut from a
// vertical strip, phase k being rows k ... k + width - 1. The second brush
// runs backwards so that opposite sides move against each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tk {

class SelectionBrushStrip {
 public:
  static constexpr int kMaxWidth = 16;
  static constexpr int kMaxHeight = 32;

  // Light grey rows with two black pixels each: diagonal stripes, 4 phases.
  static SelectionBrushStrip BuiltIn();
  // pixels: width x height 0x00RRGGBB values, top row first. False (strip
  // unchanged) unless 0 < width <= 16, width < height <= 32.
  bool Assign(int width, int height, std::vector<uint32_t> pixels);

  int width() const { return width_; }
  int height() const { return height_; }
  int phases() const { return height_ - width_; }
  uint32_t Pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  // Phase of the first and second brush for the counter.
  int FirstPhase(int counter) const;
  int SecondPhase(int counter) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace tk
