// Storage throughput: the real tilestow binary adding 10,000 plate files of
// about 15 KB into an MBTiles storage and extracting them again, against
// copying the same tree with "cp -r" in the same run; and plates read from
// 4 threads at once through the host objects.
//
//   build-rel/bin/storage_bench
//
// The tree is generated once into a temporary folder, outside every timed
// region; each iteration's output is removed while the timer is paused.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "common/plugin_host.h"
#include "common/storage_action.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPlates = 10000;
constexpr int kKeyLength = 7;         // 4^7 = 16384 plates at this level
constexpr std::size_t kPlateBytes = 15000;

// Runs a program quietly; its exit code.
int Run(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The generated tree, its keys and a storage holding it; removed at exit.
struct Workspace {
  Workspace() {
    std::string pattern = (fs::temp_directory_path() / "tk_storage_bench_XXXXXX").string();
    root = mkdtemp(pattern.data());
    source = root + "/src";
    std::mt19937 random(42);
    std::string data(kPlateBytes, '\0');
    for (int i = 0; i < kPlates; ++i) {
      std::string key;
      for (int bit = 2 * (kKeyLength - 1); bit >= 0; bit -= 2) key += "qrst"[(i >> bit) & 3];
      keys.push_back(key);
      std::string path = source;
      for (std::size_t k = 0; k + 1 < key.size(); ++k) (path += '/') += key[k];
      fs::create_directories(path);
      // A JPEG header, then noise: enough for storage throughput.
      for (char& c : data) c = static_cast<char>(random());
      data[0] = '\xFF', data[1] = '\xD8', data[2] = '\xFF', data[3] = '\xE0';
      std::ofstream(path + '/' + key.back() + ".jpg", std::ios::binary).write(data.data(), data.size());
    }
    storage = root + "/plates.mbtiles";
    ok = Run({TILESTOW, "-a=" + source, "-db=" + storage, "-q", MBTILES_PLUGIN}) == 0;
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  std::string root, source, storage;
  std::vector<std::string> keys;
  bool ok = false;
};

Workspace& Work() {
  static Workspace workspace;
  return workspace;
}

std::atomic<double> g_copySeconds{0};  // per iteration, for the ratios

void Remove(benchmark::State& state, const std::string& path) {
  state.PauseTiming();
  fs::remove_all(path);
  state.ResumeTiming();
}

void Report(benchmark::State& state, double seconds) {
  state.SetItemsProcessed(state.iterations() * kPlates);
  const double perIteration = seconds / static_cast<double>(state.iterations());
  if (g_copySeconds > 0) state.counters["x_cp"] = perIteration / g_copySeconds;
}

void BM_CopyTreeBaseline(benchmark::State& state) {
  Workspace& w = Work();
  const std::string target = w.root + "/copy";
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (Run({"cp", "-r", w.source, target}) != 0) state.SkipWithError("cp failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Remove(state, target);
  }
  state.SetItemsProcessed(state.iterations() * kPlates);
  g_copySeconds = seconds / static_cast<double>(state.iterations());
}

void BM_TilestowAdd(benchmark::State& state) {
  Workspace& w = Work();
  if (!w.ok) return state.SkipWithError("could not build the storage");
  const std::string storage = w.root + "/add.mbtiles";
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (Run({TILESTOW, "-a=" + w.source, "-db=" + storage, "-q", MBTILES_PLUGIN}) != 0)
      state.SkipWithError("tilestow add failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Remove(state, storage);
  }
  Report(state, seconds);
}

void BM_TilestowExtract(benchmark::State& state) {
  Workspace& w = Work();
  if (!w.ok) return state.SkipWithError("could not build the storage");
  const std::string target = w.root + "/out";
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (Run({TILESTOW, "-x=" + target, "-db=" + w.storage, "-q", MBTILES_PLUGIN}) != 0)
      state.SkipWithError("tilestow extract failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Remove(state, target);
  }
  Report(state, seconds);
}

// One plugin and action shared by the benchmark's threads, as the viewer's
// workers and painter share a storage item.
struct SharedStorage {
  SharedStorage() {
    static const PluginHostInfo host = {PluginMagic, sizeof(PluginHostInfo), 0, nullptr};
    plugin = tk::LoadPlugin(MBTILES_PLUGIN, &host);
    if (plugin) action = tk::CreateStorageAction(*plugin);
    ok = action && action->Open(Work().storage);
  }
  std::unique_ptr<tk::GStoragePlugin> plugin;
  tk::GStorageAction* action = nullptr;
  bool ok = false;
};

void BM_ConcurrentGet(benchmark::State& state) {
  static SharedStorage* shared = nullptr;
  static std::mutex setup;
  {
    std::lock_guard<std::mutex> lock(setup);
    if (!shared) shared = new SharedStorage;
  }
  if (!Work().ok || !shared->ok) return state.SkipWithError("could not open the storage");
  const std::vector<std::string>& keys = Work().keys;
  std::mt19937 random(static_cast<unsigned>(state.thread_index()));
  std::int64_t errors = 0, bytes = 0;
  for (auto _ : state) {
    const void* data = nullptr;
    std::uint32_t size = 0;
    const std::string& key = keys[random() % keys.size()];
    if (shared->action->Get(key, &data, &size) != StorageOk || size != kPlateBytes)
      ++errors;
    else
      bytes += size;
    benchmark::DoNotOptimize(data);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(bytes);
  state.counters["errors"] = static_cast<double>(errors);
  if (errors) state.SkipWithError("Get failed");
}

BENCHMARK(BM_CopyTreeBaseline)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_TilestowAdd)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_TilestowExtract)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ConcurrentGet)->Threads(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
