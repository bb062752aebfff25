#include "terrakon/config/tree_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"
#include "terrakon/config/cfg_storage.h"

// Records the largest single allocation while a probe is on, to prove that a
// length read from a file is not allocated before it is checked.
namespace {
std::atomic<bool> g_probeAllocations{false};
std::atomic<std::size_t> g_largestAllocation{0};
}  // namespace

// g++ pairs the malloc below with the library's operator new and warns about
// the matching free; both are replaced together here, so the pair is sound.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (g_probeAllocations.load(std::memory_order_relaxed)) {
    std::size_t seen = g_largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
    }
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace tk {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Writes a file in the format by hand, marking which bytes belong to a
// child's name header: a file cut there keeps what was read before.
class FileBuilder {
 public:
  FileBuilder& Header(std::string_view signature = "RTSm0001") {
    Text("TreE");
    U32(static_cast<std::uint32_t>(signature.size()));
    Text(signature);
    return *this;
  }
  FileBuilder& Block(std::uint32_t count) {
    Text("TreE");
    return U32(count);
  }
  FileBuilder& Name(std::string_view name) {
    const std::size_t start = bytes.size();
    U16(static_cast<std::uint16_t>(name.size()));
    Text(name);
    nameHeader.resize(bytes.size(), false);
    std::fill(nameHeader.begin() + static_cast<std::ptrdiff_t>(start), nameHeader.end(), true);
    nameEnds.push_back(bytes.size());
    return *this;
  }
  FileBuilder& Type(std::uint8_t type) { return Put(&type, 1); }
  FileBuilder& U16(std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    return Put(b, 2);
  }
  FileBuilder& U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = static_cast<std::uint8_t>(v >> (8 * i));
      Put(&b, 1);
    }
    return *this;
  }
  FileBuilder& Text(std::string_view text) { return Put(text.data(), text.size()); }
  FileBuilder& Put(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    nameHeader.resize(bytes.size(), false);
    return *this;
  }
  // A data block: its length and bytes.
  FileBuilder& Data(std::string_view data) {
    U32(static_cast<std::uint32_t>(data.size()));
    return Text(data);
  }

  Bytes bytes;
  std::vector<bool> nameHeader;
  std::vector<std::size_t> nameEnds;
};

// A file with an item of every type, nested items and an empty block.
FileBuilder EveryTypeFile() {
  const float f = 1.5f;
  const double d = -0.25;
  FileBuilder b;
  b.Header().Block(12);
  b.Name("none").Type(0).Block(0);
  b.Name("u8").Type(1).Put("\xC8", 1).Block(0);
  b.Name("i8").Type(2).Put("\xFE", 1).Block(0);
  b.Name("u16").Type(3).U16(0xBEEF).Block(0);
  b.Name("i16").Type(4).U16(0x8001).Block(0);
  b.Name("dword").Type(5).U32(0xDEADBEEF).Block(0);
  b.Name("int").Type(6).U32(0xFFFFFFFB).Block(0);
  b.Name("float").Type(7).Put(&f, 4).Block(0);
  b.Name("double").Type(8).Put(&d, 8).Block(0);
  b.Name("bin").Type(9).Data(std::string_view("\x01\x02\x03", 3)).Block(0);
  b.Name("text").Type(10).Data(std::string_view("abc\0", 4)).Block(0);
  b.Name("group").Type(0).Block(2);
  b.Name("inner").Type(6).U32(42).Block(1);
  b.Name("leaf").Type(10).Data(std::string_view("x\0", 2)).Block(0);
  b.Name("empty").Type(9).Data("").Block(0);
  return b;
}

std::size_t CountItems(const HConfigItem& item) {
  std::size_t n = item.ItemCount();
  for (std::size_t i = 0; i < item.ItemCount(); ++i) n += CountItems(*item.ItemAt(i));
  return n;
}

class TreeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    storage.SetAutoLoad(false);
    storage.SetFileName(folder.File("Terrakon.hcfg"));
  }
  // Loads `bytes` into a tree that holds one marker item.
  bool Load(const Bytes& bytes) {
    storage.Root().ClearItems();
    storage.Root().SetInt("marker", 1);
    WriteBytes(storage.FullPath(), bytes);
    return storage.LoadFile();
  }
  bool Kept() { return storage.Root().ItemCount() == 1 && storage.Root().FindItem("marker"); }

  TempDir folder;
  HCfgStorage storage;
};

