#include "quadcalc/context.h"
#include "quadcalc/screen_math.h"

// The view can change between any two calls, so every call asks the host for
// its current extent.

extern "C" int64_t ScreenX2G(int32_t sx) {
  const QuadcalcContext *c = tk::gContext;
  if (!c) return 0;
  const int32_t half = tk::HalfExtent(c->GetViewWidth);
  return tk::ScreenToWorld(int64_t{sx} - half, c->PixelUnitsX, c->CenterX);
}

extern "C" int64_t ScreenY2G(int32_t sy) {
  const QuadcalcContext *c = tk::gContext;
  if (!c) return 0;
  const int32_t half = tk::HalfExtent(c->GetViewHeight);
  return tk::ScreenToWorld(int64_t{half} - sy, c->PixelUnitsY, c->CenterY);
}

// Points far off the view do not fit 32 bits: the low 32 bits are returned.
// The track polylines saturate instead, since they test for being inside.
extern "C" int32_t G2ScreenX(int64_t x) {
  const QuadcalcContext *c = tk::gContext;
  if (!c || c->PixelUnitsX == 0) return 0;
  const int32_t half = tk::HalfExtent(c->GetViewWidth);
  return static_cast<int32_t>(tk::PixelOffset(x, c->CenterX, c->PixelUnitsX) + half);
}

extern "C" int32_t G2ScreenY(int64_t y) {
  const QuadcalcContext *c = tk::gContext;
  if (!c || c->PixelUnitsY == 0) return 0;
  const int32_t half = tk::HalfExtent(c->GetViewHeight);
  return static_cast<int32_t>(half - tk::PixelOffset(y, c->CenterY, c->PixelUnitsY));
}
