#include "terrakon/config/config_item.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace tk {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BlockOf(const HConfigItem* item) {
  auto block = item->ItemBlock();
  return {block.begin(), block.end()};
}

TEST(ConfigItem, ReadOfMissingKeyCreatesItWithTheDefault) {
  HConfigItem root;
  EXPECT_EQ(root.GetInt("X", -1), -1);
  const HConfigItem* x = root.FindItem("X");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->ItemType(), kTypeInt);
  root.SetInt("X", 7);
  EXPECT_EQ(root.GetInt("X", -1), 7);  // the stored value wins over the default

  // Every typed read leaves an item of its own type.
  struct Case {
    const char* key;
    std::function<void(HConfigItem&)> read;
    std::uint8_t type;
    std::size_t blockSize;
  } cases[] = {
      {"dword", [](HConfigItem& r) { EXPECT_EQ(r.GetDWord("dword", 5u), 5u); }, kTypeDWord, 0},
      {"bool", [](HConfigItem& r) { EXPECT_TRUE(r.GetBool("bool", true)); }, kTypeInt, 0},
      {"byte", [](HConfigItem& r) { EXPECT_EQ(r.GetByte("byte", 200), 200); }, kTypeUInt8, 0},
      {"char", [](HConfigItem& r) { EXPECT_EQ(r.GetChar("char", -3), -3); }, kTypeInt8, 0},
      {"short", [](HConfigItem& r) { EXPECT_EQ(r.GetShort("short", 60000), 60000); }, kTypeUInt16,
       0},
      {"float", [](HConfigItem& r) { EXPECT_EQ(r.GetFloat("float", 1.5f), 1.5f); }, kTypeFloat, 0},
      {"double", [](HConfigItem& r) { EXPECT_EQ(r.GetDouble("double", 0.1), 0.1); }, kTypeDouble,
       0},
      {"color", [](HConfigItem& r) { EXPECT_EQ(r.GetColor("color", 0xFF00u), 0xFF00u); },
       kTypeDWord, 0},
      {"text", [](HConfigItem& r) { EXPECT_EQ(r.GetString("text", "abc"), "abc"); }, kTypeText, 4},
      {"int64", [](HConfigItem& r) { EXPECT_EQ(r.GetInt64("int64", -5), -5); }, kTypeBinary, 8},
  };
  for (const Case& c : cases) {
    c.read(root);
    const HConfigItem* item = root.FindItem(c.key);
    ASSERT_NE(item, nullptr) << c.key;
    EXPECT_EQ(item->ItemType(), c.type) << c.key;
    EXPECT_EQ(item->ItemBlock().size(), c.blockSize) << c.key;
    c.read(root);  // the second read finds the stored default
  }
}

TEST(ConfigItem, SetStringWithTwoNamesCreatesAValuelessParent) {
  HConfigItem root;
  EXPECT_EQ(root.SetString("A/B", "x"), "x");
  ASSERT_EQ(root.ItemCount(), 1u);
  const HConfigItem* a = root.ItemAt(0);
  EXPECT_EQ(a->ItemName(), "A");
  EXPECT_EQ(a->ItemType(), kTypeNone);
  ASSERT_EQ(a->ItemCount(), 1u);
  EXPECT_EQ(a->ItemAt(0)->ItemType(), kTypeText);
  EXPECT_EQ(BlockOf(a->ItemAt(0)), (Bytes{'x', 0}));
}

