// The main window's downloader: the download queue and its workers behind
// DownloadControl. One per process, as the queue is.
#pragma once

#include "terrakon/app/download_control.h"

namespace tk {

class QueueDownloadControl final : public DownloadControl {
 public:
  QueueDownloadControl() = default;
  ~QueueDownloadControl() override;
  QueueDownloadControl(const QueueDownloadControl&) = delete;
  QueueDownloadControl& operator=(const QueueDownloadControl&) = delete;

  // Also installs the queue as the plate source chain's downloader.
  bool Start(Arrived arrived) override;
  void Shutdown() override;
  // The seven settings over the current options; the other fields (timeouts,
  // retries) keep what the downloader has.
  bool ApplyInetOptions(const InetSettings& options) override;
  void SetBaseUrls(const std::string& list) override;
  void PurgeRequests() override;
  DownloadCounters Counters() override;

 private:
  bool started_ = false;
};

}  // namespace tk
