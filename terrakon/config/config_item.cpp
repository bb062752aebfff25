#include "terrakon/config/config_item.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

namespace tk {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Splits off the first name of a path; `rest` continues after the
// separators that follow it.
std::string_view TakeName(std::string_view& rest) {
  std::size_t end = 0;
  while (end < rest.size() && !IsSeparator(rest[end])) ++end;
  std::string_view name = rest.substr(0, end);
  while (end < rest.size() && IsSeparator(rest[end])) ++end;
  rest.remove_prefix(end);
  return name;
}

bool IsIntegerType(std::uint8_t type) { return type >= kTypeUInt8 && type <= kTypeInt; }
bool IsRealType(std::uint8_t type) { return type == kTypeFloat || type == kTypeDouble; }

// The text of a block: its bytes up to the first zero.
std::string_view BlockText(const std::vector<std::uint8_t>& block) {
  const char* text = reinterpret_cast<const char*>(block.data());
  std::size_t n = block.empty() ? 0 : strnlen(text, block.size());
  return {text, n};
}

std::string_view TrimForNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

// Saturates instead of the undefined conversion of an out-of-range double.
std::int64_t TruncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

float NarrowToFloat(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

void PutLittleEndian64(std::uint64_t value, std::uint8_t* out) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GetLittleEndian64(const std::uint8_t* in) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  return value;
}

template <typename T>
constexpr std::size_t WidthOf() {
  return std::is_same_v<T, bool> ? 4 : sizeof(T);
}

}  // namespace

HConfigItem::HConfigItem(std::string name) : name_(std::move(name)) {}

HConfigItem::HConfigItem(std::string name, HConfigItem* parent)
    : name_(std::move(name)), parent_(parent) {}

HConfigItem::~HConfigItem() {
  // Take the subtree apart level by level: destroying a deep tree by
  // recursion would overflow the stack.
  std::vector<std::unique_ptr<HConfigItem>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<HConfigItem> item = std::move(pending.back());
    pending.pop_back();
    for (auto& child : item->children_) pending.push_back(std::move(child));
    item->children_.clear();
  }
}

HConfigItem* HConfigItem::FindChild(std::string_view name) const {
  for (const auto& child : children_)
    if (child->name_ == name) return child.get();
  return nullptr;
}

HConfigItem* HConfigItem::AppendChild(std::string name) {
  children_.push_back(std::unique_ptr<HConfigItem>(new HConfigItem(std::move(name), this)));
  return children_.back().get();
}

const HConfigItem* HConfigItem::Root() const {
  const HConfigItem* item = this;
  while (item->parent_) item = item->parent_;
  return item;
}

HConfigItem* HConfigItem::FindItem(std::string_view path) {
  return const_cast<HConfigItem*>(std::as_const(*this).FindItem(path));
}

const HConfigItem* HConfigItem::FindItem(std::string_view path) const {
  const HConfigItem* item = this;
  std::string_view rest = path;
  for (;;) {
    std::string_view name = TakeName(rest);
    if (name.empty()) return item;
    item = item->FindChild(name);
    if (!item || rest.empty()) return item;
  }
}

HConfigItem* HConfigItem::OpenItem(std::string_view path) {
  HConfigItem* item = this;
  std::string_view rest = path;
  for (;;) {
    std::string_view name = TakeName(rest);
    if (name.empty()) return item;
    HConfigItem* child = item->FindChild(name);
    item = child ? child : item->AppendChild(std::string(name));
    if (rest.empty()) return item;
  }
}

void HConfigItem::DeleteItem(HConfigItem* item) {
  HConfigItem* target = item ? item : this;
  if (!target->parent_ || target->Root() != Root()) return;
  auto& siblings = target->parent_->children_;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [target](const auto& child) { return child.get() == target; });
  // May destroy this item: nothing of it is touched afterwards.
  if (it != siblings.end()) siblings.erase(it);
}

void HConfigItem::ClearItems() { children_.clear(); }

std::size_t HConfigItem::ItemIndex() const {
  if (!parent_) return 0;
  const auto& siblings = parent_->children_;
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return i;
  return 0;
}

