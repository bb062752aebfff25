// One connected storage: a plugin library and a storage file or directory.
// While active it holds an open action of the registry's plugin; freeing
// the plugin or destroying the action deactivates it.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

class GStorageAction;
class GStoragePlugin;

struct StorageItem {
  StorageItem() = default;
  ~StorageItem();  // deactivates first
  // Plugins and actions hold the item's address for their notifications.
  StorageItem(const StorageItem&) = delete;
  StorageItem& operator=(const StorageItem&) = delete;

  std::string LibName;       // stored-path form, as the registry keeps it
  std::string UsedPathName;  // stored-path form
  bool Enabled = false;      // set exactly while active
  GStoragePlugin* Plugin = nullptr;  // not owned
  GStorageAction* Action = nullptr;  // not owned
  std::uint32_t Errors = 0;  // storage errors since the last activation

  bool Configured() const { return !LibName.empty() && !UsedPathName.empty(); }
};

// Opens the item's storage through its plugin; false with the thread's
// error set, and the item inactive. A file storage must exist.
bool ActivateStorage(StorageItem& item);
void DeactivateStorage(StorageItem& item);
bool IsStorageActive(const StorageItem& item);

}  // namespace tk
