// Download throughput against a loopback tile server that adds 20 ms to
// every request and serves 15 KB plates:
//   BM_QueueDrain/N - 400 plates through the queue with N worker threads
//                     (fetch, store, decode into the memory cache);
//   BM_AreaLoad     - the sequential area-loading run over 100 plates;
//   BM_BareCurl/N/P - the baseline: P plates fetched into memory by N
//                     threads, one reused libcurl handle each, nothing stored.
// Targets: the queue drains at >= 85 % of N / 20 ms plates per second, area
// loading at >= 85 % of one plate per 20 ms ("target_per_s" beside "per_s").
// The server runs in a child process, so "cpu_us_per_plate" is the client's
// CPU time (all its threads) per plate.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "terrakon/download/area_loader.h"
#include "terrakon/download/downloader.h"
#include "terrakon/download/plate_url.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"
#include "tests/download/test_plates.h"
#include "tests/download/tile_server.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kLatency = 20ms;
constexpr std::size_t kPlateBytes = 15 * 1024;
constexpr int kQueuePlates = 400;
constexpr int kAreaSide = 10;  // 10 x 10 plates of level 10
constexpr int kLevel = 10;

int g_port = 0;
std::filesystem::path g_cache;

std::string BaseUrl() { return "http://127.0.0.1:" + std::to_string(g_port) + "/kh?v=1&t="; }

double ProcessCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void EmptyCache() {
  std::filesystem::remove_all(g_cache);
  std::filesystem::create_directories(g_cache);
  tk::CacheClear();
}

void Report(benchmark::State& state, int64_t plates, double cpuSeconds, double target) {
  state.SetItemsProcessed(plates);
  state.counters["per_s"] = benchmark::Counter(double(plates), benchmark::Counter::kIsRate);
  state.counters["target_per_s"] = target;
  state.counters["cpu_us_per_plate"] = plates ? cpuSeconds * 1e6 / double(plates) : 0;
}

// Keys of the queue run: 400 plates of level kLevel.
tk::GRequest QueueRequest(int i) {
  tk::GRequest r;
  tk::PrepareRequest(r, i % 20, i / 20, kLevel, std::nullopt);
  return r;
}

void BM_QueueDrain(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  std::mutex mutex;
  std::condition_variable arrivedChanged;
  int arrived = 0;
  tk::StartDownloader([&](const tk::GRequest&, const tk::PlateRef&) {
    std::lock_guard lock(mutex);
    ++arrived;
    arrivedChanged.notify_all();
  });
  tk::SetBaseUrls(BaseUrl());
  tk::InetOptions options;
  options.ThreadsCount = threads;
  tk::ApplyInetOptions(options);
  int64_t plates = 0;
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    EmptyCache();
    arrived = 0;
    state.ResumeTiming();
    const double cpu0 = ProcessCpuSeconds();
    for (int i = 0; i < kQueuePlates; ++i) tk::EnqueueRequest(QueueRequest(i));
    std::unique_lock lock(mutex);
    if (!arrivedChanged.wait_for(lock, 60s, [&] { return arrived >= kQueuePlates; })) {
      state.SkipWithError("plates missing after 60 s");
      break;
    }
    cpu += ProcessCpuSeconds() - cpu0;
    plates += kQueuePlates;
  }
  tk::ShutdownDownloader();
  Report(state, plates, cpu, 0.85 * threads / 0.020);
}
BENCHMARK(BM_QueueDrain)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AreaLoad(benchmark::State& state) {
  tk::StartDownloader({});
  tk::SetBaseUrls(BaseUrl());
  tk::InetOptions options;
  options.ThreadsCount = 0;  // the run fetches by itself
  tk::ApplyInetOptions(options);
  tk::ZoomTicks ticks{};
  ticks[kLevel - 1] = true;
  const int64_t side = kAreaSide * tk::PlateUnits(kLevel);
  tk::AreaLoadingView view;
  int64_t plates = 0;
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    EmptyCache();
    tk::AreaLoader loader(view);
    loader.BuildPlan(tk::PixelRect{0, 0, side - 1, side - 1}, ticks);
    state.ResumeTiming();
    const double cpu0 = ProcessCpuSeconds();
    loader.SetLoading(true);
    cpu += ProcessCpuSeconds() - cpu0;
    const tk::ZoomPlanLevel& level = loader.plan()[kLevel - 1];
    if (level.loaded != kAreaSide * kAreaSide) {
      state.SkipWithError("not every plate loaded");
      break;
    }
    plates += level.loaded;
  }
  tk::ShutdownDownloader();
  Report(state, plates, cpu, 0.85 / 0.020);
}
BENCHMARK(BM_AreaLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

void BM_BareCurl(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const int count = static_cast<int>(state.range(1));
  std::vector<std::string> urls;
  for (int i = 0; i < count; ++i) urls.push_back(BaseUrl() + tk::PlateKeyText(i % 20, i / 20, kLevel));
  int64_t plates = 0;
  double cpu = 0;
  for (auto _ : state) {
    const double cpu0 = ProcessCpuSeconds();
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
      pool.emplace_back([&] {
        CURL* easy = curl_easy_init();
        for (int i; (i = next++) < count;) {
          curl_easy_reset(easy);
          curl_easy_setopt(easy, CURLOPT_URL, urls[i].c_str());
          curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0});
          curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
          curl_easy_setopt(easy, CURLOPT_PROXY, "");
          curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Discard);
          if (curl_easy_perform(easy) != CURLE_OK) ++failed;
        }
        curl_easy_cleanup(easy);
      });
    for (std::thread& t : pool) t.join();
    cpu += ProcessCpuSeconds() - cpu0;
    if (failed) {
      state.SkipWithError("requests failed");
      break;
    }
    plates += count;
  }
  Report(state, plates, cpu, 0.85 * threads / 0.020);
}
BENCHMARK(BM_BareCurl)
    ->Args({1, kAreaSide * kAreaSide})
    ->Args({1, kQueuePlates})
    ->Args({4, kQueuePlates})
    ->Args({8, kQueuePlates})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Runs the tile server in a child process until the parent closes the pipe
// (or dies); returns the child's id, the port in g_port.
pid_t StartServerProcess(int& stopPipe) {
  int ready[2], stop[2];
  if (pipe(ready) != 0 || pipe(stop) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(ready[0]);
    close(stop[1]);
    {
      tk::testing::TileServer server({}, {}, 32);
      server.SetLatency(kLatency);
      server.SetDefault(tk::testing::TileAnswer().Body(tk::testing::PaddedJpeg(kPlateBytes)));
      const int port = server.port();
      if (write(ready[1], &port, sizeof port) != sizeof port) _exit(1);
      char c;
      while (read(stop[0], &c, 1) > 0) {
      }
    }
    _exit(0);
  }
  close(ready[1]);
  close(stop[0]);
  if (pid < 0 || read(ready[0], &g_port, sizeof g_port) != sizeof g_port) return -1;
  close(ready[0]);
  stopPipe = stop[1];
  return pid;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread exists, so that the child starts clean.
  int stopPipe = -1;
  const pid_t server = StartServerProcess(stopPipe);
  if (server < 0) return 1;
  g_cache = std::filesystem::temp_directory_path() / ("tk_download_bench_" + std::to_string(getpid()));
  tk::SetCacheDirectory(g_cache.string());
  tk::Switches().memoryCacheInUse = true;
  tk::SetCacheLimit(500);
  curl_global_init(CURL_GLOBAL_DEFAULT);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  close(stopPipe);
  waitpid(server, nullptr, 0);
  std::filesystem::remove_all(g_cache);
  return 0;
}