// A read of another type converts the stored value and leaves the item as it is.
TEST(ConfigItem, ReadsConvertOtherTypes) {
  struct Case {
    const char* what;
    std::function<void(HConfigItem&)> store;
    std::function<double(HConfigItem&)> read;
    double expected;
  } cases[] = {
      {"text 1 as bool", [](HConfigItem& r) { r.SetString("k", "1"); },
       [](HConfigItem& r) { return r.GetBool("k", false); }, 1},
      {"text 0 as bool", [](HConfigItem& r) { r.SetString("k", "0"); },
       [](HConfigItem& r) { return r.GetBool("k", true); }, 0},
      {"text 255 as colour", [](HConfigItem& r) { r.SetString("k", "255"); },
       [](HConfigItem& r) { return r.GetColor("k", 0); }, 255},
      {"text with sign", [](HConfigItem& r) { r.SetString("k", " -12"); },
       [](HConfigItem& r) { return r.GetInt("k", 0); }, -12},
      {"text not a number", [](HConfigItem& r) { r.SetString("k", "abc"); },
       [](HConfigItem& r) { return r.GetInt("k", 9); }, 0},
      {"text as double", [](HConfigItem& r) { r.SetString("k", "2.5"); },
       [](HConfigItem& r) { return r.GetDouble("k", 0); }, 2.5},
      {"text 2.5 as int", [](HConfigItem& r) { r.SetString("k", "2.5"); },
       [](HConfigItem& r) { return r.GetInt("k", 0); }, 2},
      {"double truncated toward zero", [](HConfigItem& r) { r.SetDouble("k", -2.7); },
       [](HConfigItem& r) { return r.GetInt("k", 0); }, -2},
      {"int low byte", [](HConfigItem& r) { r.SetInt("k", 300); },
       [](HConfigItem& r) { return r.GetByte("k", 0); }, 44},
      {"char sign-extended", [](HConfigItem& r) { r.SetChar("k", -1); },
       [](HConfigItem& r) { return r.GetInt("k", 0); }, -1},
      {"int as unsigned double", [](HConfigItem& r) { r.SetInt("k", -1); },
       [](HConfigItem& r) { return r.GetDouble("k", 0); }, 4294967295.0},
      {"double narrowed", [](HConfigItem& r) { r.SetDouble("k", 0.1); },
       [](HConfigItem& r) { return r.GetFloat("k", 0); }, static_cast<double>(0.1f)},
      {"float widened", [](HConfigItem& r) { r.SetFloat("k", 0.1f); },
       [](HConfigItem& r) { return r.GetDouble("k", 0); }, static_cast<double>(0.1f)},
      {"huge double as float", [](HConfigItem& r) { r.SetDouble("k", 1e300); },
       [](HConfigItem& r) { return r.GetFloat("k", 0); }, HUGE_VAL},
      {"NaN as int", [](HConfigItem& r) { r.SetDouble("k", std::nan("")); },
       [](HConfigItem& r) { return r.GetInt("k", 5); }, 0},
      {"binary leading bytes", [](HConfigItem& r) { r.SetBinary("k", Bytes{1, 2, 3, 4, 5}); },
       [](HConfigItem& r) { return r.GetInt("k", 0); }, 0x04030201},
      {"short binary as int", [](HConfigItem& r) { r.SetBinary("k", Bytes{7}); },
       [](HConfigItem& r) { return r.GetInt("k", 0); }, 7},
      {"short binary as double", [](HConfigItem& r) { r.SetBinary("k", Bytes{0, 0}); },
       [](HConfigItem& r) { return r.GetDouble("k", 1); }, 0},
      {"no value", [](HConfigItem& r) { r.OpenItem("k"); },
       [](HConfigItem& r) { return r.GetInt("k", 5); }, 0},
  };
  for (const Case& c : cases) {
    HConfigItem root;
    c.store(root);
    const std::uint8_t type = root.FindItem("k")->ItemType();
    EXPECT_EQ(c.read(root), c.expected) << c.what;
    EXPECT_EQ(root.FindItem("k")->ItemType(), type) << c.what;
  }
}

TEST(ConfigItem, StringAndBinaryReadsReplaceAnotherType) {
  HConfigItem root;
  root.SetInt("n", 5);
  EXPECT_EQ(root.GetString("n", "d"), "d");
  EXPECT_EQ(root.FindItem("n")->ItemType(), kTypeText);
  EXPECT_EQ(BlockOf(root.FindItem("n")), (Bytes{'d', 0}));

  root.SetString("t", "12");
  EXPECT_EQ(root.GetInt64("t", 0x1122334455667788), 0x1122334455667788);
  EXPECT_EQ(root.FindItem("t")->ItemType(), kTypeBinary);
  EXPECT_EQ(root.FindItem("t")->ItemBlock().size(), 8u);

  // A shorter block replaces only the leading bytes of the default.
  root.SetBinary("short", Bytes{1, 2, 3});
  EXPECT_EQ(root.GetInt64("short", 0x1122334455667788), 0x1122334455030201);
  EXPECT_EQ(root.SetInt64("big", -2), -2);
  EXPECT_EQ(root.GetInt64("big", 0), -2);

  std::uint8_t out[4] = {9, 9, 9, 9};
  root.SetBinary("b", Bytes{1, 2});
  EXPECT_EQ(root.GetBinary("b", out, Bytes{7, 7, 7, 7}).size(), 2u);
  EXPECT_EQ(Bytes(out, out + 4), (Bytes{1, 2, 9, 9}));
}

