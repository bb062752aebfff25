// Where a waypoint appears on the main view and which part of the view to
// repaint for it; the painter draws the symbol and the label.
#pragma once

#include <cstdint>
#include <optional>

#include "terrakon/plates/pixel_space.h"
#include "terrakon/tracks/waypoint.h"

namespace tk {

struct ScreenPoint {
  int32_t x;
  int32_t y;
};
struct ScreenRect {
  int32_t left, top, right, bottom;
};

// The drawn position (with the corrections) on a view of width x height
// screen pixels showing view (X1 west, Y1 south, X2 east, Y2 north), through
// the coordinate math library's screen conversion; none when outside.
std::optional<ScreenPoint> WaypointScreenPosition(const Waypoint& waypoint, const PixelRect& view, int width,
                                                  int height);
// The screen rectangle that holds the waypoint's symbol and label.
std::optional<ScreenRect> WaypointInvalidRect(const Waypoint& waypoint, const PixelRect& view, int width,
                                              int height);

// Label colours by state: the waypoint's own, the selection's, or white on
// black; kNoColor as background leaves the box unfilled.
struct LabelColors {
  uint32_t text;
  uint32_t box;
};
LabelColors WaypointLabelColors(const Waypoint& waypoint);

}  // namespace tk
