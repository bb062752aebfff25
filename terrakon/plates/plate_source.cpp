#include "terrakon/plates/plate_source.h"

#include <sys/stat.h>

#include <mutex>
#include <string>

#include "terrakon/plates/disk_cache.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"

namespace tk {
namespace {

std::mutex g_seamMutex;  // guards the two below; callers work on copies
std::shared_ptr<PlateStorages> g_storages;
std::shared_ptr<PlateDownloader> g_downloader;

std::shared_ptr<PlateStorages> Storages() {
  std::lock_guard lock(g_seamMutex);
  return g_storages;
}

std::shared_ptr<PlateDownloader> Downloader() {
  std::lock_guard lock(g_seamMutex);
  return g_downloader;
}

}  // namespace

PlateSwitches& Switches() {
  static PlateSwitches switches;
  return switches;
}

void SetPlateStorages(std::shared_ptr<PlateStorages> storages) {
  std::lock_guard lock(g_seamMutex);
  g_storages.swap(storages);
}

void SetPlateDownloader(std::shared_ptr<PlateDownloader> downloader) {
  std::lock_guard lock(g_seamMutex);
  g_downloader.swap(downloader);
}

PlateRef FindPlate(std::string_view key) {
  if (Switches().memoryCacheInUse) {
    if (PlateRef r = CacheLookup(key)) return r;
  }
  if (Switches().useCache) {
    if (PlateRef r = LoadPlateFile(key)) return r;
  }
  if (auto storages = Storages()) {
    if (PlateRef r = storages->ReadPlate(key)) return r;
  }
  return PlateRef();
}

PlateRef GetPlate(int64_t column, int64_t row, int zoom) {
  std::string key = PlateKeyText(column, row, zoom);
  if (PlateRef r = FindPlate(key)) return r;
  auto downloader = Downloader();
  if (downloader && downloader->Ready() && Switches().useInet && downloader->Queue(column, row, zoom, key))
    return PlateQueued;
  return PlateRef();
}

bool PlateAvailable(std::string_view key) {
  if (auto storages = Storages(); storages && storages->HavePlate(key)) return true;
  struct stat st;
  return stat(PlatePath(key).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace tk
