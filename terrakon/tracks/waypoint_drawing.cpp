#include "terrakon/tracks/waypoint_drawing.h"

#include "quadcalc/quadcalc.h"
#include "terrakon/tracks/waypoint_array.h"

namespace tk {

std::optional<ScreenPoint> WaypointScreenPosition(const Waypoint& waypoint, const PixelRect& view, int width,
                                                  int height) {
  const PixelPoint p = WaypointDrawnPosition(waypoint);
  if (p.X < view.X1 || p.X > view.X2 || p.Y < view.Y1 || p.Y > view.Y2) return std::nullopt;
  const int32_t sx = G2ScreenX(p.X), sy = G2ScreenY(p.Y);
  if (sx < 0 || sx > width || sy < 0 || sy > height) return std::nullopt;
  return ScreenPoint{sx, sy};
}

std::optional<ScreenRect> WaypointInvalidRect(const Waypoint& waypoint, const PixelRect& view, int width,
                                              int height) {
  const std::optional<ScreenPoint> s = WaypointScreenPosition(waypoint, view, width, height);
  if (!s) return std::nullopt;
  const int32_t size = waypoint.symbolSize;
  return ScreenRect{s->x - size / 2 - 1, s->y - size - 13, s->x + size / 2 + 1, s->y + 3};
}

LabelColors WaypointLabelColors(const Waypoint& waypoint) {
  if (waypoint.state == 0) return {waypoint.foreground, waypoint.background};
  if (waypoint.state == 1 && waypoint.settings)
    return {waypoint.settings->selectionForeground, waypoint.settings->selectionBackground};
  return {0xFFFFFF, 0};
}

}  // namespace tk