HConfigItem* HConfigItem::ItemAt(std::size_t index) const {
  return index < children_.size() ? children_[index].get() : nullptr;
}

void HConfigItem::SetNumber(std::uint8_t type, std::uint32_t value) {
  block_ = {};
  real_ = 0;
  type_ = type;
  number_ = value;
}

void HConfigItem::SetReal(std::uint8_t type, double value) {
  block_ = {};
  number_ = 0;
  type_ = type;
  real_ = value;
}

void HConfigItem::SetBlock(std::uint8_t type, std::span<const std::uint8_t> bytes) {
  number_ = 0;
  real_ = 0;
  type_ = type;
  // Copy first: the bytes may be this item's own block.
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
  block_ = std::move(copy);
}

std::uint32_t HConfigItem::NumberAt(std::size_t width) const {
  if (IsIntegerType(type_)) return number_;
  if (IsRealType(type_)) return static_cast<std::uint32_t>(TruncateToInt64(real_));
  if (type_ == kTypeBinary) {
    // A short block gives what it has; nothing past its end is read.
    std::uint32_t value = 0;
    std::size_t n = std::min({width, block_.size(), sizeof value});
    for (std::size_t i = 0; i < n; ++i) value |= static_cast<std::uint32_t>(block_[i]) << (8 * i);
    return value;
  }
  if (type_ == kTypeText) {
    std::string_view text = TrimForNumber(BlockText(block_));
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    return error == std::errc() ? static_cast<std::uint32_t>(value) : 0;
  }
  return 0;
}

