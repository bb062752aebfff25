#include "terrakon/app/selection_edit.h"

#include <algorithm>

#include "terrakon/plates/pixel_space.h"

namespace tk {

HitHandle SelectionHitTest(const SelectionRect& s, int64_t bx0, int64_t by0, int64_t bx1, int64_t by1) {
  if (s.SelX1 < bx0 || bx1 < s.SelX || s.SelY < by0 || by1 < s.SelY1) return kHitNothing;
  const bool onBottom = by0 <= s.SelY1 && s.SelY1 <= by1;
  const bool onTop = by0 <= s.SelY && s.SelY <= by1;
  if (bx0 <= s.SelX && s.SelX <= bx1) return onBottom ? kHitBottomLeft : !onTop ? kHitLeft : kHitTopLeft;
  if (bx0 <= s.SelX1 && s.SelX1 <= bx1) return onBottom ? kHitBottomRight : !onTop ? kHitRight : kHitTopRight;
  if (onBottom) return kHitBottom;
  if (onTop) return kHitTop;
  return kHitNothing;
}

void DragSelection(SelectionRect& s, int handle, int64_t x, int64_t y) {
  switch (handle) {
    case kHitLeft: s.SelX = x; break;
    case kHitRight: s.SelX1 = x; break;
    case kHitBottom: s.SelY1 = y; break;
    case kHitTop: s.SelY = y; break;
    case kHitBottomLeft: s.SelX = x; s.SelY1 = y; break;
    case kHitBottomRight:
    case kHitNothing: s.SelX1 = x; s.SelY1 = y; break;
    case kHitTopRight: s.SelX1 = x; s.SelY = y; break;
    case kHitTopLeft: s.SelX = x; s.SelY = y; break;
    default: break;
  }
  s.SelX = std::clamp<int64_t>(s.SelX, 0, kWorldSize);
  s.SelX1 = std::max(s.SelX, std::min(s.SelX1, kWorldSize));
  s.SelY1 = std::clamp<int64_t>(s.SelY1, 0, kWorldSize);
  s.SelY = std::max(s.SelY1, std::min(s.SelY, kWorldSize));
}

}  // namespace tk
