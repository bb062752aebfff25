#include "terrakon/plates/plate_settings.h"

#include "terrakon/config/settings_table.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"

namespace tk {

void ApplyPlateSettings(const HStorageLink& link) {
  PlateSwitches& s = Switches();
  s.useCache = settings::UseCache.Get(link);
  s.delUnknownImages = settings::DelUnknownImages.Get(link);
  s.useInet = settings::UseInet.Get(link);
  s.useBigImage = settings::UseBigImage.Get(link);
  SetCacheDirectory(settings::Cache.Get(link));
  SetCacheLimit(settings::MaxCount.Get(link));
  s.memoryCacheInUse = true;
}

}  // namespace tk
