// Coordinate texts and geoid heights, which the status bar asks for on every
// mouse move, against baselines in the same run: the pixel and WGS 84
// printers (no engine call) and the quadcalc degree conversions that every
// geoid query starts with.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/geoengine/geo_engine.h"
#include "platform/geoengine/geoid_grid.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/geodesy/coord_format.h"
#include "terrakon/geodesy/geodesy.h"
#include "terrakon/geodesy/geoid.h"

namespace {

using tk::PixelPoint;

// Points over Europe (5 ... 30 E, 36 ... 60 N), where European 1950 applies
// and UTM runs through several zones.
const std::vector<PixelPoint>& Points() {
  static const std::vector<PixelPoint> points = [] {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> lon(185, 210), lat(36, 60);
    std::vector<PixelPoint> v(1024);
    for (PixelPoint& p : v) p = {X2Google(lon(random)), Y2Google(lat(random))};
    return v;
  }();
  return points;
}

bool Setup() {
  static const bool ready = [] {
    if (tk::InitializeEngine() != 0) {
      std::fprintf(stderr, "engine: %s\n", tk::GetError());
      return false;
    }
    tk::HCfgStorage store;
    tk::HStorageLink link(&store, "IDE");
    tk::LoadGeoid(link);  // the build's bin/data/egm96.grd
    double h;
    if (tk::GetGeoidHeightG(0, 180, &h) != 0) {
      std::fprintf(stderr, "no geoid grid in bin/data\n");
      return false;
    }
    return true;
  }();
  return ready;
}

void FormatLoop(benchmark::State& state, int32_t datum, int coordSys, int degType) {
  if (!Setup()) return state.SkipWithError("set-up failed");
  const auto& points = Points();
  std::size_t i = 0;
  for (auto _ : state) {
    std::string text = tk::FormatCoord(points[i++ & 1023], datum, coordSys, degType, " / ");
    benchmark::DoNotOptimize(text);
  }
}

void BM_FormatCoordPixels(benchmark::State& state) { FormatLoop(state, 0, tk::kPixelSystem, 0); }
void BM_FormatCoordGeodeticWgs84(benchmark::State& state) { FormatLoop(state, 0, 0, 0); }
void BM_FormatCoordUTM(benchmark::State& state) { FormatLoop(state, 0, 5, 0); }
void BM_FormatCoordMGRS(benchmark::State& state) { FormatLoop(state, 0, 4, 0); }
void BM_FormatCoordGeodeticDatumShift(benchmark::State& state) {
  FormatLoop(state, tk::DatumIndexS("EUR-M"), 0, 0);
}
void BM_FormatCoordUTMDatumShift(benchmark::State& state) {
  FormatLoop(state, tk::DatumIndexS("EUR-M"), 5, 0);
}

void BM_GeoidQueryDegrees(benchmark::State& state) {
  const auto& points = Points();
  std::size_t i = 0;
  for (auto _ : state) {
    const PixelPoint& p = points[i++ & 1023];
    benchmark::DoNotOptimize(Google2Y(p.Y) + Google2X(p.X));
  }
}

void BM_GeoidHeight(benchmark::State& state) {
  if (!Setup()) return state.SkipWithError("set-up failed");
  const auto& points = Points();
  std::size_t i = 0;
  for (auto _ : state) {
    const PixelPoint& p = points[i++ & 1023];
    double h;
    benchmark::DoNotOptimize(tk::GetGeoidHeightG(Google2Y(p.Y), Google2X(p.X), &h));
    benchmark::DoNotOptimize(h);
  }
}

void BM_GeoidHeightText(benchmark::State& state) {
  if (!Setup()) return state.SkipWithError("set-up failed");
  const auto& points = Points();
  std::size_t i = 0;
  for (auto _ : state) {
    std::string text = tk::GeoidHeightText(points[i++ & 1023]);
    benchmark::DoNotOptimize(text);
  }
}

BENCHMARK(BM_FormatCoordPixels);
BENCHMARK(BM_FormatCoordGeodeticWgs84);
BENCHMARK(BM_FormatCoordUTM);
BENCHMARK(BM_FormatCoordMGRS);
BENCHMARK(BM_FormatCoordGeodeticDatumShift);
BENCHMARK(BM_FormatCoordUTMDatumShift);
BENCHMARK(BM_GeoidQueryDegrees);
BENCHMARK(BM_GeoidHeight);
BENCHMARK(BM_GeoidHeightText);

}  // namespace

BENCHMARK_MAIN();
