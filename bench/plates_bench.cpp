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

#include "bench/photo_plate.h"
#include "platform/imagelib/imagelib.h"
#include "terrakon/plates/disk_cache.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"

namespace {

namespace fs = std::filesystem;
using namespace tk;

constexpr int kPlates = 40;

using tk::bench::Photo;

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
