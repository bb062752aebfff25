#include "terrakon/app/queue_download_control.h"

#include "terrakon/download/downloader.h"
#include "terrakon/download/plate_url.h"

namespace tk {

QueueDownloadControl::~QueueDownloadControl() {
  if (started_) Shutdown();
}

bool QueueDownloadControl::Start(Arrived arrived) {
  // Markers (404, refused) repaint too: the placeholder text changes.
  const bool ok = StartDownloader([arrived = std::move(arrived)](const GRequest& request, const PlateRef&) {
    if (arrived) arrived(request.column, request.row, request.zoom);
  });
  started_ = started_ || ok;
  return ok;
}

void QueueDownloadControl::Shutdown() {
  ShutdownDownloader();
  started_ = false;
}

bool QueueDownloadControl::ApplyInetOptions(const InetSettings& options) {
  InetOptions o = GetInetOptions();
  o.UseProxy = options.useProxy;
  o.Proxy = options.proxy;
  o.UseProxyUser = options.useProxyUser;
  o.ProxyUser = options.proxyUser;
  o.ProxyPwd = options.proxyPassword;
  o.INETLogFile = options.logFile;
  o.ThreadsCount = options.threads;
  return tk::ApplyInetOptions(o);
}

void QueueDownloadControl::SetBaseUrls(const std::string& list) { tk::SetBaseUrls(list); }

void QueueDownloadControl::PurgeRequests() { tk::PurgeRequests(); }

DownloadCounters QueueDownloadControl::Counters() {
  return DownloadCounters{DownloadedBytes(), DownloadedFiles(), QueueLength()};
}

}  // namespace tk
