// A component's view of the settings: a key path below the store's root and
// the typed reads and writes relative to it. Without a store every read
// returns its default and every write its argument.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "terrakon/config/config_item.h"

namespace tk {

class HCfgStorage;

class HStorageLink {
 public:
  using Event = std::function<void(HCfgStorage&)>;

  HStorageLink() = default;
  explicit HStorageLink(HCfgStorage* storage, std::string_view keyPath = {});
  ~HStorageLink();  // leaves the store's list
  HStorageLink(const HStorageLink&) = delete;
  HStorageLink& operator=(const HStorageLink&) = delete;

  HCfgStorage* Storage() const { return storage_; }
  // Leaves the old store's list and joins the end of the new one's.
  void SetStorage(HCfgStorage* storage);
  // Names separated by '/' or '\'; looked up afresh by every operation.
  const std::string& KeyPath() const { return keyPath_; }
  void SetKeyPath(std::string_view keyPath) { keyPath_ = keyPath; }

  // The item at KeyPath, created when missing; null without a store.
  HConfigItem* LinkItem() const;
  HConfigItem* SubItem(std::string_view name) const;

  std::int32_t GetInt(std::string_view path, std::int32_t defaultValue) const;
  std::int64_t GetInt64(std::string_view path, std::int64_t defaultValue) const;
  bool GetBool(std::string_view path, bool defaultValue) const;
  std::uint32_t GetColor(std::string_view path, std::uint32_t defaultValue) const;
  std::string GetString(std::string_view path, std::string_view defaultText) const;
  std::int32_t SetInt(std::string_view path, std::int32_t value) const;
  std::int64_t SetInt64(std::string_view path, std::int64_t value) const;
  bool SetBool(std::string_view path, bool value) const;
  std::uint32_t SetColor(std::string_view path, std::uint32_t value) const;
  std::string SetString(std::string_view path, std::string_view text) const;

  Event OnSave;  // called with the store before it saves
  Event OnLoad;  // called with the store after it loaded

 private:
  friend class HCfgStorage;

  HCfgStorage* storage_ = nullptr;
  std::string keyPath_;
};

}  // namespace tk
