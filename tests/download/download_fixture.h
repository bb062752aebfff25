// A started downloader against a loopback tile server: its own cache
// directory and "last_request.html", the memory cache emptied, the log and
// the file log caught, short time-outs, and the result callback recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/log.h"
#include "terrakon/download/downloader.h"
#include "terrakon/download/fetch_plate.h"
#include "terrakon/download/plate_url.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"
#include "tests/download/test_plates.h"
#include "tests/download/tile_server.h"
#include "tests/support/temp_dir.h"

namespace tk::testing {

using namespace std::chrono_literals;

class LogSink final : public LogTarget {
 public:
  void Add(std::string_view message) override {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(message);
  }
  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class DownloadTest : public ::testing::Test {
 protected:
  struct Result {
    GRequest request;
    PlateRef ref;
  };

  void SetUp() override {
    cache_ = temp_.File("cache");
    std::filesystem::create_directories(cache_);
    SetCacheDirectory(cache_);
    CacheClear();
    Switches().memoryCacheInUse = true;
    Switches().useCache = true;
    Switches().delUnknownImages = true;
    Switches().useInet = true;
    SetLastRequestFile(temp_.File("last_request.html"));
    SetExtraCaFile("");
    previousTarget_ = SetLogTarget(sink_);
    const std::string fileLog = temp_.File("file.log");
    previousProvider_ = SetLogFileNameProvider([fileLog] { return fileLog; });
    SetBaseUrls(server_.Url("/kh?v=1&t="));
    ASSERT_TRUE(StartDownloader([this](const GRequest& request, const PlateRef& ref) {
      std::lock_guard lock(resultsMutex_);
      results_.push_back({request, ref});
      resultsChanged_.notify_all();
    }));
  }

  void TearDown() override {
    ShutdownDownloader();
    SetLogFileNameProvider(previousProvider_);
    SetLogTarget(previousTarget_);
    SetLastRequestFile("");
    SetExtraCaFile("");
    CacheClear();
  }

  // Short time-outs, so failures come quickly.
  static InetOptions FastOptions(int threads, int timeoutMs = 500) {
    InetOptions o;
    o.ConnectTimeout = o.ReceiveTimeout = o.DataReceiveTimeout = o.SendTimeout = o.DataSendTimeout = timeoutMs;
    o.ThreadsCount = threads;
    return o;
  }

  std::vector<Result> Results() {
    std::lock_guard lock(resultsMutex_);
    return results_;
  }
  bool WaitResults(std::size_t count, std::chrono::milliseconds limit = 5s) {
    std::unique_lock lock(resultsMutex_);
    return resultsChanged_.wait_for(lock, limit, [&] { return results_.size() >= count; });
  }

  // Every regular file below the cache directory, relative to it, sorted.
  std::vector<std::string> CacheFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(cache_))
      if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), cache_).string());
    std::sort(files.begin(), files.end());
    return files;
  }

  bool Logged(std::string_view text) const {
    for (const std::string& line : sink_->Lines())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  std::string FileLog() const { return ReadWholeFile(temp_.File("file.log")); }
  std::size_t FileLogCount(std::string_view text) const {
    const std::string log = FileLog();
    std::size_t count = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
  }

  static GRequest Request(const std::string& key, const std::string& url) {
    GRequest r;
    r.key = key;
    r.url = url;
    r.zoom = static_cast<int32_t>(key.size());
    return r;
  }

  TempDir temp_;
  std::string cache_;
  TileServer server_;
  std::shared_ptr<LogSink> sink_ = std::make_shared<LogSink>();

 private:
  std::shared_ptr<LogTarget> previousTarget_;
  LogFileNameProvider previousProvider_;
  std::mutex resultsMutex_;
  std::condition_variable resultsChanged_;
  std::vector<Result> results_;
};

}  // namespace tk::testing