double HConfigItem::RealAt(std::size_t width) const {
  if (IsIntegerType(type_)) return static_cast<double>(number_);
  if (IsRealType(type_)) return real_;
  if (type_ == kTypeBinary) {
    std::uint8_t bytes[8] = {};
    std::memcpy(bytes, block_.data(), std::min({width, block_.size(), sizeof bytes}));
    if (width == sizeof(float)) {
      float value;
      std::memcpy(&value, bytes, sizeof value);
      return value;
    }
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
  if (type_ == kTypeText) {
    std::string_view text = TrimForNumber(BlockText(block_));
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    return error == std::errc() ? value : 0;
  }
  return 0;
}

template <typename T>
T HConfigItem::ReadInteger(std::string_view path, std::uint8_t type, T defaultValue) {
  HConfigItem* item = FindItem(path);
  if (!item) {
    OpenItem(path)->SetNumber(type, static_cast<std::uint32_t>(defaultValue));
    return defaultValue;
  }
  std::uint32_t value = item->NumberAt(WidthOf<T>());
  if constexpr (std::is_same_v<T, bool>)
    return value != 0;
  else
    return static_cast<T>(value);
}

template <typename T>
T HConfigItem::ReadReal(std::string_view path, std::uint8_t type, T defaultValue) {
  HConfigItem* item = FindItem(path);
  if (!item) {
    OpenItem(path)->SetReal(type, defaultValue);
    return defaultValue;
  }
  double value = item->RealAt(sizeof(T));
  if constexpr (std::is_same_v<T, float>)
    return NarrowToFloat(value);
  else
    return value;
}

std::uint32_t HConfigItem::GetDWord(std::string_view path, std::uint32_t defaultValue) {
  return ReadInteger(path, kTypeDWord, defaultValue);
}
bool HConfigItem::GetBool(std::string_view path, bool defaultValue) {
  return ReadInteger(path, kTypeInt, defaultValue);
}
std::uint8_t HConfigItem::GetByte(std::string_view path, std::uint8_t defaultValue) {
  return ReadInteger(path, kTypeUInt8, defaultValue);
}
std::int8_t HConfigItem::GetChar(std::string_view path, std::int8_t defaultValue) {
  return ReadInteger(path, kTypeInt8, defaultValue);
}
std::uint16_t HConfigItem::GetShort(std::string_view path, std::uint16_t defaultValue) {
  return ReadInteger(path, kTypeUInt16, defaultValue);
}
std::int32_t HConfigItem::GetInt(std::string_view path, std::int32_t defaultValue) {
  return ReadInteger(path, kTypeInt, defaultValue);
}
std::uint32_t HConfigItem::GetColor(std::string_view path, std::uint32_t defaultValue) {
  return ReadInteger(path, kTypeDWord, defaultValue);
}
float HConfigItem::GetFloat(std::string_view path, float defaultValue) {
  return ReadReal(path, kTypeFloat, defaultValue);
}
double HConfigItem::GetDouble(std::string_view path, double defaultValue) {
  return ReadReal(path, kTypeDouble, defaultValue);
}

std::string HConfigItem::GetString(std::string_view path, std::string_view defaultText) {
  HConfigItem* item = FindItem(path);
  if (!item) item = OpenItem(path);
  if (item->type_ != kTypeText) {
    std::string text(defaultText);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
    item->SetBlock(kTypeText, {bytes, text.size() + 1});
  }
  return std::string(BlockText(item->block_));
}

std::span<std::uint8_t> HConfigItem::GetBinary(std::string_view path, std::span<std::uint8_t> out,
                                               std::span<const std::uint8_t> defaultBytes) {
  HConfigItem* item = FindItem(path);
  if (!item) item = OpenItem(path);
  if (item->type_ != kTypeBinary) item->SetBlock(kTypeBinary, defaultBytes);
  std::size_t n = std::min(out.size(), item->block_.size());
  std::copy_n(item->block_.begin(), n, out.begin());
  return out.first(n);
}

std::int64_t HConfigItem::GetInt64(std::string_view path, std::int64_t defaultValue) {
  std::uint8_t defaults[8];
  PutLittleEndian64(static_cast<std::uint64_t>(defaultValue), defaults);
  // A shorter block replaces only the leading bytes of the default.
  std::uint8_t bytes[8];
  std::memcpy(bytes, defaults, sizeof bytes);
  GetBinary(path, bytes, defaults);
  return static_cast<std::int64_t>(GetLittleEndian64(bytes));
}

std::uint32_t HConfigItem::SetDWord(std::string_view path, std::uint32_t value) {
  OpenItem(path)->SetNumber(kTypeDWord, value);
  return value;
}
bool HConfigItem::SetBool(std::string_view path, bool value) {
  OpenItem(path)->SetNumber(kTypeInt, value ? 1 : 0);
  return value;
}
std::uint8_t HConfigItem::SetByte(std::string_view path, std::uint8_t value) {
  OpenItem(path)->SetNumber(kTypeUInt8, value);
  return value;
}
std::int8_t HConfigItem::SetChar(std::string_view path, std::int8_t value) {
  OpenItem(path)->SetNumber(kTypeInt8, static_cast<std::uint32_t>(value));  // sign-extended
  return value;
}
std::uint16_t HConfigItem::SetShort(std::string_view path, std::uint16_t value) {
  OpenItem(path)->SetNumber(kTypeUInt16, value);
  return value;
}
std::int32_t HConfigItem::SetInt(std::string_view path, std::int32_t value) {
  OpenItem(path)->SetNumber(kTypeInt, static_cast<std::uint32_t>(value));
  return value;
}
std::uint32_t HConfigItem::SetColor(std::string_view path, std::uint32_t value) {
  OpenItem(path)->SetNumber(kTypeDWord, value);
  return value;
}
float HConfigItem::SetFloat(std::string_view path, float value) {
  OpenItem(path)->SetReal(kTypeFloat, value);
  return value;
}
double HConfigItem::SetDouble(std::string_view path, double value) {
  OpenItem(path)->SetReal(kTypeDouble, value);
  return value;
}

std::string HConfigItem::SetString(std::string_view path, std::string_view text) {
  HConfigItem* item = OpenItem(path);
  std::string stored(text);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stored.c_str());
  item->SetBlock(kTypeText, {bytes, stored.size() + 1});
  return std::string(BlockText(item->block_));
}

bool HConfigItem::SetBinary(std::string_view path, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return false;
  OpenItem(path)->SetBlock(kTypeBinary, bytes);
  return true;
}

std::int64_t HConfigItem::SetInt64(std::string_view path, std::int64_t value) {
  std::uint8_t bytes[8];
  PutLittleEndian64(static_cast<std::uint64_t>(value), bytes);
  SetBinary(path, bytes);
  return value;
}

}  // namespace tk
