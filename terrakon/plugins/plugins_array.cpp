#include "terrakon/plugins/plugins_array.h"

#include <algorithm>

#include "common/error.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/config/settings_plugins.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/plugins/list_limits.h"
#include "terrakon/plugins/plugin_host_info.h"
#include "terrakon/plugins/storage_lock.h"

namespace tk {

GPluginsArray::~GPluginsArray() { Clear(); }

std::size_t GPluginsArray::Count() const {
  StorageLockGuard lock(StorageLock());
  return plugins_.size();
}

GStoragePlugin* GPluginsArray::Item(std::size_t index) const {
  StorageLockGuard lock(StorageLock());
  return index < plugins_.size() ? plugins_[index].get() : nullptr;
}

int GPluginsArray::IndexOf(const GBasePlugin* plugin) const {
  StorageLockGuard lock(StorageLock());
  for (std::size_t i = 0; i < plugins_.size(); ++i)
    if (plugins_[i].get() == plugin) return static_cast<int>(i);
  return -1;
}

void GPluginsArray::Append(std::unique_ptr<GStoragePlugin> plugin) {
  StorageLockGuard lock(StorageLock());
  plugins_.push_back(std::move(plugin));
}

void GPluginsArray::Delete(std::size_t index) {
  StorageLockGuard lock(StorageLock());
  if (index >= plugins_.size()) return;
  // Out of the list before it unloads, so that nothing finds it half gone.
  std::unique_ptr<GStoragePlugin> plugin = std::move(plugins_[index]);
  plugins_.erase(plugins_.begin() + static_cast<std::ptrdiff_t>(index));
  plugin.reset();
}

void GPluginsArray::Clear() {
  StorageLockGuard lock(StorageLock());
  while (!plugins_.empty()) Delete(plugins_.size() - 1);
}

void GPluginsArray::AddListener(PluginsListener listener, void* data) {
  listeners_.push_back({listener, data});
}

void GPluginsArray::RemoveListener(PluginsListener listener, void* data) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [&](const Listener& l) {
                                    return l.callback == listener && l.data == data;
                                  }),
                   listeners_.end());
}

void GPluginsArray::Notify(int change) const {
  // A copy: a listener may remove itself.
  const std::vector<Listener> listeners = listeners_;
  for (const Listener& l : listeners) l.callback(l.data, change);
}

GPluginsArray& PluginsArray() {
  static GPluginsArray plugins;
  return plugins;
}

GStoragePlugin* FindPlugin(std::string_view libraryName, int type) {
  const std::string name = StoredPath(libraryName);
  StorageLockGuard lock(StorageLock());
  GPluginsArray& plugins = PluginsArray();
  for (std::size_t i = 0; i < plugins.Count(); ++i) {
    GStoragePlugin* plugin = plugins.Item(i);
    if (plugin->LibraryName() != name) continue;
    if (type == kAnyPluginType || static_cast<std::uint32_t>(type) == plugin->Type()) return plugin;
    return nullptr;
  }
  return nullptr;
}

GStoragePlugin* AddPlugin(std::string_view libraryPath) {
  const std::string path(libraryPath);
  if (FindPlugin(path, kAnyPluginType)) {
    ErrorBox(Translate("Plugin library \"%s\" already used.\nSingle library cannot be used "
                       "multiple times."),
             path.c_str());
    return nullptr;
  }
  // Loaded outside the lock: a slow Init must not stall the painter.
  std::unique_ptr<GStoragePlugin> plugin = LoadPlugin(path, ViewerPluginHostInfo(), kAnyPluginType);
  if (!plugin) {
    ErrorBox(Translate("Error loading plugin libray [%s]\nError: %s"), path.c_str(),
             ErrorText().c_str());
    return nullptr;
  }
  GStoragePlugin* result = plugin.get();
  PluginsArray().Append(std::move(plugin));
  PluginsArray().Notify(-1);
  return result;
}

void FreePlugin(std::size_t index) {
  PluginsArray().Delete(index);
  PluginsArray().Notify(-1);
}

void LoadPluginList(const HStorageLink& link) {
  const int count = ListEntryCount(settings::PluginsCount.Get(link));
  for (int i = 0; i < count; ++i) {
    const std::string name = settings::PluginsItem.Get(link, i, "");
    if (!name.empty()) AddPlugin(name);
  }
}

void SavePluginList(const HStorageLink& link) {
  StorageLockGuard lock(StorageLock());
  GPluginsArray& plugins = PluginsArray();
  settings::PluginsCount.Set(link, static_cast<int>(plugins.Count()));
  for (std::size_t i = 0; i < plugins.Count(); ++i)
    settings::PluginsItem.Set(link, static_cast<int>(i), plugins.Item(i)->LibraryName());
}

}  // namespace tk
