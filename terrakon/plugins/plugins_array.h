// The loaded plugins (GPluginsArray), in load order, with change listeners.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "common/plugin_host.h"

namespace tk {

class HStorageLink;

// Called with -1 after the list changed as a whole.
using PluginsListener = void (*)(void* data, int change);

class GPluginsArray {
 public:
  GPluginsArray() = default;
  ~GPluginsArray();
  GPluginsArray(const GPluginsArray&) = delete;
  GPluginsArray& operator=(const GPluginsArray&) = delete;

  std::size_t Count() const;
  GStoragePlugin* Item(std::size_t index) const;  // null out of range
  int IndexOf(const GBasePlugin* plugin) const;   // -1: not in the list
  void Append(std::unique_ptr<GStoragePlugin> plugin);
  // Destroying a plugin unloads it; items that used it are deactivated.
  void Delete(std::size_t index);
  void Clear();  // the last plugin first

  void AddListener(PluginsListener listener, void* data);
  void RemoveListener(PluginsListener listener, void* data);
  void Notify(int change) const;

 private:
  std::vector<std::unique_ptr<GStoragePlugin>> plugins_;
  struct Listener {
    PluginsListener callback;
    void* data;
  };
  std::vector<Listener> listeners_;
};

GPluginsArray& PluginsArray();

// Loads and appends a library, notifying the listeners; a library already
// loaded under the same name, or one that fails to load, is refused with an
// error box.
GStoragePlugin* AddPlugin(std::string_view libraryPath);
// The first plugin whose library file name equals the name's stored form
// (letter case significant), if its type matches (-1: any).
GStoragePlugin* FindPlugin(std::string_view libraryName, int type = kAnyPluginType);
// Removes and destroys the plugin, then notifies the listeners.
void FreePlugin(std::size_t index);

// "Plugins/Count" and "Plugins/Item%d".
void LoadPluginList(const HStorageLink& link);
void SavePluginList(const HStorageLink& link);

}  // namespace tk