TEST(ConfigItem, BinaryWriteOfNoBytesStoresNothing) {
  HConfigItem root;
  EXPECT_FALSE(root.SetBinary("a/b", {}));
  EXPECT_EQ(root.ItemCount(), 0u);
  root.SetBinary("k", Bytes{1, 2});
  EXPECT_FALSE(root.SetBinary("k", {}));
  EXPECT_EQ(BlockOf(root.FindItem("k")), (Bytes{1, 2}));
  // An empty text still stores its zero.
  root.SetString("s", "");
  EXPECT_EQ(BlockOf(root.FindItem("s")), (Bytes{0}));
}

TEST(ConfigItem, PathRules) {
  HConfigItem root;
  HConfigItem* a = root.OpenItem("a");
  HConfigItem* b = root.OpenItem("a/b");
  HConfigItem* c = root.OpenItem("a\\b\\c");
  ASSERT_EQ(a->ItemCount(), 1u);
  ASSERT_EQ(b->ItemCount(), 1u);
  struct Case {
    const char* path;
    const HConfigItem* found;
  } cases[] = {
      {"a", a},          {"a/b", b},    {"a\\b", b},    {"a//b", b},       {"a\\/b/", b},
      {"a/b/c//", c},    {"", &root},   {"/a", &root},  {"\\a/b", &root},  {"A", nullptr},
      {"a/x", nullptr},  {"a/B", nullptr}, {"b", nullptr},
  };
  for (const Case& t : cases) EXPECT_EQ(root.FindItem(t.path), t.found) << t.path;
  EXPECT_EQ(b->FindItem("/c"), b);
  EXPECT_EQ(b->FindItem("c"), c);

  // Leading separators open the item itself and create nothing.
  EXPECT_EQ(root.OpenItem("//x"), &root);
  EXPECT_EQ(root.ItemCount(), 1u);
  EXPECT_EQ(root.OpenItem("a///b"), b);

  // Names differing only in case are different items.
  root.SetInt("Key", 1);
  root.SetInt("key", 2);
  EXPECT_EQ(root.ItemCount(), 3u);
  EXPECT_EQ(root.GetInt("Key", 0), 1);
  EXPECT_EQ(root.GetInt("key", 0), 2);
}

TEST(ConfigItem, DeleteAndNavigate) {
  HConfigItem root;
  HConfigItem other;
  HConfigItem* foreign = other.OpenItem("f");
  root.OpenItem("a/x/y");
  HConfigItem* b = root.OpenItem("b");
  HConfigItem* c = root.OpenItem("c");
  EXPECT_EQ(c->ItemIndex(), 2u);
  EXPECT_EQ(root.ItemIndex(), 0u);
  EXPECT_EQ(c->ItemParent(), &root);
  EXPECT_EQ(root.ItemParent(), nullptr);
  EXPECT_EQ(root.ItemAt(3), nullptr);

  root.DeleteItem(foreign);  // of another tree: left alone
  EXPECT_EQ(other.ItemCount(), 1u);
  root.DeleteItem();  // no parent: left alone
  EXPECT_EQ(root.ItemCount(), 3u);

  root.DeleteItem(root.FindItem("a"));  // with its children
  EXPECT_EQ(root.FindItem("a/x"), nullptr);
  EXPECT_EQ(b->ItemIndex(), 0u);
  c->DeleteItem();  // itself
  ASSERT_EQ(root.ItemCount(), 1u);
  EXPECT_EQ(root.ItemAt(0), b);
  root.ClearItems();
  EXPECT_EQ(root.ItemCount(), 0u);
}

// A tree deeper than any stack allows is destroyed without recursion.
TEST(ConfigItem, VeryDeepTreeIsDestroyedSafely) {
  std::string path;
  constexpr int kLevels = 300000;
  path.reserve(2 * kLevels);
  for (int i = 0; i < kLevels; ++i) path += "a/";
  auto root = std::make_unique<HConfigItem>();
  ASSERT_NE(root->OpenItem(path), nullptr);
  root.reset();
}

}  // namespace
}  // namespace tk
