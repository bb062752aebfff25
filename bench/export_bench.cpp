// Image export of a 40 x 40-plate area (10240 x 10240 pixels) from the disk
// cache to JPEG quality 90 through the real run, against bare TurboJPEG
// decoding the same 1600 plate files into one picture and encoding it.
//
// The plates are made at start: 64 different 256 x 256 pictures of smooth
// colour fields, texture noise and shapes (JPEG quality 85), spread over the
// 1600 plate files of a temporary cache directory.
//
// BM_ExportAreaPeakMemory runs one export in a fresh process (this program
// started again) and reports its peak resident memory above what it held when
// the export began: the run's own memory, whatever the heap held before.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/photo_plate.h"
#include "common/paths.h"
#include "platform/imagelib/imagelib.h"
#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/imageexport/export_settings.h"
#include "terrakon/imageexport/image_export.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"

namespace {

namespace fs = std::filesystem;
using namespace tk;

constexpr int kZoom = 12;
constexpr int kSide = 40;        // plates a side
constexpr int64_t kFirst = 1000; // first column and row
constexpr int kPixels = kSide * 256;
constexpr int kPictures = 64;

using tk::bench::Photo;

struct Area {
  fs::path root;
  fs::path out;
  std::vector<std::string> files;  // plate files, column-major like the run
  std::vector<std::pair<int, int>> places;  // column, row from the south-west corner

  // Attaches to the plates an earlier process made.
  explicit Area(const fs::path& made) : root(made), out(made / "out"), owner(false) {}
  Area() {
    root = fs::temp_directory_path() / "tk_export_bench";
    fs::remove_all(root);
    out = root / "out";
    fs::create_directories(out);
    SetCacheDirectory((root / "cache").string());
    img::SaveParams p = img::DefaultSaveParams();
    p.formatIndex = img::kFormatJpeg;
    p.quality = 85;
    std::vector<std::vector<uint8_t>> pictures(kPictures);
    for (int i = 0; i < kPictures; ++i) img::SaveBitmapIntoMemory(pictures[i], Photo(1000 + i), p);
    for (int x = 0; x < kSide; ++x)
      for (int y = 0; y < kSide; ++y) {
        const std::string key = PlateKeyText(kFirst + x, kFirst + y, kZoom);
        MakePlateDirs(key);
        const std::string path = PlatePath(key);
        const auto& bytes = pictures[(x * 7 + y * 13) % kPictures];
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        files.push_back(path);
        places.emplace_back(x, y);
      }
  }
  ~Area() {
    if (owner) fs::remove_all(root);
  }
  bool owner = true;
};

Area& TheArea() {
  static Area area;
  return area;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes every plate straight into its place of one bottom-up picture and
// encodes the picture (4:2:0, quality 90) into a file.
void BM_DecodeEncodeBaseline(benchmark::State& state) {
  Area& area = TheArea();
  const std::size_t pitch = std::size_t(kPixels) * 3;
  std::vector<uint8_t> picture(pitch * kPixels);
  tjhandle decoder = tjInitDecompress(), encoder = tjInitCompress();
  for (auto _ : state) {
    for (std::size_t i = 0; i < area.files.size(); ++i) {
      const std::vector<uint8_t> jpeg = ReadFile(area.files[i]);
      const auto [x, y] = area.places[i];
      uint8_t* target = picture.data() + std::size_t(y) * 256 * pitch + std::size_t(x) * 768;
      tjDecompress2(decoder, jpeg.data(), jpeg.size(), target, 256, int(pitch), 256, TJPF_BGR, TJFLAG_BOTTOMUP);
    }
    unsigned char* encoded = nullptr;
    unsigned long size = 0;
    tjCompress2(encoder, picture.data(), kPixels, int(pitch), kPixels, TJPF_BGR, &encoded, &size, TJSAMP_420, 90,
                TJFLAG_BOTTOMUP);
    std::FILE* f = std::fopen((area.out / "baseline.jpg").c_str(), "wb");
    std::fwrite(encoded, 1, size, f);
    std::fclose(f);
    tjFree(encoded);
    benchmark::DoNotOptimize(picture.data());
  }
  tjDestroy(decoder);
  tjDestroy(encoder);
  state.counters["plates"] = double(area.files.size());
}
BENCHMARK(BM_DecodeEncodeBaseline)->Unit(benchmark::kMillisecond)->MinTime(3);

struct ExportSetUp {
  HCfgStorage store;
  HStorageLink link{&store, "IDE"};
  ImageExport exporter{&link, nullptr};

  explicit ExportSetUp(const Area& area) {
    SetCacheDirectory((area.root / "cache").string());
    Switches().memoryCacheInUse = true;
    Switches().useCache = true;
    SetCacheLimit(100);  // the program's default "MaxCount"
    settings::ImgOut.Set(link, area.out.string());
    settings::ImgFormat.Set(link, img::kFormatJpeg);
    settings::BmpQuality.Set(link, 90);
    settings::BmpProgressive.Set(link, false);  // as the baseline
    settings::ImgOver.Set(link, kOverwriteExisting);
    settings::TopoOver.Set(link, kOverwriteExisting);
    settings::TopoFormat.Set(link, 0);
    settings::LimSize.Set(link, false);
    const int64_t u = PlateUnits(kZoom);
    ZoomTicks ticks{};
    ticks[kZoom - 1] = true;
    exporter.BuildPlan({kFirst * u, kFirst * u, (kFirst + kSide) * u - 1, (kFirst + kSide) * u - 1}, ticks);
  }
  void Run() {
    CacheClear();  // every plate comes from its file, as in the baseline
    exporter.SetExportRunning(true);
  }
};

void BM_ExportArea(benchmark::State& state) {
  ExportSetUp setUp(TheArea());
  for (auto _ : state) setUp.Run();
  const ZoomPlanLevel& level = setUp.exporter.Plan()[kZoom - 1];
  state.counters["plates"] = double(level.loaded);
  if (level.loaded != kSide * kSide || level.notFound != 0) state.SkipWithError("plates missing from the export");
}
BENCHMARK(BM_ExportArea)->Unit(benchmark::kMillisecond)->MinTime(3);

long CurrentRssKib() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

constexpr const char* kPeakChild = "--export-peak-child";

// The child: one export, then its peak above the start [MiB] on stdout.
int PeakChild(const char* root) {
  Area area{fs::path(root)};
  ExportSetUp setUp(area);
  const long start = CurrentRssKib();
  setUp.Run();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.2f %.2f\n", double(usage.ru_maxrss - start) / 1024, double(usage.ru_maxrss) / 1024);
  return setUp.exporter.Plan()[kZoom - 1].loaded == kSide * kSide ? 0 : 1;
}

void BM_ExportAreaPeakMemory(benchmark::State& state) {
  const Area& area = TheArea();
  double above = -1, peak = -1;
  for (auto _ : state) {
    const std::string command = "'" + ProgramPath() + "' " + std::string(kPeakChild) + " '" + area.root.string() + "'";
    std::FILE* child = popen(command.c_str(), "r");
    if (!child || std::fscanf(child, "%lf %lf", &above, &peak) != 2) above = peak = -1;
    if (child && pclose(child) != 0) above = -1;
  }
  if (above < 0) state.SkipWithError("the export child failed");
  state.counters["peak_above_start_MiB"] = above;
  state.counters["peak_MiB"] = peak;
  state.counters["plate_row_MiB"] = double(kSide) * 196608 / (1 << 20);
  state.counters["memory_cache_limit_MiB"] = 100.0 * 196608 / (1 << 20);
}
BENCHMARK(BM_ExportAreaPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kPeakChild) == 0) return PeakChild(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
