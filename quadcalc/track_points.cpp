#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "quadcalc/context.h"
#include "quadcalc/screen_math.h"

namespace tk {
namespace {

constexpr int32_t kPolylineStep = 20;

// The result and the point buffers live from one call to the next so that
// drawing a track allocates nothing once the buffers are big enough.
BaseArray gResult = {nullptr, static_cast<int32_t>(sizeof(TrackPolyline)), nullptr, 0, 0,
                     kPolylineStep};

struct PointBuffers {
  int32_t *points = nullptr;   // x, y pairs [screen pixels]
  int32_t *indices = nullptr;  // positions in the input track
  size_t capacity = 0;         // [points]
};
PointBuffers gBuffers;

void FreeBuffers() {
  std::free(gBuffers.points);
  std::free(gBuffers.indices);
  gBuffers = {};
}

// Room for 2 n + 2 points: a point may end one polyline and start the next,
// and every finished polyline repeats its first point. The old buffers stay
// when new ones cannot be had.
bool ReserveBuffers(int32_t n) {
  const size_t need = 2 * static_cast<size_t>(n) + 2;
  if (need <= gBuffers.capacity) return true;
  auto *points = static_cast<int32_t *>(std::malloc(need * 2 * sizeof(int32_t)));
  auto *indices = static_cast<int32_t *>(std::malloc(need * sizeof(int32_t)));
  if (!points || !indices) {
    std::free(points);
    std::free(indices);
    return false;
  }
  FreeBuffers();
  gBuffers = {points, indices, need};
  return true;
}

__attribute__((destructor)) void FreeTrackPoints() {
  FreeBuffers();
  std::free(gResult.items);
  gResult.items = nullptr;
  gResult.count = gResult.capacity = 0;
}

struct ScreenPoint {
  int32_t x, y;
};

// Writes the polylines of one call into gResult and gBuffers.
class PolylineWriter {
 public:
  // Appends an empty polyline at the write position; false when the array
  // cannot grow (the polylines written so far stay valid).
  bool Start() {
    if (gResult.count == gResult.capacity && !Grow()) return false;
    TrackPolyline &line = gResult.items[gResult.count++];
    line.points = gBuffers.points + 2 * pos_;
    line.indices = gBuffers.indices + pos_;
    line.count = 0;
    line.flags = 0;
    start_ = pos_;
    return true;
  }

  void Add(int32_t index, ScreenPoint p) {
    if (pos_ >= gBuffers.capacity) return;  // cannot happen within 2 n + 2
    gBuffers.points[2 * pos_] = p.x;
    gBuffers.points[2 * pos_ + 1] = p.y;
    gBuffers.indices[pos_] = index;
    ++pos_;
  }

  void Finish() {
    if (gResult.count == 0) return;
    TrackPolyline &line = gResult.items[gResult.count - 1];
    if (line.flags & 1u) return;
    line.count = static_cast<int32_t>(pos_ - start_);
    line.flags |= 1u;
    if (pos_ >= gBuffers.capacity) return;
    gBuffers.points[2 * pos_] = line.points[0];
    gBuffers.points[2 * pos_ + 1] = line.points[1];
    gBuffers.indices[pos_] = line.indices[0];
    ++pos_;
  }

 private:
  // Doubling (never less than the recorded step) keeps long tracks linear.
  static bool Grow() {
    const int64_t more = std::max<int64_t>(gResult.delta > 0 ? gResult.delta : kPolylineStep,
                                           gResult.capacity);
    const int64_t capacity = int64_t{gResult.capacity} + more;
    if (capacity > INT32_MAX) return false;
    auto *items = static_cast<TrackPolyline *>(
        std::realloc(gResult.items, static_cast<size_t>(capacity) * sizeof(TrackPolyline)));
    if (!items) return false;
    gResult.items = items;
    gResult.capacity = static_cast<int32_t>(capacity);
    return true;
  }

  size_t pos_ = 0;    // write position in both buffers [points]
  size_t start_ = 0;  // where the current polyline began
};

// The caller's track and the view, read once per call.
class TrackView {
 public:
  TrackView(const QuadcalcContext &c, const int64_t *correction, const void *points, int32_t n)
      : base_(static_cast<const unsigned char *>(points)), n_(n) {
    int32_t rect[4] = {0, 0, 0, 0};
    if (c.GetClientRect) c.GetClientRect(rect);
    left_ = rect[0], top_ = rect[1], right_ = rect[2], bottom_ = rect[3];
    halfW_ = HalfExtent(c.GetViewWidth);
    halfH_ = HalfExtent(c.GetViewHeight);
    centerX_ = c.CenterX, centerY_ = c.CenterY;
    unitsX_ = c.PixelUnitsX, unitsY_ = c.PixelUnitsY;
    if (correction) corrX_ = correction[0], corrY_ = correction[1];
  }

  int32_t size() const { return n_; }
  int64_t X(int32_t i) const { return Field(i, QUADCALC_TRACK_POINT_X); }
  int64_t Y(int32_t i) const { return Field(i, QUADCALC_TRACK_POINT_Y); }

