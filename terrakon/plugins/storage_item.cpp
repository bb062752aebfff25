#include "terrakon/plugins/storage_item.h"

#include <sys/stat.h>

#include "common/error.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/plugin_host.h"
#include "common/storage_action.h"
#include "terrakon/plugins/plugins_array.h"
#include "terrakon/plugins/storage_lock.h"

namespace tk {
namespace {

// The plugin is about to unload; it still works, so the action is freed
// through it as usual.
void OnPluginFreed(void* data, GBasePlugin*) { DeactivateStorage(*static_cast<StorageItem*>(data)); }

// The action is being destroyed by its plugin: forget it, do not free it again.
void OnActionDestroyed(void* data, GPluginAction* action) {
  auto* item = static_cast<StorageItem*>(data);
  if (item->Action == action) item->Action = nullptr;
  DeactivateStorage(*item);
}

}  // namespace

StorageItem::~StorageItem() { DeactivateStorage(*this); }

void DeactivateStorage(StorageItem& item) {
  StorageLockGuard lock(StorageLock());
  ErrorNumberKeeper keep;
  if (GStorageAction* action = item.Action) {
    item.Action = nullptr;
    action->Close();
    action->SetOnDestroy(nullptr, nullptr);
    if (item.Plugin) FreeStorageAction(*item.Plugin, action);
  }
  if (GStoragePlugin* plugin = item.Plugin) {
    item.Plugin = nullptr;
    // Only our own: another item may have set it since.
    if (plugin->OnFreeData() == &item) plugin->SetOnFree(nullptr, nullptr);
  }
  item.Enabled = false;
  item.Errors = 0;
}

bool IsStorageActive(const StorageItem& item) {
  StorageLockGuard lock(StorageLock());
  return item.Enabled && item.Plugin && item.Action && item.Action->IsOpen();
}

bool ActivateStorage(StorageItem& item) {
  StorageLockGuard lock(StorageLock());
  DeactivateStorage(item);
  auto fail = [&item] {
    ErrorNumberKeeper keep;
    DeactivateStorage(item);
    return false;
  };
  if (!item.Configured()) {
    SetErrorText("Library name of work file is not set");
    return fail();
  }
  GStoragePlugin* plugin = FindPlugin(item.LibName, PluginTypeStorage);
  if (!plugin) {
    SetErrorText("Storage plugin with given name is not found");
    return fail();
  }
  item.Plugin = plugin;
  plugin->SetOnFree(OnPluginFreed, &item);
  GStorageAction* action = CreateStorageAction(*plugin);
  if (!action) return fail();
  item.Action = action;
  // The plugin resolves relative names against the working folder; ours
  // are relative to the program folder.
  const std::string path = ProgramRelativePath(item.UsedPathName);
  struct stat st;
  if (!plugin->UsesDir() && ::stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno();
    Log("Specified storage file \"%s\" cannot be found", item.UsedPathName.c_str());
    return fail();
  }
  if (!action->Open(path)) return fail();
  action->SetOnDestroy(OnActionDestroyed, &item);
  item.Enabled = true;
  item.Errors = 0;
  return true;
}

}  // namespace tk
