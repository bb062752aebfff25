#include "terrakon/tracks/track_drawing.h"

#include <algorithm>
#include <climits>

#include "terrakon/tracks/track_array.h"

namespace tk {
namespace {

// Corrections come from files and settings; the sums wrap rather than
// overflow.
int64_t Add(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

}  // namespace

bool TrackPixelBox(const Track& track, PixelRect* box) {
  const auto& points = track.Points();
  if (points.empty()) return false;
  PixelRect r{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
  for (const TrackPoint& p : points) {
    const int64_t x = Add(Add(p.X, track.correctionX), p.correctionX);
    const int64_t y = Add(Add(p.Y, track.correctionY), p.correctionY);
    r.X1 = std::min(r.X1, x);
    r.X2 = std::max(r.X2, x);
    r.Y1 = std::min(r.Y1, y);
    r.Y2 = std::max(r.Y2, y);
  }
  *box = r;
  return true;
}

const BaseArray* TrackPolylines(const Track& track, const TrackSettings& settings, const PixelRect& view) {
  if (!track.visible) return nullptr;
  PixelRect box;
  if (!TrackPixelBox(track, &box)) return nullptr;
  if (box.X2 < view.X1 || box.X1 > view.X2 || box.Y2 < view.Y1 || box.Y1 > view.Y2) return nullptr;
  const int64_t correction[2] = {Add(track.correctionX, settings.correctionX),
                                 Add(track.correctionY, settings.correctionY)};
  const std::size_t n = std::min<std::size_t>(track.Points().size(), INT32_MAX);
  return MakeTrackPoints(settings.drawAll ? 1 : 0, static_cast<int16_t>(track.type), correction,
                         track.Points().data(), static_cast<int32_t>(n));
}

TrackColors TrackDrawColors(const Track& track, const TrackSettings& settings) {
  if (track.state == 0) return {track.color, track.fillColor};
  if (track.state == 1) return {settings.selectedLine, settings.selectedFill};
  return {255, 0x800000};
}

TrackColors PointMarkerColors(const TrackPoint& point, const TrackSettings& settings) {
  if (point.state == 0) return {settings.pointColor, settings.pointFill};
  if (point.state == 1) return {settings.selectedPointColor, settings.selectedPointFill};
  return {0xFFFFFF, 0};
}

}  // namespace tk
