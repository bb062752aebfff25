#include "terrakon/config/storage_link.h"

#include "terrakon/config/cfg_storage.h"

namespace tk {

HStorageLink::HStorageLink(HCfgStorage* storage, std::string_view keyPath) : keyPath_(keyPath) {
  SetStorage(storage);
}

HStorageLink::~HStorageLink() { SetStorage(nullptr); }

void HStorageLink::SetStorage(HCfgStorage* storage) {
  if (storage == storage_) return;
  if (storage_) storage_->Unbind(this);
  storage_ = storage;
  if (storage_) storage_->Bind(this);
}

HConfigItem* HStorageLink::LinkItem() const {
  return storage_ ? storage_->Root().OpenItem(keyPath_) : nullptr;
}

HConfigItem* HStorageLink::SubItem(std::string_view name) const {
  HConfigItem* item = LinkItem();
  return item ? item->OpenItem(name) : nullptr;
}

std::int32_t HStorageLink::GetInt(std::string_view path, std::int32_t defaultValue) const {
  HConfigItem* item = LinkItem();
  return item ? item->GetInt(path, defaultValue) : defaultValue;
}
std::int64_t HStorageLink::GetInt64(std::string_view path, std::int64_t defaultValue) const {
  HConfigItem* item = LinkItem();
  return item ? item->GetInt64(path, defaultValue) : defaultValue;
}
bool HStorageLink::GetBool(std::string_view path, bool defaultValue) const {
  HConfigItem* item = LinkItem();
  return item ? item->GetBool(path, defaultValue) : defaultValue;
}
std::uint32_t HStorageLink::GetColor(std::string_view path, std::uint32_t defaultValue) const {
  HConfigItem* item = LinkItem();
  return item ? item->GetColor(path, defaultValue) : defaultValue;
}
std::string HStorageLink::GetString(std::string_view path, std::string_view defaultText) const {
  HConfigItem* item = LinkItem();
  return item ? item->GetString(path, defaultText) : std::string(defaultText);
}

std::int32_t HStorageLink::SetInt(std::string_view path, std::int32_t value) const {
  HConfigItem* item = LinkItem();
  return item ? item->SetInt(path, value) : value;
}
std::int64_t HStorageLink::SetInt64(std::string_view path, std::int64_t value) const {
  HConfigItem* item = LinkItem();
  return item ? item->SetInt64(path, value) : value;
}
bool HStorageLink::SetBool(std::string_view path, bool value) const {
  HConfigItem* item = LinkItem();
  return item ? item->SetBool(path, value) : value;
}
std::uint32_t HStorageLink::SetColor(std::string_view path, std::uint32_t value) const {
  HConfigItem* item = LinkItem();
  return item ? item->SetColor(path, value) : value;
}
std::string HStorageLink::SetString(std::string_view path, std::string_view text) const {
  HConfigItem* item = LinkItem();
  return item ? item->SetString(path, text) : std::string(text);
}

}  // namespace tk
