// What drawing a track needs before it touches a canvas: whether it can be
// seen, its screen polylines from the coordinate math library, and its
// colours. The painter of the main view does the rest.
#pragma once

#include <cstdint>

#include "quadcalc/quadcalc.h"
#include "terrakon/plates/pixel_space.h"
#include "terrakon/tracks/track.h"

namespace tk {

struct TrackSettings;

// Minimum and maximum of X + track and point own correction (Y likewise);
// false for a track without points.
bool TrackPixelBox(const Track& track, PixelRect* box);

// The track's screen polylines (MakeTrackPoints with the draw-all flag, the
// type and the track's plus the global correction), or null when nothing is
// drawn: invisible, no points, a box outside view (bounds inclusive), or no
// polyline. The result belongs to the library until its next call.
const BaseArray* TrackPolylines(const Track& track, const TrackSettings& settings, const PixelRect& view);

struct TrackColors {
  uint32_t line;
  uint32_t fill;
};
// By the track's state: its own colours, the current track's, or 255 and
// 0x800000 for any other state.
TrackColors TrackDrawColors(const Track& track, const TrackSettings& settings);
// The marker of a point of the current track: outline and fill.
TrackColors PointMarkerColors(const TrackPoint& point, const TrackSettings& settings);

}  // namespace tk
