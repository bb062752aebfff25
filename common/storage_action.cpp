#include "common/storage_action.h"

#include <cerrno>

#include "common/error.h"
#include "common/paths.h"
#include "common/plugin_host.h"

namespace tk {

GPluginAction::~GPluginAction() {
  ActionDestroyCallback callback = onDestroy_;
  void* data = onDestroyData_;
  onDestroy_ = nullptr;
  onDestroyData_ = nullptr;
  if (callback) callback(data, this);
}

void GPluginAction::SetOnDestroy(ActionDestroyCallback callback, void* data) {
  onDestroy_ = callback;
  onDestroyData_ = callback ? data : nullptr;
}

GStorageAction::GStorageAction(StorageActionInfo* record, GStoragePlugin* plugin)
    : GPluginAction(record, plugin) {}

GStorageAction::~GStorageAction() {
  if (opened_) {
    ErrorNumberKeeper keep;
    Close();
  }
}

GStoragePlugin* GStorageAction::StoragePlugin() const {
  return static_cast<GStoragePlugin*>(Plugin());
}

const char* GStorageAction::DefaultPath() const {
  const char* text = Record()->DefaultPath;
  return text ? text : "";
}

const char* GStorageAction::DefaultExt() const {
  const char* text = Record()->DefaultExt;
  return text ? text : "";
}

std::string StorageOpenName(std::string_view path, bool usesDir, std::string_view defaultExt) {
  std::string name(path);
  if (!usesDir) {
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (name.find('.', start) == std::string::npos && !defaultExt.empty()) {
      name += '.';
      name += defaultExt;
    }
  }
  // A cut name would open some other storage.
  if (name.size() > kMaxPath) {
    SetLastError(ENAMETOOLONG);
    return {};
  }
  return name;
}

bool GStorageAction::Usable(bool hasOp) {
  if (!opened_) {
    SetLastError(kErrorNotReady);
    return false;
  }
  if (!hasOp) {
    SetErrorText("Plugin does not support this operation");
    return false;
  }
  return true;
}

int GStorageAction::PluginResult(std::uint16_t result, bool passStopped) {
  if (result == StorageOk || result == StorageNotFound) return result;
  if (passStopped && result == EnumerateStopped) return result;
  char buffer[PluginErrorTextBytes] = "";
  if (Record()->Ops->GetErrorText) Record()->Ops->GetErrorText(Record(), buffer, sizeof buffer);
  buffer[sizeof buffer - 1] = '\0';
  SetErrorText("%s", buffer);
  return StorageError;
}

bool GStorageAction::Open(std::string_view path) {
  const StorageActionOps* ops = Record()->Ops;
  if (opened_) {
    if (ops->Open) ops->Open(Record(), nullptr);
    opened_ = false;
    openedPath_.clear();
  }
  if (path.empty()) return true;
  std::string name = StorageOpenName(path, StoragePlugin()->UsesDir(), DefaultExt());
  if (name.empty()) return false;
  if (!ops->Open) {
    SetErrorText("Plugin does not support this operation");
    return false;
  }
  if (ops->Open(Record(), name.c_str()) == 0) {
    PluginResult(StorageError, false);
    return false;
  }
  openedPath_ = std::move(name);
  opened_ = true;
  return true;
}

bool GStorageAction::Close() { return Open({}); }

int GStorageAction::Check(const std::string& key) {
  const StorageActionOps* ops = Record()->Ops;
  if (!Usable(ops->Check != nullptr)) return StorageError;
  return PluginResult(ops->Check(Record(), key.c_str()), false);
}

int GStorageAction::Get(const std::string& key, const void** data, std::uint32_t* size) {
  *data = nullptr;
  *size = 0;
  const StorageActionOps* ops = Record()->Ops;
  if (!Usable(ops->Get != nullptr)) return StorageError;
  return PluginResult(ops->Get(Record(), key.c_str(), data, size), false);
}

int GStorageAction::Write(const std::string& key, const void* data, std::uint32_t size,
                          std::uint32_t operation) {
  const StorageActionOps* ops = Record()->Ops;
  if (opened_ && !StoragePlugin()->CanWrite()) {
    SetErrorText("Plugin does not support write operations");
    return StorageError;
  }
  if (!Usable(ops->Write != nullptr)) return StorageError;
  return PluginResult(ops->Write(Record(), key.c_str(), data, size, operation), false);
}

int GStorageAction::Enumerate(const std::string& prefix, EnumerateCallback callback,
                              std::uint32_t mode, void* user) {
  const StorageActionOps* ops = Record()->Ops;
  if (!Usable(ops->Enumerate != nullptr)) return StorageError;
  return PluginResult(ops->Enumerate(Record(), prefix.c_str(), callback, mode, user), true);
}

}  // namespace tk