TEST_F(TreeFile, EmptyTreeIsExactly24Bytes) {
  ASSERT_TRUE(storage.SaveFile());
  const Bytes expected = {'T', 'r', 'e', 'E', 8, 0, 0, 0, 'R', 'T', 'S', 'm',
                          '0', '0', '0', '1', 'T', 'r', 'e', 'E', 0, 0, 0, 0};
  EXPECT_EQ(ReadBytes(storage.FullPath()), expected);
}

TEST_F(TreeFile, ReadWithDefaultIsSaved) {
  EXPECT_EQ(storage.Root().GetInt("X", -1), -1);
  ASSERT_TRUE(storage.SaveFile());
  FileBuilder b;
  b.Header().Block(1).Name("X").Type(6).U32(0xFFFFFFFF).Block(0);
  EXPECT_EQ(ReadBytes(storage.FullPath()), b.bytes);
}

// Every type loads with its value, and saving writes the same bytes back.
TEST_F(TreeFile, EveryTypeRoundTripsByteForByte) {
  const FileBuilder file = EveryTypeFile();
  ASSERT_TRUE(Load(file.bytes)) << ErrorText();
  HConfigItem& r = storage.Root();
  EXPECT_EQ(r.ItemCount(), 12u);
  const std::uint8_t types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0};
  for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(r.ItemAt(i)->ItemType(), types[i]) << i;
  EXPECT_EQ(r.GetByte("u8", 0), 0xC8);
  EXPECT_EQ(r.GetChar("i8", 0), -2);
  EXPECT_EQ(r.GetInt("i8", 0), 0xFE);  // a value read from the file is zero-extended
  EXPECT_EQ(r.GetShort("u16", 0), 0xBEEF);
  EXPECT_EQ(r.GetInt("i16", 0), 0x8001);
  EXPECT_EQ(r.GetDWord("dword", 0), 0xDEADBEEFu);
  EXPECT_EQ(r.GetInt("int", 0), -5);
  EXPECT_EQ(r.GetFloat("float", 0), 1.5f);
  EXPECT_EQ(r.GetDouble("double", 0), -0.25);
  EXPECT_EQ(r.FindItem("bin")->ItemBlock().size(), 3u);
  EXPECT_EQ(r.GetString("text", ""), "abc");
  EXPECT_EQ(r.GetInt("group/inner", 0), 42);
  EXPECT_EQ(r.GetString("group/inner/leaf", ""), "x");
  EXPECT_EQ(r.FindItem("group/empty")->ItemType(), kTypeBinary);
  EXPECT_EQ(CountItems(r), 15u);

  ASSERT_TRUE(storage.SaveFile()) << ErrorText();
  EXPECT_EQ(ReadBytes(storage.FullPath()), file.bytes);
}

// Every prefix of a valid file: a cut header keeps the tree, a cut inside a
// child's name header keeps what was read before it, any other cut leaves
// an empty tree. (In memory: the file layer adds nothing per prefix.)
TEST(TreeImage, EveryPrefixGivesItsOutcomeWithoutCrashing) {
  const FileBuilder file = EveryTypeFile();
  for (std::size_t length = 0; length < file.bytes.size(); ++length) {
    HConfigItem root;
    root.SetInt("marker", 1);
    const TreeReadResult result =
        ReadTree(std::span(file.bytes.data(), length), root);
    if (length < 16) {
      EXPECT_EQ(result, TreeReadResult::kNotATree) << length;
      EXPECT_EQ(root.GetInt("marker", 0), 1) << length;
    } else if (file.nameHeader[length]) {
      EXPECT_EQ(result, TreeReadResult::kOk) << length;
      std::size_t complete = 0;
      for (std::size_t end : file.nameEnds) complete += end <= length;
      EXPECT_EQ(CountItems(root), complete) << length;
    } else {
      EXPECT_EQ(result, TreeReadResult::kBroken) << length;
      EXPECT_EQ(root.ItemCount(), 0u) << length;
    }
  }
}

