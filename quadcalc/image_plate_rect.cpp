#include "quadcalc/quadcalc.h"

extern "C" void CalcImagePlateRect(int32_t d, int64_t column, int64_t row, const int64_t *sel,
                                   int32_t width, int32_t height, int32_t *out) {
  if (!out) return;
  out[0] = out[1] = out[2] = out[3] = 0;
  if (!sel || d < 0 || d > 29) return;
  // 128-bit so that no selection, however odd, overflows; real values fit 64 bits.
  using Wide = __int128;
  const Wide dx = Wide{sel[2]} - sel[0];
  const Wide dy = Wide{sel[3]} - sel[1];
  // A selection without width or height shows no plate: the rectangle stays empty.
  if (dx == 0 || dy == 0) return;
  const int s = 29 - d;  // level-30 plate numbers per plate of level d + 1, as a shift
  const Wide c0 = Wide{column} * (int64_t{1} << s);
  const Wide c1 = c0 + (int64_t{1} << s);
  const Wide r0 = Wide{row} * (int64_t{1} << s);
  const Wide r1 = r0 + (int64_t{1} << s);
  const Wide left = (c0 - sel[0]) * width / dx;
  const Wide right = (c1 - sel[0]) * width / dx + 1;
  const Wide a = (r0 - sel[1]) * height / dy;
  const Wide b = (r1 - sel[1]) * height / dy;
  out[0] = static_cast<int32_t>(left);
  out[1] = static_cast<int32_t>(height - b - 2);
  out[2] = static_cast<int32_t>(right);
  out[3] = static_cast<int32_t>(height - a - 1);
}
