#include "terrakon/plugins/storage_array.h"

#include <utility>

#include "common/paths.h"
#include "terrakon/config/settings_plugins.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/plugins/list_limits.h"
#include "terrakon/plugins/storage_lock.h"

namespace tk {

GStorageArray::~GStorageArray() { Clear(); }

std::size_t GStorageArray::Count() const {
  StorageLockGuard lock(StorageLock());
  return items_.size();
}

StorageItem* GStorageArray::Item(std::size_t index) const {
  StorageLockGuard lock(StorageLock());
  return index < items_.size() ? items_[index].get() : nullptr;
}

int GStorageArray::IndexOf(const StorageItem* item) const {
  StorageLockGuard lock(StorageLock());
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

StorageItem* GStorageArray::Append(std::unique_ptr<StorageItem> item) {
  StorageLockGuard lock(StorageLock());
  items_.push_back(std::move(item));
  return items_.back().get();
}

void GStorageArray::Delete(std::size_t index) {
  StorageLockGuard lock(StorageLock());
  if (index >= items_.size()) return;
  std::unique_ptr<StorageItem> item = std::move(items_[index]);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  item.reset();
}

void GStorageArray::Swap(std::size_t a, std::size_t b) {
  StorageLockGuard lock(StorageLock());
  if (a < items_.size() && b < items_.size()) std::swap(items_[a], items_[b]);
}

void GStorageArray::Clear() {
  StorageLockGuard lock(StorageLock());
  while (!items_.empty()) Delete(items_.size() - 1);
}

GStorageArray& StorageArray() {
  static GStorageArray storages;
  return storages;
}

StorageItem* FindStorageByPath(std::string_view path) {
  const std::string name = StoredPath(path);
  StorageLockGuard lock(StorageLock());
  GStorageArray& storages = StorageArray();
  for (std::size_t i = 0; i < storages.Count(); ++i)
    if (storages.Item(i)->UsedPathName == name) return storages.Item(i);
  return nullptr;
}

void LoadStorageList(const HStorageLink& link) {
  const int count = ListEntryCount(settings::StoragesCount.Get(link));
  for (int i = 0; i < count; ++i) {
    StorageItem* item = StorageArray().Append(std::make_unique<StorageItem>());
    item->LibName = StoredPath(settings::StorageLibName.Get(link, i, ""));
    item->UsedPathName = StoredPath(settings::StorageUsedPathName.Get(link, i, ""));
    if (settings::StorageEnabled.Get(link, i, false)) ActivateStorage(*item);
  }
}

void SaveStorageList(const HStorageLink& link) {
  StorageLockGuard lock(StorageLock());
  GStorageArray& storages = StorageArray();
  settings::StoragesCount.Set(link, static_cast<int>(storages.Count()));
  for (std::size_t i = 0; i < storages.Count(); ++i) {
    const StorageItem& item = *storages.Item(i);
    const int n = static_cast<int>(i);
    settings::StorageLibName.Set(link, n, item.LibName);
    settings::StorageUsedPathName.Set(link, n, item.UsedPathName);
    settings::StorageEnabled.Set(link, n, item.Enabled);
  }
}

}  // namespace tk