TEST_F(TreeFile, AnotherSignatureKeepsTheTree) {
  const Bytes good = EveryTypeFile().bytes;
  std::vector<Bytes> variants;
  Bytes magic = good;
  magic[3] = 'e';
  variants.push_back(magic);
  for (std::size_t i = 8; i < 16; ++i) {
    Bytes changed = good;
    changed[i] ^= 0x20;
    variants.push_back(changed);
  }
  variants.push_back(FileBuilder().Header("RTSm000").Block(0).bytes);
  variants.push_back(FileBuilder().Header("RTSm00011").Block(0).bytes);
  variants.push_back(FileBuilder().Text("TreE").U32(0xFFFFFFFF).Text("RTSm0001").Block(0).bytes);
  for (std::size_t i = 0; i < variants.size(); ++i) {
    EXPECT_FALSE(Load(variants[i])) << i;
    EXPECT_TRUE(Kept()) << i;
  }
}

TEST_F(TreeFile, BrokenBodyEmptiesTheTree) {
  struct Case {
    const char* what;
    FileBuilder file;
  } cases[] = {
      {"unknown type", FileBuilder().Header().Block(1).Name("a").Type(11).Block(0)},
      {"children magic", FileBuilder().Header().Block(1).Name("a").Type(0).Text("Tree").U32(0)},
      {"root magic", FileBuilder().Header().Text("TREE").U32(0)},
      {"text past the end", FileBuilder().Header().Block(1).Name("a").Type(10).U32(5).Text("ab")},
  };
  for (Case& c : cases) {
    EXPECT_FALSE(Load(c.file.bytes)) << c.what;
    EXPECT_EQ(storage.Root().ItemCount(), 0u) << c.what;
    EXPECT_FALSE(ErrorText().empty()) << c.what;
  }
}

// A 40-byte file that claims a 4 GB block fails at once, allocating nothing
// near that size.
TEST_F(TreeFile, OversizeLengthFailsWithoutAllocatingIt) {
  FileBuilder b;
  b.Header().Block(1).Name("a").Type(9).U32(0xFFFFFFF0).Text("abcdefgh");
  ASSERT_EQ(b.bytes.size(), 40u);
  WriteBytes(storage.FullPath(), b.bytes);
  storage.Root().SetInt("marker", 1);
  g_largestAllocation = 0;
  g_probeAllocations = true;
  const bool ok = storage.LoadFile();
  g_probeAllocations = false;
  EXPECT_FALSE(ok);
  EXPECT_EQ(storage.Root().ItemCount(), 0u);
  EXPECT_LT(g_largestAllocation.load(), 4096u);
}

TEST_F(TreeFile, TextWithoutItsZeroIsTerminated) {
  ASSERT_TRUE(Load(FileBuilder().Header().Block(1).Name("t").Type(10).Data("ab").Block(0).bytes));
  const auto block = storage.Root().FindItem("t")->ItemBlock();
  EXPECT_EQ(Bytes(block.begin(), block.end()), (Bytes{'a', 'b', 0}));
  EXPECT_EQ(storage.Root().GetString("t", ""), "ab");
}

// Nesting is capped so that neither loading nor saving can run out of stack.
TEST_F(TreeFile, NestingDeeperThanTheCapFails) {
  auto nested = [](std::size_t levels) {
    FileBuilder b;
    b.Header();
    for (std::size_t i = 0; i < levels; ++i) b.Block(1).Name("n").Type(0);
    return b.Block(0).bytes;
  };
  EXPECT_TRUE(Load(nested(kMaxTreeDepth)));
  EXPECT_TRUE(storage.SaveFile());
  EXPECT_FALSE(Load(nested(kMaxTreeDepth + 1)));
  EXPECT_EQ(storage.Root().ItemCount(), 0u);
  EXPECT_FALSE(Load(nested(5000)));

  std::string path;
  for (std::size_t i = 0; i <= kMaxTreeDepth; ++i) path += "n/";
  storage.Root().OpenItem(path);
  EXPECT_FALSE(storage.SaveFile());
}

}  // namespace
}  // namespace tk
