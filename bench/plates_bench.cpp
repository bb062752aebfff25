// Plate loading against bare TurboJPEG decoding of the same files, and the
// memory cache's lookups and trims.
//
// The plates are made at start: 40 different 256 x 256 pictures of smooth
// colour fields, texture noise and shapes, JPEG quality 85, written as plate
// files into a temporary cache directory.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/imagelib/imagelib.h"
#include "terrakon/plates/disk_cache.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"

namespace {

namespace fs = std::filesystem;
using namespace tk;

constexpr int kPlates = 40;

img::Bitmap Photo(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::normal_distribution<double> noise(0, 1);
  img::Bitmap b;
  img::AllocBitmap(b, img::kBgr, 256, 256, 4);
  double f[3][4];
  for (auto& c : f)
    for (double& v : c) v = u(rng);
  double texture = 4 + 14 * u(rng);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      for (int c = 0; c < 3; ++c) {
        double v = 90 + 60 * std::sin(x * f[c][0] * 0.05 + f[c][1] * 6) * std::cos(y * f[c][2] * 0.04 + f[c][3] * 6) +
                   0.15 * (x + y) * f[c][1] + texture * noise(rng);
        b.Row(y)[x * 3 + c] = uint8_t(std::clamp(v, 0.0, 255.0));
      }
    }
  }
  // Fields, roads and roofs: shapes with soft noise of their own.
  for (int s = 6 + int(rng() % 8); s > 0; --s) {
    int cx = int(rng() % 256), cy = int(rng() % 256), rx = 5 + int(rng() % 50), ry = 5 + int(rng() % 50);
    uint8_t col[3] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    bool round = rng() % 2;
    for (int y = std::max(0, cy - ry); y < std::min(256, cy + ry); ++y)
      for (int x = std::max(0, cx - rx); x < std::min(256, cx + rx); ++x) {
        double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
        if (round && dx * dx + dy * dy > 1) continue;
        for (int c = 0; c < 3; ++c)
          b.Row(y)[x * 3 + c] = uint8_t(std::clamp(col[c] + 6 * noise(rng), 0.0, 255.0));
      }
  }
  return b;
}

struct PlateFiles {
  fs::path dir;
  std::vector<std::string> keys;
  std::vector<std::vector<uint8_t>> bytes;

  PlateFiles() {
    dir = fs::temp_directory_path() / "tk_plates_bench";
    fs::remove_all(dir);
    SetCacheDirectory(dir.string());
    img::SaveParams p = img::DefaultSaveParams();
    p.formatIndex = img::kFormatJpeg;
    p.quality = 85;
    for (int i = 0; i < kPlates; ++i) {
      std::string key = PlateKeyText(i % 8, i / 8, 3);
      std::vector<uint8_t> jpeg;
      img::SaveBitmapIntoMemory(jpeg, Photo(1000 + i), p);
      MakePlateDirs(key);
      std::ofstream(PlatePath(key), std::ios::binary)
          .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
      keys.push_back(key);
      bytes.push_back(std::move(jpeg));
    }
  }
  ~PlateFiles() { fs::remove_all(dir); }
};

PlateFiles& Files() {
  static PlateFiles files;
  return files;
}

// The whole path of a plate file: read, decode, store in the memory cache.
void BM_LoadPlateFile(benchmark::State& state) {
  PlateFiles& files = Files();
  SetCacheLimit(100);
  std::size_t i = 0, bytes = 0;
  for (auto _ : state) {
    PlateRef r = LoadPlateFile(files.keys[i % kPlates]);
    if (!r.IsImage()) state.SkipWithError("plate not decoded");
    benchmark::DoNotOptimize(r.bits());
    bytes += files.bytes[i % kPlates].size();
    ++i;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(bytes));
  CacheClear();
}
BENCHMARK(BM_LoadPlateFile);

// The same files from memory into a ready buffer of the same layout.
void BM_TurboJpegBaseline(benchmark::State& state) {
  PlateFiles& files = Files();
  tjhandle tj = tjInitDecompress();
  std::vector<unsigned char> out(kPlateImageBytes);
  std::size_t i = 0, bytes = 0;
  for (auto _ : state) {
    const std::vector<uint8_t>& jpeg = files.bytes[i % kPlates];
    if (tjDecompress2(tj, jpeg.data(), jpeg.size(), out.data(), 256, kPlateLineBytes, 256, TJPF_BGR,
                      TJFLAG_BOTTOMUP) != 0)
      state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(out.data());
    bytes += jpeg.size();
    ++i;
  }
  tjDestroy(tj);
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_TurboJpegBaseline);

// Lookups in a 10,000-entry cache, nine of ten hits, in random order.
void BM_CacheLookup(benchmark::State& state) {
  MemoryCache cache;
  cache.SetLimit(20000);
  auto block = std::make_shared<uint8_t[]>(kPlateImageBytes);
  std::mt19937 rng(5);
  std::vector<std::string> stored, asked;
  while (stored.size() < 10000) {
    std::string key = PlateKeyText(rng() % 16384, rng() % 16384, 14);
    if (cache.Lookup(key)) continue;
    cache.Store(PlateRef::Image(block, kPlateImageBytes), key);
    stored.push_back(key);
  }
  for (int i = 0; i < 4096; ++i)
    asked.push_back(i % 10 ? stored[rng() % stored.size()] : PlateKeyText(rng() % 16384, rng() % 16384, 15));
  std::size_t i = 0;
  for (auto _ : state) {
    PlateRef r = cache.Lookup(asked[i++ & 4095]);
    benchmark::DoNotOptimize(r.bits());
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_CacheLookup);

// One trim of a cache of 11,000 plates down to a limit of 10,000: the band
// takes it to 9,000, so 2,000 entries go in one trim.
void BM_CacheTrim(benchmark::State& state) {
  int64_t evicted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto cache = std::make_unique<MemoryCache>();
    cache->SetLimit(20000);
    std::vector<uint8_t> row(kPlateLineBytes, 1);
    for (int i = 0; i < 11000; ++i) cache->Store(row.data(), kPlateLineBytes, PlateKeyText(i % 128, i / 128, 8));
    state.ResumeTiming();
    cache->SetLimit(10000);
    state.PauseTiming();
    evicted += 11000 - cache->Count();
    cache.reset();
    state.ResumeTiming();
  }
  state.counters["evicted"] = benchmark::Counter(double(evicted) / double(state.iterations()));
}
BENCHMARK(BM_CacheTrim)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
