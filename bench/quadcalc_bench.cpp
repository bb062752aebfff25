// Cutting a long track into screen polylines against the baseline of
// converting every point through the screen exports.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <cstdint>
#include <random>
#include <vector>

#include "quadcalc/quadcalc.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;  // [screen pixels]
constexpr int32_t kLevel = 16;
constexpr int64_t kCenter = int64_t{1} << 37;
constexpr int64_t kPixelUnits = (int64_t{1} << 38) / (int64_t{1} << kLevel) / 256;
constexpr int kPoints = 1000000;

struct TrackRecord {
  int64_t X, Y;
  int64_t other1[2];
  int64_t CorrectionX, CorrectionY;
  int64_t other2[3];
};
static_assert(sizeof(TrackRecord) == QUADCALC_TRACK_POINT_STRIDE);

int32_t ViewWidth() { return kWidth; }
int32_t ViewHeight() { return kHeight; }
void ClientRect(int32_t *r) { r[0] = 0, r[1] = 0, r[2] = kWidth, r[3] = kHeight; }

QuadcalcContext &Context() {
  static QuadcalcContext c = [] {
    QuadcalcContext v{};
    v.Size = sizeof(QuadcalcContext);
    v.CenterX = v.CenterY = kCenter;
    v.PlateUnitsX = v.PlateUnitsY = kPixelUnits * 256;
    v.PixelUnitsX = v.PixelUnitsY = kPixelUnits;
    v.Zoom = kLevel;
    v.GetViewWidth = ViewWidth;
    v.GetViewHeight = ViewHeight;
    v.GetClientRect = ClientRect;
    return v;
  }();
  return c;
}

// A walker with a slowly turning heading, about 3 screen pixels a step, kept
// in a box of twice the view's extent so that it crosses the view's edges
// many times.
const std::vector<TrackRecord> &Track() {
  static const std::vector<TrackRecord> track = [] {
    std::mt19937_64 random(20240611);
    std::normal_distribution<double> turn(0.0, 0.15);
    std::uniform_real_distribution<double> speed(0.5, 5.5);
    std::vector<TrackRecord> t(kPoints);
    double x = 0, y = 0, heading = 0;  // [screen pixels] from the centre
    for (TrackRecord &r : t) {
      heading += turn(random);
      const double v = speed(random);
      x += v * std::cos(heading), y += v * std::sin(heading);
      if (std::fabs(x) > kWidth) heading = std::numbers::pi - heading, x = std::copysign(kWidth, x);
      if (std::fabs(y) > kHeight) heading = -heading, y = std::copysign(kHeight, y);
      r = {};
      r.X = kCenter + static_cast<int64_t>(x * kPixelUnits);
      r.Y = kCenter + static_cast<int64_t>(y * kPixelUnits);
    }
    return t;
  }();
  return track;
}

const int64_t kCorrection[2] = {3 * kPixelUnits, -2 * kPixelUnits};

void Prepare() {
  InitQuadcalc(&Context());
  Track();
}

void BM_ConvertAllPoints(benchmark::State &state) {
  Prepare();
  const std::vector<TrackRecord> &track = Track();
  for (auto _ : state) {
    int64_t sum = 0;
    for (const TrackRecord &r : track)
      sum += G2ScreenX(r.X + kCorrection[0] + r.CorrectionX) +
             G2ScreenY(r.Y + kCorrection[1] + r.CorrectionY);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(track.size()));
}

void MakeTrack(benchmark::State &state, int32_t all) {
  Prepare();
  const std::vector<TrackRecord> &track = Track();
  int64_t polylines = 0, drawn = 0;
  for (auto _ : state) {
    const BaseArray *a =
        MakeTrackPoints(all, 0, kCorrection, track.data(), static_cast<int32_t>(track.size()));
    benchmark::DoNotOptimize(a);
    polylines = a ? a->count : 0;
    drawn = 0;
    for (int32_t i = 0; i < polylines; ++i) drawn += a->items[i].count;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(track.size()));
  state.counters["polylines"] = static_cast<double>(polylines);
  state.counters["drawn"] = static_cast<double>(drawn);
  DeleteTrackPoints();
}

void BM_MakeTrackPointsClip(benchmark::State &state) { MakeTrack(state, 0); }
void BM_MakeTrackPointsAll(benchmark::State &state) { MakeTrack(state, 1); }

BENCHMARK(BM_ConvertAllPoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeTrackPointsClip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeTrackPointsAll)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
