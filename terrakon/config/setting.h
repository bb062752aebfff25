// Typed settings: a key with its stored type and default, read and written
// through a link, so that every read of a key uses the same default.
//
//   int count = settings::MaxCount.Get(link);
//   settings::MaxCount.Set(link, 200);
//
// Rows whose default depends on the program's state take it from the caller
// (CallerDefaultSetting); rows whose key holds "%d" are one key per index
// (IndexedSetting); a window key holds a window placement (WindowSetting).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "terrakon/config/storage_link.h"
#include "terrakon/config/window_placement.h"

namespace tk {

enum class SettingKind : std::uint8_t {
  kBool,    // type 6 holding 0 or 1
  kInt,     // type 6
  kColor,   // type 5, 0x00BBGGRR
  kText,    // type 10
  kInt64,   // binary item of 8 bytes
  kWindow,  // item with "X", "Y", "W", "H", "WindowState"
};

enum class SettingDefault : std::uint8_t { kTable, kCaller };

// One row of a settings table, without its C++ type.
struct SettingRow {
  std::string_view key;
  SettingKind kind;
  SettingDefault defaultFrom;
  std::int64_t number;    // default of bool, int, colour and int64 rows
  std::string_view text;  // default of text rows
};

template <SettingKind K>
struct SettingTraits;

template <>
struct SettingTraits<SettingKind::kBool> {
  using Value = bool;
  using Default = bool;
  static bool Get(const HStorageLink& l, std::string_view k, bool d) { return l.GetBool(k, d); }
  static bool Set(const HStorageLink& l, std::string_view k, bool v) { return l.SetBool(k, v); }
};

template <>
struct SettingTraits<SettingKind::kInt> {
  using Value = std::int32_t;
  using Default = std::int32_t;
  static Value Get(const HStorageLink& l, std::string_view k, Value d) { return l.GetInt(k, d); }
  static Value Set(const HStorageLink& l, std::string_view k, Value v) { return l.SetInt(k, v); }
};

template <>
struct SettingTraits<SettingKind::kColor> {
  using Value = std::uint32_t;
  using Default = std::uint32_t;
  static Value Get(const HStorageLink& l, std::string_view k, Value d) { return l.GetColor(k, d); }
  static Value Set(const HStorageLink& l, std::string_view k, Value v) { return l.SetColor(k, v); }
};

template <>
struct SettingTraits<SettingKind::kInt64> {
  using Value = std::int64_t;
  using Default = std::int64_t;
  static Value Get(const HStorageLink& l, std::string_view k, Value d) { return l.GetInt64(k, d); }
  static Value Set(const HStorageLink& l, std::string_view k, Value v) { return l.SetInt64(k, v); }
};

template <>
struct SettingTraits<SettingKind::kText> {
  using Value = std::string;
  using Default = std::string_view;
  static Value Get(const HStorageLink& l, std::string_view k, Default d) {
    return l.GetString(k, d);
  }
  static Value Set(const HStorageLink& l, std::string_view k, Default v) {
    return l.SetString(k, v);
  }
};

template <typename Default>
constexpr std::int64_t RowNumber(Default value) {
  if constexpr (std::is_same_v<Default, std::string_view>)
    return 0;
  else
    return static_cast<std::int64_t>(value);
}

template <typename Default>
constexpr std::string_view RowText(Default value) {
  if constexpr (std::is_same_v<Default, std::string_view>)
    return value;
  else
    return {};
}

template <SettingKind K>
class Setting {
 public:
  using Value = typename SettingTraits<K>::Value;
  using Default = typename SettingTraits<K>::Default;

  constexpr Setting(std::string_view key, Default defaultValue)
      : key_(key), default_(defaultValue) {}

  Value Get(const HStorageLink& link) const { return SettingTraits<K>::Get(link, key_, default_); }
  Value Set(const HStorageLink& link, Default value) const {
    return SettingTraits<K>::Set(link, key_, value);
  }

  constexpr std::string_view Key() const { return key_; }
  constexpr Default DefaultValue() const { return default_; }
  constexpr SettingRow Row() const {
    return {key_, K, SettingDefault::kTable, RowNumber(default_), RowText(default_)};
  }

 private:
  std::string_view key_;
  Default default_;
};

template <SettingKind K>
class CallerDefaultSetting {
 public:
  using Value = typename SettingTraits<K>::Value;
  using Default = typename SettingTraits<K>::Default;

  constexpr explicit CallerDefaultSetting(std::string_view key) : key_(key) {}

  Value Get(const HStorageLink& link, Default defaultValue) const {
    return SettingTraits<K>::Get(link, key_, defaultValue);
  }
  Value Set(const HStorageLink& link, Default value) const {
    return SettingTraits<K>::Set(link, key_, value);
  }

  constexpr std::string_view Key() const { return key_; }
  constexpr SettingRow Row() const { return {key_, K, SettingDefault::kCaller, 0, {}}; }

 private:
  std::string_view key_;
};

// The key of index `index` of a pattern with one "%d".
std::string IndexedKey(std::string_view pattern, int index);

template <SettingKind K>
class IndexedSetting {
 public:
  using Value = typename SettingTraits<K>::Value;
  using Default = typename SettingTraits<K>::Default;

  constexpr explicit IndexedSetting(std::string_view pattern) : pattern_(pattern) {}

  std::string Key(int index) const { return IndexedKey(pattern_, index); }
  Value Get(const HStorageLink& link, int index, Default defaultValue) const {
    return SettingTraits<K>::Get(link, Key(index), defaultValue);
  }
  Value Set(const HStorageLink& link, int index, Default value) const {
    return SettingTraits<K>::Set(link, Key(index), value);
  }

  constexpr SettingRow Row() const { return {pattern_, K, SettingDefault::kCaller, 0, {}}; }

 private:
  std::string_view pattern_;
};

class WindowSetting {
 public:
  constexpr explicit WindowSetting(std::string_view key) : key_(key) {}

  HConfigItem* Item(const HStorageLink& link) const { return link.SubItem(key_); }
  WindowPlacement Load(const HStorageLink& link, const WindowPlacement& current, int screenWidth,
                       int screenHeight) const {
    return LoadWindowPlacement(Item(link), current, screenWidth, screenHeight);
  }
  void Save(const HStorageLink& link, const WindowPlacement& placement) const {
    SaveWindowPlacement(Item(link), placement);
  }

  constexpr std::string_view Key() const { return key_; }
  constexpr SettingRow Row() const {
    return {key_, SettingKind::kWindow, SettingDefault::kTable, 0, {}};
  }

 private:
  std::string_view key_;
};

using BoolSetting = Setting<SettingKind::kBool>;
using IntSetting = Setting<SettingKind::kInt>;
using ColorSetting = Setting<SettingKind::kColor>;
using TextSetting = Setting<SettingKind::kText>;
using Int64Setting = Setting<SettingKind::kInt64>;

}  // namespace tk
