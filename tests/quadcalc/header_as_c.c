/* Compiled as C: the public header must stand alone in a C program. */
#include "quadcalc/quadcalc.h"

#include "tests/quadcalc/header_as_c.h"

void QuadcalcLayoutSeenByC(size_t out[kQuadcalcLayoutValues]) {
  size_t i = 0;
  out[i++] = sizeof(QuadcalcContext);
  out[i++] = offsetof(QuadcalcContext, CenterX);
  out[i++] = offsetof(QuadcalcContext, SelX);
  out[i++] = offsetof(QuadcalcContext, SelY1);
  out[i++] = offsetof(QuadcalcContext, PixelUnitsX);
  out[i++] = offsetof(QuadcalcContext, Zoom);
  out[i++] = offsetof(QuadcalcContext, CoordSys);
  out[i++] = offsetof(QuadcalcContext, DatumNum);
  out[i++] = offsetof(QuadcalcContext, GetViewWidth);
  out[i++] = offsetof(QuadcalcContext, MemFree);
  out[i++] = sizeof(TrackPolyline);
  out[i++] = offsetof(TrackPolyline, count);
  out[i++] = offsetof(TrackPolyline, flags);
  out[i++] = sizeof(BaseArray);
  out[i++] = offsetof(BaseArray, items);
  out[i++] = offsetof(BaseArray, count);
  out[i++] = offsetof(BaseArray, delta);
}

int64_t QuadcalcPlateFromC(int64_t v) { return GetPlateX2Num(v, 30); }
