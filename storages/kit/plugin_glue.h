// The plugin side of the storage interface over a Store class: the action
// records the host sees, the table of operations, and the plugin record.
// No exception leaves these functions. A Store offers Open, Check, Get,
// Write and Enumerate with the interface's results, and the default names
// kDefaultName and kDefaultExt of a new storage.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "common/plugin_abi.h"
#include "storages/kit/plugin_error.h"

namespace storagekit {

template <typename F>
auto Guarded(F&& body, decltype(body()) onError) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetError("Out of memory");
  } catch (...) {
    SetError("Internal error");
  }
  return onError;
}

template <class Store>
class PluginGlue {
 public:
  static StorageActionInfo* CreateAction() {
    return Guarded([]() -> StorageActionInfo* {
      auto* action = new Action;
      action->info = {&kOps, PluginMagic, sizeof(StorageActionInfo), Store::kDefaultName,
                      Store::kDefaultExt};
      action->store = new Store;
      return &action->info;
    }, nullptr);
  }

  static void FreeAction(StorageActionInfo* info) {
    if (!info || info->Magic != PluginMagic) return;
    auto* action = reinterpret_cast<Action*>(info);
    delete action->store;  // closes the storage, committing what is pending
    action->info.Magic = 0;
    delete action;
  }

  // Null when the host may use this plugin, else the reason.
  static const char* CheckQuery(const PluginHostInfo* host, const PluginInfo* info) {
    if (!host || host->Magic != PluginMagic || host->Size < sizeof(PluginHostInfo))
      return "Unsupported plugin host";
    if (!info) return "No plugin record";
    return nullptr;
  }

  static void FillPluginInfo(PluginInfo* info, const char* description, uint32_t flags) {
    info->Magic = PluginMagic;
    info->Size = sizeof(PluginInfo);
    info->Type = PluginTypeStorage;
    info->Description = description;
    info->Flags = flags;
    info->Init = nullptr;
    info->Done = nullptr;
    info->CreateAction = CreateAction;
    info->FreeAction = FreeAction;
  }

 private:
  // The record the host sees first, our state behind it.
  struct Action {
    StorageActionInfo info;
    Store* store;
  };

  static Store* StoreOf(StorageActionInfo* info) {
    if (!info || info->Magic != PluginMagic) {
      SetError("Invalid storage action");
      return nullptr;
    }
    return reinterpret_cast<Action*>(info)->store;
  }

  static int32_t Open(StorageActionInfo* info, const char* path) {
    return Guarded([&]() -> int32_t {
      Store* store = StoreOf(info);
      return store && store->Open(path) ? 1 : 0;
    }, 0);
  }

  static void GetErrorText(StorageActionInfo*, char* buffer, int32_t bufferSize) {
    if (!buffer || bufferSize <= 0) return;
    const std::string& text = LastError();
    std::size_t n = text.size();
    if (n > static_cast<std::size_t>(bufferSize - 1)) {
      n = static_cast<std::size_t>(bufferSize - 1);
      while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;  // whole UTF-8 only
    }
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }

  static uint16_t Check(StorageActionInfo* info, const char* key) {
    return Guarded([&]() -> uint16_t {
      Store* store = StoreOf(info);
      return store ? store->Check(key) : StorageError;
    }, StorageError);
  }

  static uint16_t Get(StorageActionInfo* info, const char* key, const void** data,
                      uint32_t* size) {
    return Guarded([&]() -> uint16_t {
      Store* store = StoreOf(info);
      return store ? store->Get(key, data, size) : StorageError;
    }, StorageError);
  }

  static uint16_t Write(StorageActionInfo* info, const char* key, const void* data,
                        uint32_t size, uint32_t operation) {
    return Guarded([&]() -> uint16_t {
      Store* store = StoreOf(info);
      return store ? store->Write(key, data, size, operation) : StorageError;
    }, StorageError);
  }

  static uint16_t Enumerate(StorageActionInfo* info, const char* prefix,
                            EnumerateCallback callback, uint32_t mode, void* user) {
    return Guarded([&]() -> uint16_t {
      Store* store = StoreOf(info);
      return store ? store->Enumerate(prefix, callback, mode, user) : EnumerateFailed;
    }, EnumerateFailed);
  }

  static constexpr StorageActionOps kOps = {Open, GetErrorText, Check, Get, Write, Enumerate};
};

}  // namespace storagekit
