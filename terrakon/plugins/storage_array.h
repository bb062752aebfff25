// The connected storages (GStorageArray), in the order in which they are
// asked for plates.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "terrakon/plugins/storage_item.h"

namespace tk {

class HStorageLink;

// Every operation takes the storage lock; a caller that walks the list from
// another thread holds StorageLock() around the walk.
class GStorageArray {
 public:
  GStorageArray() = default;
  ~GStorageArray();
  GStorageArray(const GStorageArray&) = delete;
  GStorageArray& operator=(const GStorageArray&) = delete;

  std::size_t Count() const;
  StorageItem* Item(std::size_t index) const;  // null out of range
  int IndexOf(const StorageItem* item) const;  // -1: not in the list
  StorageItem* Append(std::unique_ptr<StorageItem> item);
  // Deactivates and destroys; storage files are never deleted.
  void Delete(std::size_t index);
  // Reordering changes which storage supplies a plate first.
  void Swap(std::size_t a, std::size_t b);
  void Clear();

 private:
  std::vector<std::unique_ptr<StorageItem>> items_;
};

GStorageArray& StorageArray();

// The first item whose UsedPathName equals the path's stored form (letter
// case significant).
StorageItem* FindStorageByPath(std::string_view path);

// Section "Storages": "Count", then "Item%d" with "LibName", "UsedPathName"
// and "Enabled". Items saved as enabled are activated; a failure leaves them
// inactive without a message, so that the next save writes them disabled.
void LoadStorageList(const HStorageLink& link);
void SaveStorageList(const HStorageLink& link);

}  // namespace tk
