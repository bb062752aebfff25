#include "tests/plugins/fake_plugin.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "common/plugin_abi.h"

#ifndef FAKE_DEFAULT_INFO_MAGIC
#define FAKE_DEFAULT_INFO_MAGIC PluginMagic
#endif
#ifndef FAKE_DEFAULT_INFO_SIZE_DELTA
#define FAKE_DEFAULT_INFO_SIZE_DELTA 0
#endif
#ifndef FAKE_DEFAULT_QUERY_ERROR
#define FAKE_DEFAULT_QUERY_ERROR nullptr
#endif
#ifndef FAKE_DEFAULT_FLAGS
#define FAKE_DEFAULT_FLAGS (StorageCanWrite | StorageCanEnumerate)
#endif
#ifndef FAKE_DEFAULT_EXTRA_KEY
#define FAKE_DEFAULT_EXTRA_KEY nullptr
#endif

namespace {

FakeControl g_control;
std::recursive_mutex g_mutex;
std::map<std::string, std::map<std::string, std::string>> g_storages;
char g_huge[16];

struct FakeAction {
  StorageActionInfo info;
  std::string* path;  // open storage, or null
};

void Defaults() {
  std::memset(&g_control, 0, sizeof g_control);
  g_control.queryError = FAKE_DEFAULT_QUERY_ERROR;
  g_control.infoMagic = FAKE_DEFAULT_INFO_MAGIC;
  g_control.infoSize = static_cast<uint32_t>(sizeof(PluginInfo) + FAKE_DEFAULT_INFO_SIZE_DELTA);
  g_control.type = PluginTypeStorage;
  g_control.flags = FAKE_DEFAULT_FLAGS;
  g_control.enumerateExtraKey = FAKE_DEFAULT_EXTRA_KEY;
  g_control.actionMagic = PluginMagic;
  g_control.actionSize = sizeof(StorageActionInfo);
  g_control.defaultExt = "db";
  g_control.openResult = g_control.checkResult = g_control.getResult = FAKE_NORMAL;
  g_control.writeResult = g_control.enumerateResult = FAKE_NORMAL;
  std::strcpy(g_control.errorText, "fake failure");
}

struct Init {
  Init() { Defaults(); }
} g_init;

FakeAction* ActionOf(StorageActionInfo* info) { return reinterpret_cast<FakeAction*>(info); }

int32_t Open(StorageActionInfo* info, const char* path) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  FakeAction* a = ActionOf(info);
  delete a->path;
  a->path = nullptr;
  if (!path) {
    ++g_control.closes;
    return 1;
  }
  ++g_control.opens;
  std::strncpy(g_control.lastOpenPath, path, sizeof g_control.lastOpenPath - 1);
  if (g_control.openResult != FAKE_NORMAL) return g_control.openResult;
  a->path = new std::string(path);
  return 1;
}

void GetErrorText(StorageActionInfo*, char* buffer, int32_t size) {
  std::strncpy(buffer, g_control.errorText, static_cast<size_t>(size));
  buffer[size - 1] = '\0';
}

uint16_t Check(StorageActionInfo* info, const char* key) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  ++g_control.checks;
  if (!ActionOf(info)->path) return StorageError;
  if (g_control.checkResult != FAKE_NORMAL) return static_cast<uint16_t>(g_control.checkResult);
  const auto& plates = g_storages[*ActionOf(info)->path];
  return plates.count(key) ? StorageOk : StorageNotFound;
}

uint16_t Get(StorageActionInfo* info, const char* key, const void** data, uint32_t* size) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  ++g_control.gets;
  if (!ActionOf(info)->path) return StorageError;
  switch (g_control.getBlock) {
    case kFakeBlockNull: *data = nullptr; *size = 100; return StorageOk;
    case kFakeBlockEmpty: *data = g_huge; *size = 0; return StorageOk;
    case kFakeBlockHuge: *data = g_huge; *size = 0x7FFFFFFF; return StorageOk;
    default: break;
  }
  if (g_control.getResult != FAKE_NORMAL) return static_cast<uint16_t>(g_control.getResult);
  const auto& plates = g_storages[*ActionOf(info)->path];
  auto it = plates.find(key);
  if (it == plates.end()) return StorageNotFound;
  *data = it->second.data();
  *size = static_cast<uint32_t>(it->second.size());
  return StorageOk;
}

