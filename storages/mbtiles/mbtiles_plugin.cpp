// The plugin's export and its table of operations over mbtiles::Store.
// No exception leaves a function of this file.
#include <cstring>
#include <new>

#include "common/plugin_abi.h"
#include "storages/mbtiles/mbtiles_store.h"

namespace {

// The record the host sees first, our state behind it.
struct Action {
  StorageActionInfo info;
  mbtiles::Store* store;
};

mbtiles::Store* StoreOf(StorageActionInfo* info) {
  if (!info || info->Magic != PluginMagic) {
    mbtiles::SetError("Invalid storage action");
    return nullptr;
  }
  return reinterpret_cast<Action*>(info)->store;
}

template <typename F>
auto Guarded(F&& body, decltype(body()) onError) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    mbtiles::SetError("Out of memory");
  } catch (...) {
    mbtiles::SetError("Internal error");
  }
  return onError;
}

int32_t Open(StorageActionInfo* info, const char* path) {
  return Guarded([&]() -> int32_t {
    mbtiles::Store* store = StoreOf(info);
    return store && store->Open(path) ? 1 : 0;
  }, 0);
}

void GetErrorText(StorageActionInfo*, char* buffer, int32_t bufferSize) {
  if (!buffer || bufferSize <= 0) return;
  const std::string& text = mbtiles::LastError();
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
    mbtiles::Store* store = StoreOf(info);
    return store ? store->Check(key) : StorageError;
  }, StorageError);
}

uint16_t Get(StorageActionInfo* info, const char* key, const void** data, uint32_t* size) {
  return Guarded([&]() -> uint16_t {
    mbtiles::Store* store = StoreOf(info);
    return store ? store->Get(key, data, size) : StorageError;
  }, StorageError);
}

uint16_t Write(StorageActionInfo* info, const char* key, const void* data, uint32_t size,
               uint32_t operation) {
  return Guarded([&]() -> uint16_t {
    mbtiles::Store* store = StoreOf(info);
    return store ? store->Write(key, data, size, operation) : StorageError;
  }, StorageError);
}

uint16_t Enumerate(StorageActionInfo* info, const char* prefix, EnumerateCallback callback,
                   uint32_t mode, void* user) {
  return Guarded([&]() -> uint16_t {
    mbtiles::Store* store = StoreOf(info);
    return store ? store->Enumerate(prefix, callback, mode, user) : EnumerateFailed;
  }, EnumerateFailed);
}

const StorageActionOps kOps = {Open, GetErrorText, Check, Get, Write, Enumerate};

StorageActionInfo* CreateAction() {
  return Guarded([]() -> StorageActionInfo* {
    auto* action = new Action;
    action->info = {&kOps, PluginMagic, sizeof(StorageActionInfo), "tiles.mbtiles", "mbtiles"};
    action->store = new mbtiles::Store;
    return &action->info;
  }, nullptr);
}

void FreeAction(StorageActionInfo* info) {
  if (!info || info->Magic != PluginMagic) return;
  auto* action = reinterpret_cast<Action*>(info);
  delete action->store;  // closes the file, committing what is pending
  action->info.Magic = 0;
  delete action;
}

}  // namespace

extern "C" TK_PLUGIN_EXPORT const char* QueryPluginInterface(const PluginHostInfo* host,
                                                             PluginInfo* info) {
  if (!host || host->Magic != PluginMagic || host->Size < sizeof(PluginHostInfo))
    return "Unsupported plugin host";
  if (!info) return "No plugin record";
  if (sqlite3_threadsafe() == 0) return "SQLite library is built without thread support";
  info->Magic = PluginMagic;
  info->Size = sizeof(PluginInfo);
  info->Type = PluginTypeStorage;
  info->Description = "MBTiles 1.3 storage file (SQLite)";
  info->Flags = StorageCanWrite | StorageCanEnumerate;
  info->Init = nullptr;
  info->Done = nullptr;
  info->CreateAction = CreateAction;
  info->FreeAction = FreeAction;
  return nullptr;
}
