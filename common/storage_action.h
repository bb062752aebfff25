// A plugin's handle on one storage, as the host sees it: opening with the
// default-extension rule, and the operations with the host's checks (closed
// action, write support, the plugin's own error text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/plugin_abi.h"

namespace tk {

class GBasePlugin;
class GPluginAction;
class GStoragePlugin;

// Told that an action is being destroyed (it is closed already).
using ActionDestroyCallback = void (*)(void* data, GPluginAction* action);

// Largest data block the host accepts from a plugin; a plate is a few KiB.
inline constexpr std::uint32_t kMaxPluginBlock = 64u << 20;

// Whether a block a plugin returned may be read: not null, 1 byte up to
// kMaxPluginBlock.
inline bool PluginBlockReadable(const void* data, std::uint32_t size) {
  return data != nullptr && size > 0 && size <= kMaxPluginBlock;
}

class GPluginAction {
 public:
  virtual ~GPluginAction();  // calls the on-destroy notification
  GPluginAction(const GPluginAction&) = delete;
  GPluginAction& operator=(const GPluginAction&) = delete;

  StorageActionInfo* Record() const { return record_; }
  GBasePlugin* Plugin() const { return plugin_; }

  // One notification; null clears it.
  void SetOnDestroy(ActionDestroyCallback callback, void* data);

 protected:
  GPluginAction(StorageActionInfo* record, GBasePlugin* plugin)
      : record_(record), plugin_(plugin) {}

 private:
  StorageActionInfo* record_;
  ActionDestroyCallback onDestroy_ = nullptr;
  void* onDestroyData_ = nullptr;
  GBasePlugin* plugin_;
};

// Results of Check, Get, Write and Enumerate: 0, 1, 2 (failed, the thread's
// error set) and, from Enumerate, 3 (stopped by the callback).
class GStorageAction final : public GPluginAction {
 public:
  GStorageAction(StorageActionInfo* record, GStoragePlugin* plugin);
  ~GStorageAction() override;  // closes the storage first

  // Closes an open storage, then opens path. A file storage's name whose
  // last component has no '.' receives '.' and the plugin's DefaultExt.
  bool Open(std::string_view path);
  bool Close();
  bool IsOpen() const { return opened_; }
  // The name actually passed to the plugin's Open.
  const std::string& OpenedPath() const { return openedPath_; }

  int Check(const std::string& key);
  int Get(const std::string& key, const void** data, std::uint32_t* size);
  int Write(const std::string& key, const void* data, std::uint32_t size,
            std::uint32_t operation);
  int Enumerate(const std::string& prefix, EnumerateCallback callback, std::uint32_t mode,
                void* user);

  GStoragePlugin* StoragePlugin() const;
  const char* DefaultPath() const;  // never null
  const char* DefaultExt() const;   // never null

 private:
  bool Usable(bool hasOp);
  int PluginResult(std::uint16_t result, bool passStopped);

  bool opened_ = false;
  std::string openedPath_;
};

// The name Open passes to the plugin for path; empty with ENAMETOOLONG when
// it would not fit a path setting.
std::string StorageOpenName(std::string_view path, bool usesDir, std::string_view defaultExt);

}  // namespace tk
