#include "terrakon/app/paint_grid.h"

#include <cinttypes>
#include <cstdio>

#include "platform/i18n/translate.h"
#include "terrakon/app/navigation.h"

namespace tk {

PaintGrid MakePaintGrid(const QuadcalcContext& view, int zoomOffset, int width, int height,
                        int64_t correctX, int64_t correctY) {
  PaintGrid g;
  const int zoom = ClampZoom(view.Zoom);
  g.level = EffectiveLevel(zoom, ClampZoomOffset(zoomOffset));
  // Past level 30 there are no finer plates: level-30 plates at their own size.
  const int offset = g.level - zoom;
  g.plateSize = 256 >> offset;
  g.plateUnits = view.PlateUnitsX >> offset;
  if (g.plateUnits <= 0) g.plateUnits = 1;
  g.plates = int64_t{1} << g.level;
  g.nx = width / g.plateSize + 1;
  g.ny = height / g.plateSize + 1;
  g.cx = view.CenterX / g.plateUnits;
  g.cy = view.CenterY / g.plateUnits;
  g.correctionShift = CorrectionShift(g.level, 0);
  g.x0 = G2ScreenX((g.cx - g.nx) * g.plateUnits) - static_cast<int>(correctX >> g.correctionShift);
  g.y0 = G2ScreenY((g.cy - g.ny) * g.plateUnits) - static_cast<int>(correctY >> g.correctionShift);
  return g;
}

AncestorPart AncestorPartOf(std::string_view key, int levelsUp) {
  AncestorPart part;
  if (levelsUp <= 0 || static_cast<std::size_t>(levelsUp) > key.size()) return part;
  for (char letter : key.substr(key.size() - levelsUp)) {
    part.size /= 2;
    switch (letter) {
      case 'q': part.bottom += part.size; break;
      case 'r': part.bottom += part.size; part.left += part.size; break;
      case 's': part.left += part.size; break;
      default: break;  // 't' keeps the south-west quarter
    }
  }
  return part;
}

std::string PlaceholderText(const PlateRef& ref, int64_t column, int64_t row, const std::string& key) {
  char text[256];
  if (ref == PlateQueued)
    std::snprintf(text, sizeof text, "%s...\n%" PRId64 "x%" PRId64 "\n%s", Translate("Cached to load"), column, row,
                  key.c_str());
  else if (ref)
    std::snprintf(text, sizeof text, "%s\n%" PRId64 "x%" PRId64 "\n%s", PlateStateText(ref), column, row, key.c_str());
  else
    std::snprintf(text, sizeof text, "%" PRId64 "x%" PRId64 "\n%s", column, row, key.c_str());
  return text;
}

}  // namespace tk
