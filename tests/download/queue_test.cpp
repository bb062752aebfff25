#include "terrakon/download/downloader.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/error.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_source.h"
#include "tests/download/download_fixture.h"

namespace tk::testing {
namespace {

class QueueTest : public DownloadTest {
 protected:
  GRequest Queued(const std::string& key) const { return Request(key, server_.Url("/kh?v=1&t=" + key)); }

  // Waits (bounded) until the server has seen count requests.
  bool WaitRequests(std::size_t count) const {
    for (int i = 0; i < 400; ++i) {
      if (server_.RequestCount() >= count) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  bool WaitQueueEmpty() const {
    for (int i = 0; i < 400; ++i) {
      if (QueueLength() == 0) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  std::vector<std::string> ServedKeys() const {
    std::vector<std::string> keys;
    for (const RecordedRequest& r : server_.Requests()) keys.push_back(r.key);
    return keys;
  }
};

TEST_F(QueueTest, WithoutWorkersRequestsWaitUntilPurged) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(0)));
  EXPECT_TRUE(Logged("Start 0 download threads..."));
  EXPECT_TRUE(EnqueueRequest(Queued("q")));
  EXPECT_TRUE(EnqueueRequest(Queued("q")));  // the same key again counts as queued
  EXPECT_TRUE(EnqueueRequest(Queued("r")));
  EXPECT_EQ(QueueLength(), 2u);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(QueueLength(), 2u);
  EXPECT_EQ(server_.RequestCount(), 0u);
  PurgeRequests();
  EXPECT_EQ(QueueLength(), 0u);
}

TEST_F(QueueTest, GetPlateQueuesOnceAndOnlyWhenItCan) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(0)));
  EXPECT_TRUE(GetPlate(1, 2, 3) == PlateQueued);
  EXPECT_TRUE(GetPlate(1, 2, 3) == PlateQueued);
  EXPECT_EQ(QueueLength(), 1u);

  Switches().useInet = false;
  EXPECT_FALSE(GetPlate(2, 2, 3));
  Switches().useInet = true;
  SetBaseUrls("");
  EXPECT_FALSE(GetPlate(3, 2, 3));
  EXPECT_EQ(QueueLength(), 1u);

  ShutdownDownloader();  // not ready: nothing is queued
  EXPECT_FALSE(GetPlate(4, 2, 3));
}

TEST_F(QueueTest, OneWorkerServesInQueueOrderAndStoresResults) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(1)));
  server_.SetDefault(TileAnswer().Body(JfifPlate()));
  server_.Answer("q", TileAnswer().Body(JfifPlate()).Delay(200ms));
  server_.Answer("rt", TileAnswer().Status(404));
  server_.Answer("rs", TileAnswer().Status(502));
  ASSERT_TRUE(EnqueueRequest(Queued("q")));
  ASSERT_TRUE(WaitRequests(1));  // the worker is busy: the rest waits in order
  for (const char* key : {"t", "s", "rt", "rs", "r"}) ASSERT_TRUE(EnqueueRequest(Queued(key)));

  ASSERT_TRUE(WaitResults(5));  // 502 gives no result
  ASSERT_TRUE(WaitQueueEmpty());
  EXPECT_EQ(ServedKeys(), (std::vector<std::string>{"q", "t", "s", "rt", "rs", "r"}));
  const std::vector<Result> results = Results();
  ASSERT_EQ(results.size(), 5u);
  for (const Result& r : results) {
    if (r.request.key == "rt")
      EXPECT_TRUE(r.ref == PlateNotFound);
    else
      EXPECT_TRUE(r.ref.IsImage()) << r.request.key;
  }
  EXPECT_TRUE(CacheLookup("rt") == PlateNotFound);
  EXPECT_TRUE(CacheLookup("s").IsImage());
  EXPECT_FALSE(CacheLookup("rs"));
  EXPECT_EQ(FileLogCount("INET library error [" + server_.Url("/kh?v=1&t=rs") + "]. State: 502"), 1u);
}