  // Corrections wrap instead of overflowing; far points saturate so that they
  // cannot wrap into the window.
  ScreenPoint Screen(int32_t i) const {
    const int64_t x = Add(Add(X(i), corrX_), Field(i, QUADCALC_TRACK_POINT_CORRECTION_X));
    const int64_t y = Add(Add(Y(i), corrY_), Field(i, QUADCALC_TRACK_POINT_CORRECTION_Y));
    return {SaturateInt32(PixelOffset(x, centerX_, unitsX_) + halfW_),
            SaturateInt32(halfH_ - PixelOffset(y, centerY_, unitsY_))};
  }

  bool Inside(ScreenPoint p) const {
    return left_ <= p.x && p.x < right_ && top_ <= p.y && p.y < bottom_;
  }

  // Within one screen pixel, on the uncorrected coordinates.
  bool Near(int32_t i, int64_t x, int64_t y) const {
    return unitsX_ > 0 && unitsY_ > 0 && Distance(X(i), x) <= static_cast<uint64_t>(unitsX_) &&
           Distance(Y(i), y) <= static_cast<uint64_t>(unitsY_);
  }

 private:
  int64_t Field(int32_t i, size_t offset) const {
    int64_t v;
    std::memcpy(&v, base_ + static_cast<size_t>(i) * QUADCALC_TRACK_POINT_STRIDE + offset, sizeof v);
    return v;
  }
  static int64_t Add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
  }
  static uint64_t Distance(int64_t a, int64_t b) {
    return a > b ? static_cast<uint64_t>(a) - static_cast<uint64_t>(b)
                 : static_cast<uint64_t>(b) - static_cast<uint64_t>(a);
  }

  const unsigned char *base_;
  int32_t n_;
  int32_t left_, top_, right_, bottom_;
  int32_t halfW_, halfH_;
  int64_t centerX_, centerY_, unitsX_, unitsY_;
  int64_t corrX_ = 0, corrY_ = 0;
};

void DrawAll(const TrackView &track, PolylineWriter &out) {
  if (!out.Start()) return;
  out.Add(0, track.Screen(0));
  int64_t lastX = track.X(0), lastY = track.Y(0);
  for (int32_t i = 1; i < track.size(); ++i) {
    if (track.Near(i, lastX, lastY)) continue;
    out.Add(i, track.Screen(i));
    lastX = track.X(i), lastY = track.Y(i);
  }
  out.Finish();
}

struct Entry {
  int32_t index;      // the point before the first one inside
  ScreenPoint at;     // its screen position
  ScreenPoint inside; // screen position of index + 1
};

// Tests the points after s in order; the first one inside makes the point
// before it the entry. sAt is the screen position of s when already known.
bool FindEntry(const TrackView &track, int32_t s, const ScreenPoint *sAt, Entry &entry) {
  ScreenPoint prev = sAt ? *sAt : ScreenPoint{0, 0};
  for (int32_t k = s + 1; k < track.size(); ++k) {
    const ScreenPoint p = track.Screen(k);
    if (track.Inside(p)) {
      entry.index = k - 1;
      entry.at = (k - 1 == s && !sAt) ? track.Screen(s) : prev;
      entry.inside = p;
      return true;
    }
    prev = p;
  }
  return false;
}

void Clip(const TrackView &track, PolylineWriter &out) {
  Entry entry{};
  if (!FindEntry(track, 0, nullptr, entry)) return;
  for (;;) {  // one polyline per pass
    if (!out.Start()) return;
    out.Add(entry.index, entry.at);
    int64_t lastX = track.X(entry.index), lastY = track.Y(entry.index);
    int32_t i = entry.index + 1;
    ScreenPoint p{0, 0};
    for (; i < track.size(); ++i) {
      if (track.Near(i, lastX, lastY)) continue;
      // The point after the entry was converted while searching.
      p = i == entry.index + 1 ? entry.inside : track.Screen(i);
      out.Add(i, p);
      lastX = track.X(i), lastY = track.Y(i);
      if (!track.Inside(p)) break;  // the line ends at the first point outside
    }
    out.Finish();
    if (i >= track.size() || !FindEntry(track, i, &p, entry)) return;
  }
}

}  // namespace
}  // namespace tk

extern "C" BaseArray *MakeTrackPoints(int32_t all, int16_t /*type*/, const int64_t *correction,
                                      const void *points, int32_t n) {
  using namespace tk;
  gResult.count = 0;
  const QuadcalcContext *c = gContext;
  if (!c || n < 2 || !points) return nullptr;
  // Without pixel units there is no screen position to draw at.
  if (c->PixelUnitsX == 0 || c->PixelUnitsY == 0) return nullptr;
  const TrackView track(*c, correction, points, n);
  if (!ReserveBuffers(n)) return nullptr;
  PolylineWriter out;
  if (all)
    DrawAll(track, out);
  else
    Clip(track, out);
  return gResult.count > 0 ? &gResult : nullptr;
}

extern "C" int32_t DeleteTrackPoints(void) {
  // The result points into the buffers: empty it so nobody reads freed memory.
  tk::gResult.count = 0;
  tk::FreeBuffers();
  return 0;
}
