// The host's side of a loaded plugin library: loading it through its export
// QueryPluginInterface with every check of the binary interface, the actions
// it owns, and unloading. Shared by the viewer and the storage utility.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/plugin_abi.h"

namespace tk {

class GBasePlugin;
class GPluginAction;
class GStorageAction;
class GStoragePlugin;

// Told that a plugin is about to be unloaded (its actions still exist).
using PluginFreeCallback = void (*)(void* data, GBasePlugin* plugin);

// A loaded library and its actions. Destroying it frees every action (the
// last one first), calls the plugin's Done and unloads the library.
class GBasePlugin {
 public:
  virtual ~GBasePlugin();
  GBasePlugin(const GBasePlugin&) = delete;
  GBasePlugin& operator=(const GBasePlugin&) = delete;

  const PluginInfo& Info() const { return info_; }
  std::uint32_t Type() const { return info_.Type; }
  std::uint32_t Flags() const { return info_.Flags; }
  // Never null.
  const char* Description() const { return info_.Description ? info_.Description : ""; }
  // The library file name as kept (stored-path rule).
  const std::string& LibraryName() const { return libraryName_; }
  void* Module() const { return module_; }
  const std::vector<std::unique_ptr<GPluginAction>>& Actions() const { return actions_; }

  // One notification; setting replaces the previous one, null clears it.
  void SetOnFree(PluginFreeCallback callback, void* data);
  PluginFreeCallback OnFreeCallback() const { return onFree_; }
  void* OnFreeData() const { return onFreeData_; }

  // Removes the action from the list, destroys it (closing it), then hands
  // its record back through the plugin's FreeAction. Unknown actions are
  // left alone.
  void FreeAction(GPluginAction* action);

 protected:
  GBasePlugin(void* module, const PluginInfo& info, std::string libraryName);
  void AppendAction(std::unique_ptr<GPluginAction> action);

 private:
  std::vector<std::unique_ptr<GPluginAction>> actions_;
  void* module_;
  PluginInfo info_;
  std::string libraryName_;
  PluginFreeCallback onFree_ = nullptr;
  void* onFreeData_ = nullptr;

  friend GStorageAction* CreateStorageAction(GStoragePlugin& plugin);
};

// The object of a PluginTypeStorage library.
class GStoragePlugin final : public GBasePlugin {
 public:
  GStoragePlugin(void* module, const PluginInfo& info, std::string libraryName)
      : GBasePlugin(module, info, std::move(libraryName)) {}

  bool UsesDir() const { return Flags() & StorageUsesDir; }
  bool CanWrite() const { return Flags() & StorageCanWrite; }
  bool CanEnumerate() const { return Flags() & StorageCanEnumerate; }
};

inline constexpr int kAnyPluginType = -1;

// Loads the library, queries and checks its records and calls Init. On
// failure returns null with the thread's error set and nothing left loaded.
std::unique_ptr<GStoragePlugin> LoadPlugin(std::string_view libraryPath,
                                           const PluginHostInfo* host,
                                           int requestedType = kAnyPluginType);

// "Storage" for PluginTypeStorage, "<Unknown>" for anything else.
const char* PluginTypeName(std::int64_t type);

// A new closed action appended to the plugin's list, or null with the
// thread's error set.
GStorageAction* CreateStorageAction(GStoragePlugin& plugin);
void FreeStorageAction(GStoragePlugin& plugin, GStorageAction* action);

// The library file name a path is kept as: the stored-path rule; empty
// (ENAMETOOLONG) when longer than a path setting holds.
std::string PluginLibraryName(std::string_view path);

// Opens a library with the platform loader only. A relative name is looked
// for in the program folder, then in the working folder, then on the
// loader's search path. Null with the error text set on failure.
void* OpenPluginLibrary(const std::string& libraryName);
void ClosePluginLibrary(void* module);

}  // namespace tk
