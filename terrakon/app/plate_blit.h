// Copying a plate at its own size into a 32-bit XRGB picture: the plate's
// rows run bottom-up in BGR order, so the copy flips and widens them. Painting
// the common unscaled case this way is several times faster than handing the
// 24-bit plate to a general-purpose painter.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tk {

struct BlitTarget {
  uint8_t* bits;           // the first row, top-down
  std::ptrdiff_t stride;   // bytes from one row to the next
  int width, height;
};

// Pixels of a rectangle: left, top, width, height.
struct BlitRect {
  int x, y, width, height;
};

// Draws the plate (256 x 256, kPlateLineBytes a row, bottom row first) with
// its top-left corner at (x, y), writing only pixels inside clip and the target.
void BlitPlate(const uint8_t* plate, int x, int y, const BlitRect& clip, const BlitTarget& target);

}  // namespace tk
