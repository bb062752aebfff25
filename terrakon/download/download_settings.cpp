#include "terrakon/download/download_settings.h"

#include "terrakon/config/settings_table.h"
#include "terrakon/download/plate_url.h"

namespace tk {

InetOptions InetOptionsFromSettings(const HStorageLink& link, InetOptions current) {
  current.UseProxy = settings::UseProxy.Get(link);
  current.Proxy = settings::Proxy.Get(link);
  current.UseProxyUser = settings::UseProxyUser.Get(link);
  current.ProxyUser = settings::ProxyUser.Get(link);
  current.ProxyPwd = settings::ProxyPwd.Get(link);
  current.INETLogFile = settings::INETLogFile.Get(link);
  current.ThreadsCount = settings::ThreadsCount.Get(link);
  return current;
}

void ApplyDownloadSettings(const HStorageLink& link) { SetBaseUrls(settings::GEBase.Get(link)); }

}  // namespace tk
