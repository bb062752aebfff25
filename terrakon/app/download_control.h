// What the main window needs of the downloader: start and stop, the internet
// options of the settings, dropping requests no worker has started, and the
// counters of the status bar. The program installs the downloader behind it;
// without one the map shows what the caches hold and queues nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tk {

struct InetSettings {
  bool useProxy = false;
  std::string proxy;
  bool useProxyUser = false;
  std::string proxyUser;
  std::string proxyPassword;
  bool logFile = false;
  int threads = 1;
  std::string baseUrls;  // "GEBase": several separated by the character 7
};

struct DownloadCounters {
  uint64_t bytes = 0;
  uint64_t files = 0;
  uint64_t queued = 0;
};

class DownloadControl {
 public:
  // Called on a worker for every finished download: the plate and its level.
  using Arrived = std::function<void(int64_t column, int64_t row, int zoom)>;

  virtual ~DownloadControl() = default;
  // False with the thread's error: downloads stay impossible.
  virtual bool Start(Arrived arrived) = 0;
  virtual void Shutdown() = 0;
  virtual bool ApplyInetOptions(const InetSettings& options) = 0;
  // The "GEBase" list; taken whether or not downloads are on.
  virtual void SetBaseUrls(const std::string& /*list*/) {}
  virtual void PurgeRequests() = 0;
  virtual DownloadCounters Counters() = 0;
};

}  // namespace tk
