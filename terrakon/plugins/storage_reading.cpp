#include "terrakon/plugins/storage_reading.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/log.h"
#include "common/storage_action.h"
#include "platform/imagelib/imagelib.h"
#include "terrakon/plates/disk_cache.h"
#include "terrakon/plates/plate_source.h"
#include "terrakon/plugins/storage_array.h"
#include "terrakon/plugins/storage_lock.h"

namespace tk {
namespace {

std::atomic<int> g_maxErrors{3};

// 0 found (block copied), 1 not found, 2 counted as an error.
int TakeBlock(std::string_view key, StorageItem* item, std::vector<unsigned char>* block) {
  StorageLockGuard lock(StorageLock());
  if (!item || !IsStorageActive(*item)) return StorageNotFound;
  const void* data = nullptr;
  std::uint32_t size = 0;
  const std::string plateKey(key);
  const int result = item->Action->Get(plateKey, &data, &size);
  if (result == StorageNotFound) return StorageNotFound;
  if (result == StorageOk) {
    if (PluginBlockReadable(data, size)) {
      // A copy (a few KiB): the plugin's block would only last until the next
      // call on the action, and decoding must not hold up the workers' checks.
      const auto* bytes = static_cast<const unsigned char*>(data);
      block->assign(bytes, bytes + size);
      return StorageOk;
    }
    SetErrorText("Plugin returns bad data pointer: %p[%d] (%d), \"%s\"", data,
                 static_cast<int>(size), 1, plateKey.c_str());
  }
  ++item->Errors;
  Log("Error during get image from storage [%s]: %s", item->UsedPathName.c_str(),
      ErrorText().c_str());
  const int limit = MaxStorageErrors();
  if (static_cast<std::int64_t>(item->Errors) > limit) {
    Log("Storage [%s] will be disable becouse of maximum errors reached %d > %d",
        item->UsedPathName.c_str(), static_cast<int>(item->Errors), limit);
    DeactivateStorage(*item);
  }
  return StorageError;
}

class StorageReader final : public PlateStorages {
 public:
  PlateRef ReadPlate(std::string_view key) override { return ReadPlateFromStorages(key); }
  bool HavePlate(std::string_view key) override { return StoragesHavePlate(key); }
};

}  // namespace

void SetMaxStorageErrors(int count) { g_maxErrors = count; }
int MaxStorageErrors() { return g_maxErrors; }

PlateRef DecodeStoragePlate(std::string_view key, const void* data, std::uint32_t size) {
  img::Bitmap bitmap;
  img::FileInfo info;
  const int error = img::LoadBitmapFromMemory(data, size, bitmap, PlateLoadParams(), &info);
  if (error != 0) {
    Log("Error loading storage image: %s", img::ImageErrorText(error));
    return {};
  }
  return StorePlateImage(key, std::move(bitmap), info);
}

PlateRef ReadStoragePlate(std::string_view key, StorageItem* item) {
  std::vector<unsigned char> block;
  if (TakeBlock(key, item, &block) != StorageOk) return {};
  return DecodeStoragePlate(key, block.data(), static_cast<std::uint32_t>(block.size()));
}

PlateRef ReadPlateFromStorages(std::string_view key) {
  for (std::size_t i = 0;; ++i) {
    std::vector<unsigned char> block;
    {
      // Decoding stores into the memory cache under the downloader's lock,
      // so it runs outside this one: the two locks never nest.
      StorageLockGuard lock(StorageLock());
      if (i >= StorageArray().Count()) return {};
      if (TakeBlock(key, StorageArray().Item(i), &block) != StorageOk) continue;
    }
    if (PlateRef plate =
            DecodeStoragePlate(key, block.data(), static_cast<std::uint32_t>(block.size())))
      return plate;
  }
}

bool StoragesHavePlate(std::string_view key) {
  const std::string plateKey(key);
  StorageLockGuard lock(StorageLock());
  GStorageArray& storages = StorageArray();
  for (std::size_t i = 0; i < storages.Count(); ++i) {
    StorageItem* item = storages.Item(i);
    if (IsStorageActive(*item) && item->Action->Check(plateKey) == StorageOk) return true;
  }
  return false;
}

void InstallStorageReader() { SetPlateStorages(std::make_shared<StorageReader>()); }

}  // namespace tk
