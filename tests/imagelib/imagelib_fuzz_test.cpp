// Random and mutated bytes into the memory loader: every answer is an error
// code or a sane bitmap, and the sanitizer build sees no stray access.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/imagelib/imagelib.h"
#include "tests/imagelib/test_images.h"

namespace tk::img {
namespace {

using tk::testing::Encode;
using tk::testing::TestPicture;

void Feed(const std::vector<uint8_t>& bytes) {
  // An exact-size heap copy, so that reading one byte too far is caught.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  LoadParams p = DefaultLoadParams();
  p.origin = kOriginBottomLeft;
  p.linePadding = 4;
  p.scaleWidth = p.scaleHeight = 256;
  Bitmap b;
  FileInfo info;
  int e = LoadBitmapFromMemory(exact.get(), bytes.size(), b, p, &info);
  if (e == kImgOk) {
    ASSERT_FALSE(b.empty());
    ASSERT_LE(b.width, kMaxImageSide);
    ASSERT_LE(b.height, kMaxImageSide);
    ASSERT_EQ(b.dataSize, std::size_t(b.bytesPerLine) * b.height);
    // Touch the last byte: the block is as large as it claims.
    volatile uint8_t last = b.data[b.dataSize - 1];
    (void)last;
    ASSERT_EQ(ChangeColorDepth(b, kToBgr), kImgOk);
  } else {
    ASSERT_TRUE(b.empty());
    ASSERT_STRNE(ImageErrorText(e), "Unknown error");
  }
  FileInfo header;
  GetFileInformation(exact.get(), bytes.size(), -1, header);
}

std::vector<std::vector<uint8_t>> Seeds() {
  std::vector<std::vector<uint8_t>> seeds;
  seeds.push_back(Encode(TestPicture(kBgr, 24, 20), kFormatJpeg));
  seeds.push_back(Encode(TestPicture(kGrey, 17, 9), kFormatJpeg));
  SaveParams progressive = DefaultSaveParams();
  progressive.formatIndex = kFormatJpeg;
  progressive.progressive = true;
  std::vector<uint8_t> out;
  SaveBitmapIntoMemory(out, TestPicture(kBgr, 24, 20), progressive);
  seeds.push_back(out);
  seeds.push_back(Encode(TestPicture(kColors, 13, 7), kFormatPng));
  seeds.push_back(Encode(TestPicture(kBgra, 13, 7), kFormatPng));
  seeds.push_back(Encode(TestPicture(kColors, 13, 7), kFormatBmp));
  seeds.push_back(Encode(TestPicture(kBgr, 13, 7), kFormatBmp));
  SaveParams lzw = DefaultSaveParams();
  lzw.formatIndex = kFormatTiff;
  lzw.compression = kCompressionLzw;
  SaveBitmapIntoMemory(out, TestPicture(kBgr, 13, 7), lzw);
  seeds.push_back(out);
  seeds.push_back(Encode(TestPicture(kBgr, 13, 7), kFormatWebp));
  seeds.push_back(Encode(TestPicture(kBgra, 13, 7), kFormatWebp));
  // RLE8 bitmap with runs, a delta and end marks.
  seeds.push_back({'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 58, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0,
                   1, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 9, 8, 7, 0,
                   4, 0, 0, 0, 0, 2, 2, 0, 2, 0, 0, 1});
  return seeds;
}

Bitmap Decode(const std::vector<uint8_t>& bytes) {
  Bitmap b;
  EXPECT_EQ(LoadBitmapFromMemory(bytes.data(), bytes.size(), b, DefaultLoadParams(), nullptr), kImgOk);
  return b;
}

TEST(ImageFuzz, MutatedFilesNeverCrash) {
  std::mt19937 rng(20240601);
  std::vector<std::vector<uint8_t>> seeds = Seeds();
  std::vector<Bitmap> before;
  for (const auto& seed : seeds) before.push_back(Decode(seed));
  for (const auto& seed : seeds) {
    ASSERT_FALSE(seed.empty());
    Feed(seed);
    for (int round = 0; round < 120; ++round) {
      std::vector<uint8_t> m = seed;
      switch (rng() % 4) {
        case 0:  // flip a few bytes, biased to the headers
          for (int k = 1 + int(rng() % 6); k > 0; --k) {
            std::size_t at = rng() % 2 ? rng() % std::min<std::size_t>(m.size(), 64) : rng() % m.size();
            m[at] = uint8_t(rng());
          }
          break;
        case 1:  // cut short
          m.resize(rng() % m.size());
          break;
        case 2:  // insert garbage
          m.insert(m.begin() + long(rng() % m.size()), 1 + rng() % 32, uint8_t(rng()));
          break;
        case 3:  // stamp 0xFF runs (marker-like)
          for (std::size_t at = rng() % m.size(), n = 1 + rng() % 8; n > 0 && at < m.size(); --n, ++at) m[at] = 0xFF;
          break;
      }
      Feed(m);
    }
  }
  // Failed decodes leave nothing behind in the reused decoder state.
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    Bitmap after = Decode(seeds[i]);
    ASSERT_EQ(after.dataSize, before[i].dataSize);
    EXPECT_EQ(std::memcmp(after.data.get(), before[i].data.get(), after.dataSize), 0) << i;
  }
}

TEST(ImageFuzz, RandomBytesBehindEveryMagic) {
  std::mt19937 rng(77);
  const std::vector<std::vector<uint8_t>> magics = {
      {}, {0xFF, 0xD8, 0xFF}, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, {'B', 'M'},
      {'I', 'I', 42, 0},      {'M', 'M', 0, 42}, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}};
  for (const auto& magic : magics) {
    for (int round = 0; round < 40; ++round) {
      std::vector<uint8_t> m = magic;
      for (std::size_t n = rng() % 600; n > 0; --n) m.push_back(uint8_t(rng()));
      Feed(m);
    }
  }
}

}  // namespace
}  // namespace tk::img
