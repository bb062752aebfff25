#include "terrakon/download/downloader.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "common/error.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/download/curl_handles.h"
#include "terrakon/download/fetch_plate.h"
#include "terrakon/download/inet_session.h"
#include "terrakon/download/plate_url.h"
#include "terrakon/plates/disk_cache.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_source.h"

namespace tk {
namespace {

// The downloader lock and what it guards.
std::mutex g_lock;
std::condition_variable g_wake;  // new work or the stop, in place of a 10 ms poll
std::vector<GRequest> g_queue;
bool g_stop = false;
DownloadResultCallback g_callback;

// Only the user-interface thread starts and stops workers.
std::vector<std::thread> g_workers;

std::atomic<bool> g_started{false};
std::mutex g_sessionMutex;  // guards the two below
std::shared_ptr<const InetSession> g_session;
InetOptions g_options;

std::atomic<uint64_t> g_bytes{0};
std::atomic<uint64_t> g_files{0};

// What GetPlate queues through.
class QueueDownloader final : public PlateDownloader {
 public:
  bool Ready() override { return DownloaderReady(); }
  bool Queue(int64_t column, int64_t row, int zoom, std::string_view key) override {
    GRequest request;
    return PrepareRequest(request, column, row, zoom, key) && EnqueueRequest(request);
  }
};

bool HasUnclaimed() {
  return std::any_of(g_queue.begin(), g_queue.end(), [](const GRequest& r) { return r.column >= 0; });
}

// Under the lock: the worker's request is done; stores its result.
// decoded: the plate of a 200 answer, decoded before the lock was taken.
PlateRef HandleResult(const GRequest& request, int status, const PlateRef& decoded) {
  switch (status) {
    case kFetchNotFound:
      return CacheStore(PlateNotFound, request.key);
    case kFetchOk:
      // Stored again under the lock: a 403 of another worker may have
      // marked the plate meanwhile, and the finished download wins.
      return decoded ? CacheStore(decoded, request.key) : decoded;
    case kFetchForbidden:
      Log("Google service return FORBIDDEN error. Future downloads cancelled");
      for (const GRequest& queued : g_queue) CacheStore(PlateForbidden, queued.key);
      g_queue.clear();
      return PlateForbidden;
    default:
      LogToFile("INET library error [%s]. State: %d, error: %s", request.url.c_str(), status, ErrorText().c_str());
      return PlateRef();
  }
}

void WorkerLoop(int64_t worker) {
  for (;;) {
    GRequest request;
    {
      std::unique_lock lock(g_lock);
      g_wake.wait(lock, [] { return g_stop || HasUnclaimed(); });
      if (g_stop) return;
      auto it = std::find_if(g_queue.begin(), g_queue.end(), [](const GRequest& r) { return r.column >= 0; });
      request = *it;
      it->column = worker;
    }
    int status = kFetchFailed;
    PlateRef decoded;
    try {
      status = FetchPlate(request.url, request.key);
      // Decoding is the longest step after the transfer; the memory cache
      // has its own lock, so the queue need not wait for it.
      if (status == kFetchOk) decoded = LoadPlateFile(request.key);
    } catch (const std::exception& e) {  // a worker never dies of one plate
      SetErrorText("%s", e.what());
    }
    std::lock_guard lock(g_lock);
    std::erase_if(g_queue, [worker](const GRequest& r) { return r.column == worker; });
    try {
      PlateRef result = HandleResult(request, status, decoded);
      if (result && g_callback) g_callback(request, result);
    } catch (const std::exception& e) {
      Log("Download result of %s: %s", request.key.c_str(), e.what());
    }
  }
}

void StartWorkers(int32_t threadsCount) {
  Log("Start %d download threads...", threadsCount);
  {
    std::lock_guard lock(g_lock);
    g_stop = false;
  }
  const int count = std::clamp<int32_t>(threadsCount, 0, kMaxDownloadThreads);
  for (int i = 0; i < count; ++i) {
    try {
      g_workers.emplace_back(WorkerLoop, -int64_t(i + 1));
    } catch (const std::system_error& e) {
      SetLastError(e.code().value());
      ErrorBox(Translate("Error starting %d-th of %d download thread:\n%s"), i, threadsCount, ErrorText().c_str());
      break;
    }
  }
}

// Waits for every worker to finish its current download.
void StopWorkers() {
  if (g_workers.empty()) return;
  Log("Close %d download threads...", static_cast<int>(g_workers.size()));
  PurgeRequests();
  {
    std::lock_guard lock(g_lock);
    g_stop = true;
  }
  g_wake.notify_all();
  for (std::thread& worker : g_workers) worker.join();
  g_workers.clear();
}

void CloseInternet() {
  StopWorkers();
  std::lock_guard lock(g_sessionMutex);
  g_session.reset();
}

bool OpenInternet() {
  if (!g_started) {
    SetErrorText("WSA not inited");
    return false;
  }
  // libcurl takes the options per request; what can fail here is the handle itself.
  if (!ThisThreadCurl()) {
    SetErrorText("libcurl cannot create a handle");
    Log("Error creating INET handles: %s", ErrorText().c_str());
    CloseInternet();
    return false;
  }
  InetOptions options;
  {
    std::lock_guard lock(g_sessionMutex);
    g_session = std::make_shared<const InetSession>(InetSession{g_options});
    options = g_options;
  }
  StartWorkers(options.ThreadsCount);
  return true;
}

}  // namespace

bool DownloaderStarted() { return g_started; }

std::shared_ptr<const InetSession> CurrentInetSession() {
  std::lock_guard lock(g_sessionMutex);
  return g_session;
}

void AddReceivedBytes(uint64_t bytes) { g_bytes.fetch_add(bytes, std::memory_order_relaxed); }
void AddStoredFile() { g_files.fetch_add(1, std::memory_order_relaxed); }

bool StartDownloader(DownloadResultCallback callback) {
  {
    std::lock_guard lock(g_lock);
    g_callback = std::move(callback);
  }
  if (g_started) return true;
  g_bytes = 0;
  g_files = 0;
  if (!StartCurl()) return false;
  g_started = true;
  SetPlateDownloader(std::make_shared<QueueDownloader>());
  return true;
}

bool ApplyInetOptions(const InetOptions& options) {
  CloseInternet();
  {
    std::lock_guard lock(g_sessionMutex);
    g_options = options;
    g_options.Proxy = CutToMaxPath(options.Proxy);
    g_options.ProxyUser = CutToMaxPath(options.ProxyUser);
    g_options.ProxyPwd = CutToMaxPath(options.ProxyPwd);
  }
  return OpenInternet();
}

InetOptions GetInetOptions() {
  std::lock_guard lock(g_sessionMutex);
  return g_options;
}

bool DownloaderReady() { return g_started && CurrentInetSession() != nullptr; }

void ShutdownDownloader() {
  CloseInternet();
  if (!g_started) return;
  StopWorkers();
  SetPlateDownloader(nullptr);
  {
    std::lock_guard lock(g_lock);
    g_queue.clear();  // nobody is left to serve it
  }
  g_started = false;
}

bool EnqueueRequest(const GRequest& request) {
  if (!g_started) {
    SetErrorText("INET not inited");
    return false;
  }
  if (request.column < 0) {  // would look claimed for good
    SetErrorText("Invalid plate column %lld", static_cast<long long>(request.column));
    return false;
  }
  {
    std::lock_guard lock(g_lock);
    if (std::any_of(g_queue.begin(), g_queue.end(), [&](const GRequest& r) { return r.key == request.key; }))
      return true;
    g_queue.push_back(request);
  }
  g_wake.notify_one();
  return true;
}

void PurgeRequests() {
  if (!g_started) return;
  std::lock_guard lock(g_lock);
  std::erase_if(g_queue, [](const GRequest& r) { return r.column >= 0; });
}

uint64_t DownloadedBytes() { return g_bytes.load(std::memory_order_relaxed); }
uint64_t DownloadedFiles() { return g_files.load(std::memory_order_relaxed); }

uint64_t QueueLength() {
  std::lock_guard lock(g_lock);
  return g_queue.size();
}

void LockDownloader() { g_lock.lock(); }
void UnlockDownloader() { g_lock.unlock(); }

}  // namespace tk
