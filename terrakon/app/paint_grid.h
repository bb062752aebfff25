// The layout of one paint of the map: which plates cover the view, where the
// first one lies on screen and how big plates are drawn. Reads the view
// record through the coordinate math library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "quadcalc/quadcalc.h"
#include "terrakon/plates/plate_ref.h"

namespace tk {

struct PaintGrid {
  int plateSize = 256;     // pw = ph [screen pixels]
  int64_t plateUnits = 0;  // plate side [pixel units] at the effective level
  int level = 1;           // effective level ze
  int64_t plates = 2;      // N = 2^ze per side
  int nx = 0, ny = 0;      // columns and rows on each side of the centre plate
  int64_t cx = 0, cy = 0;  // centre plate
  int x0 = 0;              // left edge of column cx - nx [screen pixels]
  int y0 = 0;              // bottom edge of row cy - ny
  int correctionShift = 0; // 30 - ze
};

// correctX/Y: "GlobalCorrectX/Y" [pixel units], moving only the plates.
PaintGrid MakePaintGrid(const QuadcalcContext& view, int zoomOffset, int width, int height,
                        int64_t correctX, int64_t correctY);

// The part of an ancestor plate that a plate levelsUp levels below it covers:
// left and bottom within the ancestor's bottom-up bits, and its side [pixels].
struct AncestorPart {
  int left = 0;
  int bottom = 0;
  int size = 256;
};
AncestorPart AncestorPartOf(std::string_view key, int levelsUp);

// The text over a plate without an image: queued, a refused state, or none.
std::string PlaceholderText(const PlateRef& ref, int64_t column, int64_t row, const std::string& key);

}  // namespace tk
