#include "common/plugin_host.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/error.h"
#include "common/paths.h"
#include "common/storage_action.h"

namespace tk {
namespace {

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void SetLoaderError() {
  const char* text = ::dlerror();
  SetErrorText("%s", text ? text : "Cannot load library");
}

}  // namespace

GBasePlugin::GBasePlugin(void* module, const PluginInfo& info, std::string libraryName)
    : module_(module), info_(info), libraryName_(std::move(libraryName)) {}

GBasePlugin::~GBasePlugin() {
  // Cleared before the call, so that a callback that clears it again is harmless.
  PluginFreeCallback callback = onFree_;
  void* data = onFreeData_;
  onFree_ = nullptr;
  onFreeData_ = nullptr;
  if (callback) callback(data, this);
  if (module_) {
    while (!actions_.empty()) FreeAction(actions_.back().get());
    if (info_.Done) info_.Done();
    ClosePluginLibrary(module_);
    module_ = nullptr;
  }
  actions_.clear();
}

void GBasePlugin::SetOnFree(PluginFreeCallback callback, void* data) {
  onFree_ = callback;
  onFreeData_ = callback ? data : nullptr;
}

void GBasePlugin::AppendAction(std::unique_ptr<GPluginAction> action) {
  actions_.push_back(std::move(action));
}

void GBasePlugin::FreeAction(GPluginAction* action) {
  auto it = std::find_if(actions_.begin(), actions_.end(),
                         [action](const auto& owned) { return owned.get() == action; });
  if (it == actions_.end()) return;
  std::unique_ptr<GPluginAction> owned = std::move(*it);
  actions_.erase(it);
  StorageActionInfo* record = owned->Record();
  owned.reset();
  if (info_.FreeAction) info_.FreeAction(record);
}

std::string PluginLibraryName(std::string_view path) {
  std::string name = StoredPath(path);
  if (name.size() > kMaxPath) {
    SetLastError(ENAMETOOLONG);
    return {};
  }
  return name;
}

void* OpenPluginLibrary(const std::string& libraryName) {
  std::string target = libraryName;
  if (!IsAbsolutePath(libraryName)) {
    // Beside the program first, as the program's own libraries are.
    const std::string beside = ProgramRelativePath(libraryName);
    if (IsFile(beside))
      target = beside;
    else if (IsFile(libraryName))
      target = libraryName.find('/') == std::string::npos ? "./" + libraryName : libraryName;
  }
  ::dlerror();
  void* module = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) SetLoaderError();
  return module;
}

void ClosePluginLibrary(void* module) {
  if (module) ::dlclose(module);
}

const char* PluginTypeName(std::int64_t type) {
  return type == PluginTypeStorage ? "Storage" : "<Unknown>";
}

std::unique_ptr<GStoragePlugin> LoadPlugin(std::string_view libraryPath,
                                           const PluginHostInfo* host, int requestedType) {
  std::string name = PluginLibraryName(libraryPath);
  if (name.empty()) {
    if (GetLastError() != ENAMETOOLONG) SetLastError(kErrorFileNotFound);
    return nullptr;
  }
  void* module = OpenPluginLibrary(name);
  if (!module) return nullptr;

  auto fail = [module]() -> std::unique_ptr<GStoragePlugin> {
    ErrorNumberKeeper keep;
    ClosePluginLibrary(module);
    return nullptr;
  };

  ::dlerror();
  auto query = reinterpret_cast<QueryPluginInterfaceFunc>(::dlsym(module, QueryPluginInterfaceName));
  if (!query) {
    SetLoaderError();
    return fail();
  }
  // Cleared, so that fields a plugin leaves out read as null, not as garbage.
  PluginInfo info;
  std::memset(&info, 0, sizeof info);
  if (const char* problem = query(host, &info)) {
    SetErrorText("Plugin init error: %s", problem);
    return fail();
  }
  if (info.Magic != PluginMagic) {
    SetLastError(kErrorBadMagic);
    return fail();
  }
  if (info.Size < sizeof(PluginInfo)) {
    SetLastError(kErrorUnexpectedData);
    return fail();
  }
  if (requestedType != kAnyPluginType && static_cast<std::uint32_t>(requestedType) != info.Type) {
    SetErrorText("Plugin %s is not requested %s type plugin", name.c_str(),
                 PluginTypeName(requestedType));
    return fail();
  }
  if (info.Type != PluginTypeStorage) {
    SetErrorText("Plugin is of unknown type: %d (Desc: %s)", static_cast<int>(info.Type),
                 info.Description ? info.Description : "");
    return fail();
  }
  // Without these the host could not create or give back an action.
  if (!info.CreateAction || !info.FreeAction) {
    SetLastError(kErrorUnexpectedData);
    return fail();
  }
  auto plugin = std::make_unique<GStoragePlugin>(module, info, std::move(name));
  if (info.Init) info.Init();
  return plugin;
}

GStorageAction* CreateStorageAction(GStoragePlugin& plugin) {
  StorageActionInfo* record = plugin.Info().CreateAction();
  if (!record) {
    SetErrorText("Error requesting new action from plugin");
    return nullptr;
  }
  if (record->Magic != PluginMagic) {
    plugin.Info().FreeAction(record);
    SetLastError(kErrorBadMagic);
    return nullptr;
  }
  if (record->Size < sizeof(StorageActionInfo) || !record->Ops) {
    plugin.Info().FreeAction(record);
    SetLastError(kErrorUnexpectedData);
    return nullptr;
  }
  auto action = std::make_unique<GStorageAction>(record, &plugin);
  GStorageAction* result = action.get();
  plugin.AppendAction(std::move(action));
  return result;
}

void FreeStorageAction(GStoragePlugin& plugin, GStorageAction* action) {
  plugin.FreeAction(action);
}

}  // namespace tk