TEST_F(QueueTest, PurgeKeepsTheClaimedRequest) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(1)));
  server_.SetDefault(TileAnswer().Body(JfifPlate()).Delay(300ms));
  ASSERT_TRUE(EnqueueRequest(Queued("q")));
  ASSERT_TRUE(WaitRequests(1));
  GRequest atColumnZero = Queued("r");
  atColumnZero.column = 0;
  ASSERT_TRUE(EnqueueRequest(atColumnZero));
  ASSERT_TRUE(EnqueueRequest(Queued("s")));
  EXPECT_EQ(QueueLength(), 3u);

  PurgeRequests();
  EXPECT_EQ(QueueLength(), 1u);
  ASSERT_TRUE(WaitResults(1));
  ASSERT_TRUE(WaitQueueEmpty());
  EXPECT_EQ(Results()[0].request.key, "q");
  EXPECT_EQ(ServedKeys(), std::vector<std::string>{"q"});
}

TEST_F(QueueTest, ForbiddenCancelsTheQueueAndMarksItsPlates) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(2)));
  server_.Answer("qq", TileAnswer().Body(JfifPlate()).Delay(600ms));
  server_.Answer("qr", TileAnswer().Status(403).Delay(300ms));
  ASSERT_TRUE(EnqueueRequest(Queued("qq")));
  ASSERT_TRUE(EnqueueRequest(Queued("qr")));
  ASSERT_TRUE(WaitRequests(2));  // both workers busy
  std::vector<std::string> others;
  for (int i = 0; i < 10; ++i) {
    others.push_back(PlateKeyText(i, 0, 4));
    ASSERT_TRUE(EnqueueRequest(Queued(others.back())));
  }

  ASSERT_TRUE(WaitResults(2));
  EXPECT_TRUE(Logged("Google service return FORBIDDEN error. Future downloads cancelled"));
  EXPECT_EQ(QueueLength(), 0u);
  for (const std::string& key : others) EXPECT_TRUE(CacheLookup(key) == PlateForbidden) << key;
  EXPECT_FALSE(CacheLookup("qr"));  // the refused plate itself is asked again later
  // The other worker's download still finishes and is stored.
  EXPECT_TRUE(CacheLookup("qq").IsImage());
  EXPECT_TRUE(std::filesystem::exists(PlatePath("qq")));
  EXPECT_EQ(server_.RequestCount(), 2u);
  const std::vector<Result> results = Results();
  EXPECT_TRUE(results[0].request.key == "qr" && results[0].ref == PlateForbidden);
}

TEST_F(QueueTest, ShutdownWaitsForTheRunningDownload) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(1)));
  server_.SetDefault(TileAnswer().Body(JfifPlate()).Delay(400ms));
  ASSERT_TRUE(EnqueueRequest(Queued("t")));
  ASSERT_TRUE(WaitRequests(1));
  const auto began = std::chrono::steady_clock::now();
  ShutdownDownloader();
  EXPECT_GT(std::chrono::steady_clock::now() - began, 200ms);
  EXPECT_TRUE(Logged("Close 1 download threads..."));
  ASSERT_EQ(Results().size(), 1u);
  EXPECT_TRUE(Results()[0].ref.IsImage());
  EXPECT_TRUE(std::filesystem::exists(PlatePath("t")));
  EXPECT_FALSE(DownloaderReady());
}

TEST_F(QueueTest, OptionsNeedTheStartedDownloader) {
  ShutdownDownloader();
  EXPECT_FALSE(ApplyInetOptions(FastOptions(1)));
  EXPECT_EQ(ErrorText(), "WSA not inited");
  EXPECT_FALSE(DownloaderReady());
  EXPECT_EQ(GetInetOptions().ThreadsCount, 1);
}

}  // namespace
}  // namespace tk::testing
