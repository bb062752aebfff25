// The selection rectangle and the select tool's rules: what part of the
// rectangle lies under the pointer, and how a drag moves its edges.
#pragma once

#include <cstdint>

namespace tk {

// Pixel units; the select tool keeps SelX <= SelX1 and SelY1 <= SelY.
struct SelectionRect {
  int64_t SelX = 0;   // west
  int64_t SelY = 0;   // north
  int64_t SelX1 = 0;  // east
  int64_t SelY1 = 0;  // south
};

// What lies under the pointer.
enum HitHandle : uint8_t {
  kHitWaypoint = 0,
  kHitLeft = 2,
  kHitRight = 3,
  kHitBottom = 4,
  kHitTop = 5,
  kHitBottomLeft = 6,
  kHitBottomRight = 7,
  kHitTopRight = 8,
  kHitTopLeft = 9,
  kHitNothing = 10,
};

// The handle of the rectangle that the test box bx0 ... bx1, by0 ... by1
// (pixel units, by0 the southern side) touches.
HitHandle SelectionHitTest(const SelectionRect& s, int64_t bx0, int64_t by0, int64_t bx1, int64_t by1);

// Moves the edges named by the handle to the pointer (x, y), then orders and
// limits the rectangle to the world: a new selection (kHitNothing) grows from
// its first corner to the east and south only.
void DragSelection(SelectionRect& s, int handle, int64_t x, int64_t y);

}  // namespace tk