uint16_t Write(StorageActionInfo* info, const char* key, const void* data, uint32_t size,
               uint32_t operation) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  ++g_control.writes;
  if (!ActionOf(info)->path) return StorageError;
  if (g_control.writeResult != FAKE_NORMAL) return static_cast<uint16_t>(g_control.writeResult);
  auto& plates = g_storages[*ActionOf(info)->path];
  if (operation == StorageWriteDelete) return plates.erase(key) ? StorageOk : StorageNotFound;
  if (operation == StorageWriteKeep && plates.count(key)) return StorageNotFound;
  plates[key] = std::string(static_cast<const char*>(data), size);
  return StorageOk;
}

uint16_t Enumerate(StorageActionInfo* info, const char* prefix, EnumerateCallback callback,
                   uint32_t mode, void* user) {
  std::map<std::string, std::string> plates;
  {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    ++g_control.enumerates;
    if (!ActionOf(info)->path) return EnumerateFailed;
    if (g_control.enumerateResult != FAKE_NORMAL)
      return static_cast<uint16_t>(g_control.enumerateResult);
    plates = g_storages[*ActionOf(info)->path];
  }
  int32_t index = 0;
  const std::size_t n = std::strlen(prefix);
  for (const auto& [key, data] : plates) {
    if (key.compare(0, n, prefix) != 0) continue;
    if (!callback(user, index++, key.c_str(), mode == EnumerateData ? data.data() : nullptr,
                  static_cast<uint32_t>(data.size())))
      return EnumerateStopped;
  }
  if (const char* extra = g_control.enumerateExtraKey) {
    static const char kData[] = "extra";
    if (!callback(user, index++, extra, kData, sizeof kData)) return EnumerateStopped;
  }
  return index == 0 ? EnumerateEmpty : EnumerateFinished;
}

const StorageActionOps kOps = {Open, GetErrorText, Check, Get, Write, Enumerate};

[[maybe_unused]] StorageActionInfo* CreateAction() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  ++g_control.creates;
  if (g_control.createReturnsNull) return nullptr;
  auto* a = new FakeAction;
  a->info = {&kOps, g_control.actionMagic, g_control.actionSize, "fake.db", g_control.defaultExt};
  a->path = nullptr;
  return &a->info;
}

[[maybe_unused]] void FreeAction(StorageActionInfo* info) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  ++g_control.frees;
  FakeAction* a = ActionOf(info);
  delete a->path;
  delete a;
}

[[maybe_unused]] void InitPlugin() { ++g_control.inits; }
[[maybe_unused]] void DonePlugin() { ++g_control.dones; }

}  // namespace

extern "C" {

TK_PLUGIN_EXPORT FakeControl* FakePluginControl(void) { return &g_control; }

TK_PLUGIN_EXPORT void FakePluginReset(void) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  Defaults();
  g_storages.clear();
}

TK_PLUGIN_EXPORT void FakePluginPut(const char* path, const char* key, const void* data,
                                    uint32_t size) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  g_storages[path][key] = std::string(static_cast<const char*>(data), size);
}

TK_PLUGIN_EXPORT int FakePluginSize(const char* path, const char* key) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  auto& plates = g_storages[path];
  auto it = plates.find(key);
  return it == plates.end() ? -1 : static_cast<int>(it->second.size());
}

#ifndef FAKE_NO_EXPORT
TK_PLUGIN_EXPORT const char* QueryPluginInterface(const PluginHostInfo* host, PluginInfo* info) {
  if (!host || host->Magic != PluginMagic) return "bad host";
  if (g_control.queryError) return g_control.queryError;
  info->Magic = g_control.infoMagic;
  info->Size = g_control.infoSize;
  info->Type = g_control.type;
  info->Description = "fake storage";
  info->Flags = g_control.flags;
  info->Init = InitPlugin;
  info->Done = DonePlugin;
  info->CreateAction = g_control.nullCreateAction ? nullptr : CreateAction;
  info->FreeAction = FreeAction;
  return nullptr;
}
#endif

}  // extern "C"
