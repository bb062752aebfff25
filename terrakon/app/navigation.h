// The arithmetic of moving and zooming the map view: limits, the memory the
// cache needs for a zoom offset, wheel notches and the correction tool's
// shift. Plain C++ so that the rules are tested without a display.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

inline constexpr int kMaxZoomOffset = 5;

int ClampZoom(int zoom);          // 1 ... 30
int ClampZoomOffset(int offset);  // 0 ... 5
int64_t ClampToWorld(int64_t v);  // 0 ... 2^38

// Plates the memory cache should hold to paint a view of width x height
// screen pixels at the zoom offset, with half again as reserve.
int64_t NeededCachePlates(int offset, int width, int height);

// A wheel delta in notches of 120, rounded away from zero (-1 is one notch
// down, +121 two up).
int WheelNotches(int delta);

// Bits between pixel units and screen pixels of the plates drawn at level +
// offset: 30 - level - offset, never below 0 (levels beyond 30 draw level 30).
int CorrectionShift(int zoom, int offset);

// Effective level of the plates painted: zoom + offset limited to 1 ... 30.
int EffectiveLevel(int zoom, int offset);

// "Terrakon: %d (%d+%d)": the level shown, the level and the offset.
std::string MainTitle(int zoom, int offset);

}  // namespace tk
