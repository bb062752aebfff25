// One item of the configuration tree: a name, a typed value and an ordered
// list of owned children.
//
// Paths are relative to the item: names separated by '/' or '\'; repeated
// separators count as one; an empty path, or one that begins with a
// separator, means the item itself. Names are compared byte by byte.
//
// A typed read with a default creates the item with that default when it is
// missing, so the next save writes every setting that was read. A read of an
// item of another type converts its value and leaves the item alone, except
// GetString and GetBinary, which replace a value of another type by their
// default.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

// Value type codes, as stored in the file.
inline constexpr std::uint8_t kTypeNone = 0;
inline constexpr std::uint8_t kTypeUInt8 = 1;
inline constexpr std::uint8_t kTypeInt8 = 2;
inline constexpr std::uint8_t kTypeUInt16 = 3;
inline constexpr std::uint8_t kTypeInt16 = 4;   // no write makes it; files may carry it
inline constexpr std::uint8_t kTypeDWord = 5;   // SetDWord, SetColor
inline constexpr std::uint8_t kTypeInt = 6;     // SetInt, SetBool
inline constexpr std::uint8_t kTypeFloat = 7;
inline constexpr std::uint8_t kTypeDouble = 8;
inline constexpr std::uint8_t kTypeBinary = 9;
inline constexpr std::uint8_t kTypeText = 10;   // block holds the text and its zero
inline constexpr std::uint8_t kTypeLast = kTypeText;

class HConfigItem {
 public:
  // A root item (no parent).
  explicit HConfigItem(std::string name = {});
  ~HConfigItem();
  HConfigItem(const HConfigItem&) = delete;
  HConfigItem& operator=(const HConfigItem&) = delete;

  // Found, else created with every missing item on the way (type 0).
  HConfigItem* OpenItem(std::string_view path);
  HConfigItem* FindItem(std::string_view path);
  const HConfigItem* FindItem(std::string_view path) const;

  // Deletes `item` (or this item when null) with all its children. An item
  // of another tree, or one without parent, is left alone.
  void DeleteItem(HConfigItem* item = nullptr);
  void ClearItems();

  std::size_t ItemCount() const { return children_.size(); }
  std::size_t ItemIndex() const;  // 0 without parent
  HConfigItem* ItemAt(std::size_t index) const;
  HConfigItem* ItemParent() const { return parent_; }
  std::uint8_t ItemType() const { return type_; }
  const std::string& ItemName() const { return name_; }
  // The stored bytes of a binary or text item (a text with its zero).
  std::span<const std::uint8_t> ItemBlock() const { return block_; }

  std::uint32_t GetDWord(std::string_view path, std::uint32_t defaultValue);
  bool GetBool(std::string_view path, bool defaultValue);
  std::int64_t GetInt64(std::string_view path, std::int64_t defaultValue);
  std::uint8_t GetByte(std::string_view path, std::uint8_t defaultValue);
  std::int8_t GetChar(std::string_view path, std::int8_t defaultValue);
  std::uint16_t GetShort(std::string_view path, std::uint16_t defaultValue);
  std::int32_t GetInt(std::string_view path, std::int32_t defaultValue);
  float GetFloat(std::string_view path, float defaultValue);
  double GetDouble(std::string_view path, double defaultValue);
  std::uint32_t GetColor(std::string_view path, std::uint32_t defaultValue);  // 0x00BBGGRR
  // The text up to its first zero byte.
  std::string GetString(std::string_view path, std::string_view defaultText);
  // Creates the item from `defaultBytes` when missing or not binary, then
  // copies min(stored size, out.size()) bytes into `out`; returns that part.
  std::span<std::uint8_t> GetBinary(std::string_view path, std::span<std::uint8_t> out,
                                    std::span<const std::uint8_t> defaultBytes);

  // Each write gives the item the write's type and returns the value.
  std::uint32_t SetDWord(std::string_view path, std::uint32_t value);
  bool SetBool(std::string_view path, bool value);
  std::int64_t SetInt64(std::string_view path, std::int64_t value);  // 8 bytes, little-endian
  std::uint8_t SetByte(std::string_view path, std::uint8_t value);
  std::int8_t SetChar(std::string_view path, std::int8_t value);
  std::uint16_t SetShort(std::string_view path, std::uint16_t value);
  std::int32_t SetInt(std::string_view path, std::int32_t value);
  float SetFloat(std::string_view path, float value);
  double SetDouble(std::string_view path, double value);
  std::uint32_t SetColor(std::string_view path, std::uint32_t value);
  std::string SetString(std::string_view path, std::string_view text);
  // Writing no bytes stores nothing: no item is created and an existing one
  // keeps its contents. Returns whether the bytes were stored.
  bool SetBinary(std::string_view path, std::span<const std::uint8_t> bytes);

 private:
  friend class TreeReader;
  friend class TreeWriter;

  HConfigItem(std::string name, HConfigItem* parent);
  HConfigItem* AppendChild(std::string name);
  HConfigItem* FindChild(std::string_view name) const;
  const HConfigItem* Root() const;

  void SetNumber(std::uint8_t type, std::uint32_t value);
  void SetReal(std::uint8_t type, double value);
  void SetBlock(std::uint8_t type, std::span<const std::uint8_t> bytes);
  // The value as a 32-bit integer and as a float (step 3 of a typed read).
  std::uint32_t NumberAt(std::size_t width) const;
  double RealAt(std::size_t width) const;

  template <typename T>
  T ReadInteger(std::string_view path, std::uint8_t type, T defaultValue);
  template <typename T>
  T ReadReal(std::string_view path, std::uint8_t type, T defaultValue);

  std::string name_;
  HConfigItem* parent_ = nullptr;
  std::vector<std::unique_ptr<HConfigItem>> children_;
  std::uint8_t type_ = kTypeNone;
  std::uint32_t number_ = 0;          // codes 1 to 6, zero- or sign-extended
  double real_ = 0;                   // codes 7 and 8; a float is kept widened
  std::vector<std::uint8_t> block_;   // codes 9 and 10
};

}  // namespace tk
