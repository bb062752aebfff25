// The plugin's export and its table of operations over tiledir::Store.
// No exception leaves a function of this file.
#include <cstring>
#include <new>

#include "common/plugin_abi.h"
#include "storages/tiledir/tiledir_store.h"

namespace {

// The record the host sees first, our state behind it.
struct Action {
  StorageActionInfo info;
  tiledir::Store* store;
};

tiledir::Store* StoreOf(StorageActionInfo* info) {
  if (!info || info->Magic != PluginMagic) {
    tiledir::SetError("Invalid storage action");
    return nullptr;
  }
  return reinterpret_cast<Action*>(info)->store;
}

template <typename F>
auto Guarded(F&& body, decltype(body()) onError) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    tiledir::SetError("Out of memory");
  } catch (...) {
    tiledir::SetError("Internal error");
  }
  return onError;
}

int32_t Open(StorageActionInfo* info, const char* path) {
  return Guarded([&]() -> int32_t {
    tiledir::Store* store = StoreOf(info);
    return store && store->Open(path) ? 1 : 0;
  }, 0);
}

void GetErrorText(StorageActionInfo*, char* buffer, int32_t bufferSize) {
  if (!buffer || bufferSize <= 0) return;
  const std::string& text = tiledir::LastError();
  std::size_t n = text.size();
  if (n > static_cast<std::size_t>(bufferSize - 1)) {
    n = static_cast<std::size_t>(bufferSize - 1);
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;  // whole UTF-8 only
  }
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

uint16_t Check(StorageActionInfo* info, const char* key) {
  return Guarded([&]() -> uint16_t {
    tiledir::Store* store = StoreOf(info);
    return store ? store->Check(key) : StorageError;
  }, StorageError);
}

uint16_t Get(StorageActionInfo* info, const char* key, const void** data, uint32_t* size) {
  return Guarded([&]() -> uint16_t {
    tiledir::Store* store = StoreOf(info);
    return store ? store->Get(key, data, size) : StorageError;
  }, StorageError);
}

uint16_t Write(StorageActionInfo* info, const char* key, const void* data, uint32_t size,
               uint32_t operation) {
  return Guarded([&]() -> uint16_t {
    tiledir::Store* store = StoreOf(info);
    return store ? store->Write(key, data, size, operation) : StorageError;
  }, StorageError);
}

uint16_t Enumerate(StorageActionInfo* info, const char* prefix, EnumerateCallback callback,
                   uint32_t mode, void* user) {
  return Guarded([&]() -> uint16_t {
    tiledir::Store* store = StoreOf(info);
    return store ? store->Enumerate(prefix, callback, mode, user) : EnumerateFailed;
  }, EnumerateFailed);
}

const StorageActionOps kOps = {Open, GetErrorText, Check, Get, Write, Enumerate};

StorageActionInfo* CreateAction() {
  return Guarded([]() -> StorageActionInfo* {
    auto* action = new Action;
    action->info = {&kOps, PluginMagic, sizeof(StorageActionInfo), "tiles", ""};
    action->store = new tiledir::Store;
    return &action->info;
  }, nullptr);
}

void FreeAction(StorageActionInfo* info) {
  if (!info || info->Magic != PluginMagic) return;
  auto* action = reinterpret_cast<Action*>(info);
  delete action->store;
  action->info.Magic = 0;
  delete action;
}

}  // namespace

extern "C" TK_PLUGIN_EXPORT const char* QueryPluginInterface(const PluginHostInfo* host,
                                                             PluginInfo* info) {
  if (!host || host->Magic != PluginMagic || host->Size < sizeof(PluginHostInfo))
    return "Unsupported plugin host";
  if (!info) return "No plugin record";
  info->Magic = PluginMagic;
  info->Size = sizeof(PluginInfo);
  info->Type = PluginTypeStorage;
  info->Description = "Tile folder {z}/{x}/{y}.jpg, rows from the north";
  info->Flags = StorageUsesDir | StorageCanWrite | StorageCanEnumerate;
  info->Init = nullptr;
  info->Done = nullptr;
  info->CreateAction = CreateAction;
  info->FreeAction = FreeAction;
  return nullptr;
}
