#include "platform/imagelib/imagelib.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/imagelib/test_images.h"

namespace tk::img {
namespace {

namespace fs = std::filesystem;
using tk::testing::Encode;
using tk::testing::TestPicture;

Bitmap ToBgr(const Bitmap& b) {
  Bitmap copy;
  EXPECT_EQ(CloneBitmap(b, copy), kImgOk);
  EXPECT_EQ(ChangeColorDepth(copy, kToBgr), kImgOk);
  return copy;
}

// Largest and mean channel difference, rows compared top-down.
struct Diff {
  int max = 0;
  double mean = 0;
};
Diff Compare(const Bitmap& a, const Bitmap& b) {
  Bitmap x = ToBgr(a), y = ToBgr(b);
  EXPECT_EQ(x.width, y.width);
  EXPECT_EQ(x.height, y.height);
  Diff d;
  if (x.width != y.width || x.height != y.height) return {999, 999};
  double sum = 0;
  for (int r = 0; r < x.height; ++r)
    for (int i = 0; i < x.width * 3; ++i) {
      int v = std::abs(x.TopRow(r)[i] - y.TopRow(r)[i]);
      d.max = std::max(d.max, v);
      sum += v;
    }
  d.mean = sum / (double(x.width) * x.height * 3);
  return d;
}

LoadParams Params(Origin origin, int padding = 4) {
  LoadParams p = DefaultLoadParams();
  p.origin = origin;
  p.linePadding = padding;
  return p;
}

TEST(ImageFormats, TableInFixedOrder) {
  ASSERT_EQ(FormatCount(), 5);
  const char* names[] = {"jpeg", "png", "bmp", "tiff", "webp"};
  const char* suffixes[] = {"jpg", "png", "bmp", "tif", "webp"};
  for (int i = 0; i < 5; ++i) {
    const FormatInfo* f = Format(i);
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->name, names[i]);
    EXPECT_STREQ(f->suffix, suffixes[i]);
    EXPECT_TRUE(f->readable && f->writable);
    EXPECT_GT(std::strlen(f->description), 0u);
  }
  EXPECT_EQ(Format(5), nullptr);
  EXPECT_EQ(Format(-1), nullptr);

  struct {
    const char* text;
    int index;
  } names2[] = {{"JPG", kFormatJpeg}, {"jpeg", kFormatJpeg}, {"Tif", kFormatTiff}, {"TIFF", kFormatTiff},
                {"webp", kFormatWebp}, {"bmp", kFormatBmp},  {"gif", -1},         {"", -1}};
  for (auto& c : names2) EXPECT_EQ(FormatIndexByName(c.text), c.index) << c.text;
}

// Every format written by the layer is read back with the same pixels
// (within the loss of lossy codecs) and the layout it was written from.
TEST(ImageFormats, RoundTripEveryFormatAndLayout) {
  // Lossy codecs may miss by much at the hard edges of the square; their
  // mean error stays small. TIFF's alpha reader premultiplies, so colours
  // of nearly transparent pixels lose precision.
  struct Case {
    int format;
    BitmapType written;
    BitmapType loaded;
    int maxDiff;
    double maxMean;
  } cases[] = {
      {kFormatJpeg, kBgr, kBgr, 160, 4},  {kFormatJpeg, kGrey, kGrey, 60, 3}, {kFormatJpeg, kRgb, kBgr, 160, 4},
      {kFormatPng, kBgr, kBgr, 0, 0},     {kFormatPng, kGrey, kGrey, 0, 0},   {kFormatPng, kBgra, kBgra, 0, 0},
      {kFormatPng, kColors, kColors, 0, 0}, {kFormatPng, kRgb, kBgr, 0, 0},   {kFormatBmp, kBgr, kBgr, 0, 0},
      {kFormatBmp, kGrey, kColors, 0, 0}, {kFormatBmp, kColors, kColors, 0, 0}, {kFormatBmp, kBgra, kBgr, 0, 0},
      {kFormatTiff, kBgr, kBgr, 0, 0},    {kFormatTiff, kGrey, kGrey, 0, 0},  {kFormatTiff, kBgra, kBgra, 255, 4},
      {kFormatTiff, kColors, kBgr, 0, 0}, {kFormatWebp, kBgr, kBgr, 160, 4},  {kFormatWebp, kBgra, kBgra, 160, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << Format(c.format)->name << " from type " << c.written);
    Bitmap original = TestPicture(c.written, 67, 45);  // odd sizes exercise row padding
    std::vector<uint8_t> bytes = Encode(original, c.format);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(DetectFormat(bytes.data(), bytes.size()), c.format);

    Bitmap bottomUp, topDown;
    FileInfo info;
    ASSERT_EQ(LoadBitmapFromMemory(bytes.data(), bytes.size(), bottomUp, Params(kOriginBottomLeft), &info), kImgOk);
    ASSERT_EQ(LoadBitmapFromMemory(bytes.data(), bytes.size(), topDown, Params(kOriginTopLeft, 1), nullptr), kImgOk);
    EXPECT_EQ(info.formatIndex, c.format);
    EXPECT_EQ(info.width, 67);
    EXPECT_EQ(info.height, 45);
    EXPECT_EQ(bottomUp.type, c.loaded);
    EXPECT_EQ(bottomUp.bytesPerLine % 4, 0);
    Diff d = Compare(original, bottomUp);
    EXPECT_LE(d.max, c.maxDiff);
    EXPECT_LE(d.mean, c.maxMean);
    // The two origins hold the same rows in opposite order.
    int used = 67 * BytesPerPixel(bottomUp.type);
    for (int y = 0; y < 45; ++y) ASSERT_EQ(std::memcmp(bottomUp.Row(y), topDown.Row(44 - y), used), 0) << y;
    // Padding bytes are zero.
    for (int y = 0; y < 45; ++y)
      for (int i = used; i < bottomUp.bytesPerLine; ++i) ASSERT_EQ(bottomUp.Row(y)[i], 0);
    if (c.loaded == kBgra) {
      int worst = 0;
      for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 67; ++x)
          worst = std::max(worst, std::abs(original.TopRow(y)[x * 4 + 3] - bottomUp.TopRow(y)[x * 4 + 3]));
      EXPECT_LE(worst, c.maxDiff ? 8 : 0);
    }
  }
}

TEST(ImageFormats, SaveOptionsTakeEffect) {
  Bitmap picture = TestPicture(kBgr, 64, 48);
  SaveParams p = DefaultSaveParams();
  std::vector<uint8_t> plain, other;

  p.formatIndex = kFormatJpeg;
  p.quality = 90;
  ASSERT_EQ(SaveBitmapIntoMemory(plain, picture, p), kImgOk);
  p.progressive = true;
  ASSERT_EQ(SaveBitmapIntoMemory(other, picture, p), kImgOk);
  auto hasMarker = [](const std::vector<uint8_t>& v, uint8_t m) {
    for (std::size_t i = 0; i + 1 < v.size(); ++i)
      if (v[i] == 0xFF && v[i + 1] == m) return true;
    return false;
  };
  EXPECT_TRUE(hasMarker(plain, 0xC0));
  EXPECT_TRUE(hasMarker(other, 0xC2));  // progressive frame
  p.progressive = false;
  p.quality = 10;
  ASSERT_EQ(SaveBitmapIntoMemory(other, picture, p), kImgOk);
  EXPECT_LT(other.size(), plain.size());

  p = DefaultSaveParams();
  p.formatIndex = kFormatPng;
  p.interlaced = true;
  ASSERT_EQ(SaveBitmapIntoMemory(other, picture, p), kImgOk);
  EXPECT_EQ(other[28], 1);  // IHDR interlace method
  Bitmap back;
  ASSERT_EQ(LoadBitmapFromMemory(other.data(), other.size(), back, Params(kOriginBottomLeft), nullptr), kImgOk);
  EXPECT_EQ(Compare(picture, back).max, 0);
  p.interlaced = false;
  p.compressionLevel = 0;
  ASSERT_EQ(SaveBitmapIntoMemory(plain, picture, p), kImgOk);
  p.compressionLevel = 9;
  ASSERT_EQ(SaveBitmapIntoMemory(other, picture, p), kImgOk);
  EXPECT_LT(other.size(), plain.size());

  // TIFF: none, PackBits and LZW all read back exactly.
  p = DefaultSaveParams();
  p.formatIndex = kFormatTiff;
  std::size_t sizes[3];
  for (Compression c : {kCompressionNone, kCompressionRle, kCompressionLzw}) {
    p.compression = c;
    ASSERT_EQ(SaveBitmapIntoMemory(other, picture, p), kImgOk);
    sizes[c] = other.size();
    ASSERT_EQ(LoadBitmapFromMemory(other.data(), other.size(), back, Params(kOriginTopLeft), nullptr), kImgOk);
    EXPECT_EQ(Compare(picture, back).max, 0) << c;
  }
  EXPECT_LT(sizes[kCompressionLzw], sizes[kCompressionNone]);
  EXPECT_NE(sizes[kCompressionRle], sizes[kCompressionNone]);
}

TEST(ImageFormats, LayoutTheFormatCannotHoldNeedsSaveAnyway) {
  Bitmap cmyk = TestPicture(kCmyk, 8, 8);
  SaveParams p = DefaultSaveParams();
  p.formatIndex = kFormatJpeg;
  std::vector<uint8_t> out;
  EXPECT_EQ(SaveBitmapIntoMemory(out, cmyk, p), kImgLayout);
  p.flags |= kSaveAnyway;
  EXPECT_EQ(SaveBitmapIntoMemory(out, cmyk, p), kImgOk);
  p.formatIndex = 7;
  EXPECT_EQ(SaveBitmapIntoMemory(out, cmyk, p), kImgBadParameters);
  EXPECT_EQ(SaveBitmapIntoMemory(out, Bitmap(), p), kImgBadParameters);
}

TEST(ImageFormats, SaveWritesTheWholeFileOrLeavesTheOldOne) {
  fs::path dir = fs::temp_directory_path() / "tk_imagelib_save";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string path = (dir / "x.png").string();
  tk::testing::WriteFile(path, {'o', 'l', 'd'});

  SaveParams p = DefaultSaveParams();
  p.formatIndex = kFormatJpeg;
  EXPECT_EQ(SaveBitmap(path.c_str(), TestPicture(kCmyk, 4, 4), p), kImgLayout);
  EXPECT_EQ(tk::testing::ReadFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));

  p.formatIndex = kFormatPng;
  EXPECT_EQ(SaveBitmap(path.c_str(), TestPicture(kBgr, 4, 4), p), kImgOk);
  Bitmap back;
  EXPECT_EQ(LoadBitmap(path.c_str(), back, DefaultLoadParams(), nullptr), kImgOk);
  EXPECT_EQ(back.width, 4);
  EXPECT_EQ(SaveBitmap((dir / "no/such/dir.png").string().c_str(), back, p), kImgFileOpen);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporaries left
  fs::remove_all(dir);
}

TEST(ImageJpeg, PlateSizedMultiplesDecodeScaled) {
  struct Case {
    int side;
    int expected;
  } cases[] = {{512, 256}, {1024, 256}, {500, 500}, {256, 256}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = Encode(tk::testing::SolidPicture(c.side, c.side, 200, 100, 50), kFormatJpeg);
    LoadParams p = Params(kOriginBottomLeft);
    p.scaleWidth = p.scaleHeight = 256;
    Bitmap b;
    FileInfo info;
    ASSERT_EQ(LoadBitmapFromMemory(bytes.data(), bytes.size(), b, p, &info), kImgOk);
    EXPECT_EQ(b.width, c.expected);
    EXPECT_EQ(b.height, c.expected);
    EXPECT_EQ(info.width, c.side);
    EXPECT_NEAR(b.Row(b.height / 2)[b.width / 2 * 3], 200, 3);
  }
}

TEST(ImageJpeg, GreyStaysGreyAndAlphaCanBeSkipped) {
  std::vector<uint8_t> grey = Encode(TestPicture(kGrey, 16, 16), kFormatJpeg);
  Bitmap b;
  FileInfo info;
  ASSERT_EQ(LoadBitmapFromMemory(grey.data(), grey.size(), b, DefaultLoadParams(), &info), kImgOk);
  EXPECT_EQ(b.type, kGrey);
  EXPECT_EQ(info.components, 1);

  std::vector<uint8_t> png = Encode(TestPicture(kBgra, 16, 16), kFormatPng);
  LoadParams p = DefaultLoadParams();
  ASSERT_EQ(LoadBitmapFromMemory(png.data(), png.size(), b, p, &info), kImgOk);
  EXPECT_EQ(b.type, kBgra);
  p.flags |= kLoadSkipAlpha;
  ASSERT_EQ(LoadBitmapFromMemory(png.data(), png.size(), b, p, &info), kImgOk);
  EXPECT_EQ(b.type, kBgr);
  p.colorModel = kRgb;
  ASSERT_EQ(LoadBitmapFromMemory(png.data(), png.size(), b, p, &info), kImgOk);
  EXPECT_EQ(b.type, kRgb);
  EXPECT_EQ(b.Row(0)[0], TestPicture(kBgra, 16, 16).Row(0)[2]);
}

TEST(ImageBitmap, ColorConversionToBgr) {
  struct Case {
    BitmapType type;
    std::vector<uint8_t> pixel;
    uint8_t b, g, r;
  } cases[] = {
      {kGrey, {77}, 77, 77, 77},
      {kRgb, {1, 2, 3}, 3, 2, 1},
      {kRgba, {1, 2, 3, 4}, 3, 2, 1},
      {kBgra, {1, 2, 3, 4}, 1, 2, 3},
      {kAbgr, {9, 1, 2, 3}, 1, 2, 3},
      {kArgb, {9, 1, 2, 3}, 3, 2, 1},
      {kCmyk, {0, 255, 255, 0}, 0, 0, 255},  // no cyan, full magenta and yellow: red
      {kCmyk, {0, 0, 0, 255}, 0, 0, 0},
      {kColors, {3}, 3, 3, 3},  // the default palette is a grey ramp
      {kBinary, {1}, 255, 255, 255},
  };
  for (const Case& c : cases) {
    Bitmap b;
    ASSERT_EQ(AllocBitmap(b, c.type, 3, 2, 4, kOriginBottomLeft), kImgOk);
    std::memcpy(b.Row(1) + BytesPerPixel(c.type), c.pixel.data(), c.pixel.size());
    ASSERT_EQ(ChangeColorDepth(b, kToBgr), kImgOk);
    EXPECT_EQ(b.type, kBgr);
    EXPECT_EQ(b.bytesPerLine, 12);
    EXPECT_EQ(b.origin, kOriginBottomLeft);
    const uint8_t* p = b.Row(1) + 3;
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{c.b, c.g, c.r})) << c.type;
  }
  // A palette index beyond the palette gives black rather than a stray read.
  Bitmap b;
  ASSERT_EQ(AllocBitmap(b, kBinary, 1, 1, 1), kImgOk);
  b.Row(0)[0] = 200;
  ASSERT_EQ(ChangeColorDepth(b, kToBgr), kImgOk);
  EXPECT_EQ(b.Row(0)[0] + b.Row(0)[1] + b.Row(0)[2], 0);
  EXPECT_EQ(ChangeColorDepth(b, 3), kImgBadParameters);
}

TEST(ImageBitmap, ResizeKeepsColoursAndLayout) {
  Bitmap solid = tk::testing::SolidPicture(512, 384, 10, 120, 230);
  ASSERT_EQ(Resize(solid, 256, 256, kResizeBilinear), kImgOk);
  EXPECT_EQ(solid.width, 256);
  EXPECT_EQ(solid.bytesPerLine, 768);
  EXPECT_EQ(solid.dataSize, 196608u);
  for (int y = 0; y < 256; y += 51)
    for (int x = 0; x < 256; x += 37) ASSERT_EQ(solid.Row(y)[x * 3 + 2], 230);

  // Upscaling a 2 x 1 grey gradient: ends keep their values, the middle blends.
  Bitmap g;
  ASSERT_EQ(AllocBitmap(g, kGrey, 2, 1, 1), kImgOk);
  g.Row(0)[0] = 0;
  g.Row(0)[1] = 200;
  ASSERT_EQ(Resize(g, 8, 2, kResizeBilinear), kImgOk);
  EXPECT_EQ(g.Row(0)[0], 0);
  EXPECT_EQ(g.Row(1)[7], 200);
  EXPECT_GT(g.Row(0)[4], 0);
  EXPECT_LT(g.Row(0)[3], 200);
  for (int x = 1; x < 8; ++x) EXPECT_GE(g.Row(0)[x], g.Row(0)[x - 1]);

  // Palette indices are never blended.
  Bitmap p;
  ASSERT_EQ(AllocBitmap(p, kColors, 2, 2, 1), kImgOk);
  p.Row(0)[0] = 1, p.Row(0)[1] = 9, p.Row(1)[0] = 9, p.Row(1)[1] = 1;
  ASSERT_EQ(Resize(p, 5, 5, kResizeBilinear), kImgOk);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_TRUE(p.Row(y)[x] == 1 || p.Row(y)[x] == 9);
  EXPECT_EQ(Resize(p, 0, 5, kResizeBilinear), kImgBadParameters);
}

TEST(ImageBitmap, AllocationLimitsAndClone) {
  Bitmap b;
  EXPECT_EQ(AllocBitmap(b, kBgr, 70000, 10, 4), kImgSizeLimit);
  EXPECT_EQ(AllocBitmap(b, kBgra, 30000, 30000, 4), kImgSizeLimit);  // 3.6 GB
  EXPECT_EQ(AllocBitmap(b, kBgr, 10, 10, 3), kImgBadParameters);
  EXPECT_EQ(AllocBitmap(b, static_cast<BitmapType>(3), 10, 10, 4), kImgBadParameters);
  ASSERT_EQ(AllocBitmap(b, kBgr, 5, 3, 4, kOriginBottomLeft), kImgOk);
  EXPECT_EQ(b.bytesPerLine, 16);
  b.Row(2)[4] = 42;
  Bitmap c;
  ASSERT_EQ(CloneBitmap(b, c), kImgOk);
  EXPECT_EQ(c.Row(2)[4], 42);
  EXPECT_NE(c.data.get(), b.data.get());
  EXPECT_EQ(c.origin, kOriginBottomLeft);
  FreeBitmap(c);
  EXPECT_TRUE(c.empty());
}

// Bit-level BMP variants other writers produce: 1 and 4 bits, RLE8 with a
// delta, 16-bit 565 bit fields, top-down rows.
std::vector<uint8_t> Bmp(int w, int h, int bpp, uint32_t compression, std::vector<uint8_t> palette,
                         std::vector<uint8_t> pixels, std::vector<uint32_t> masks = {}) {
  std::vector<uint8_t> v;
  auto put = [&v](uint32_t x, int n) {
    for (int i = 0; i < n; ++i) v.push_back(uint8_t(x >> (8 * i)));
  };
  uint32_t off = 14 + 40 + uint32_t(masks.size() * 4 + palette.size());
  v.push_back('B');
  v.push_back('M');
  put(off + uint32_t(pixels.size()), 4);
  put(0, 4);
  put(off, 4);
  put(40, 4);
  put(uint32_t(w), 4);
  put(uint32_t(h), 4);
  put(1, 2);
  put(uint32_t(bpp), 2);
  put(compression, 4);
  put(uint32_t(pixels.size()), 4);
  put(0, 4);
  put(0, 4);
  put(uint32_t(palette.size() / 4), 4);
  put(0, 4);
  for (uint32_t m : masks) put(m, 4);
  v.insert(v.end(), palette.begin(), palette.end());
  v.insert(v.end(), pixels.begin(), pixels.end());
  return v;
}

TEST(ImageBmp, ReadsTheCommonVariants) {
  std::vector<uint8_t> pal2 = {0, 0, 0, 0, 255, 255, 255, 0};
  std::vector<uint8_t> pal16(64, 0);
  pal16[4 * 5 + 2] = 200;  // index 5: red 200
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    // Expected BGR of the top-left and the bottom-right pixel.
    std::vector<int> topLeft, bottomRight;
  } cases[] = {
      // 3 x 2, 1 bit: bottom row 101, top row 010 (rows padded to 4 bytes).
      {"1 bit", Bmp(3, 2, 1, 0, pal2, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}), {0, 0, 0}, {255, 255, 255}},
      // 2 x 1, 4 bits: indices 5 and 0.
      {"4 bits", Bmp(2, 1, 4, 0, pal16, {0x50, 0, 0, 0}), {0, 0, 200}, {0, 0, 0}},
      // 4 x 2 RLE8: bottom row a run of 4 x index 1; end of line; top row
      // delta 2 right then index 1 twice; end of bitmap.
      {"rle8", Bmp(4, 2, 8, 1, pal2, {4, 1, 0, 0, 0, 2, 2, 0, 2, 1, 0, 1}), {0, 0, 0}, {255, 255, 255}},
      // 2 x 1, 565: pure red, pure blue.
      {"565", Bmp(2, 1, 16, 3, {}, {0x00, 0xF8, 0x1F, 0x00}, {0xF800, 0x07E0, 0x001F}), {0, 0, 255}, {255, 0, 0}},
      // 1 x 2 top-down 24 bits: top blue, bottom green.
      {"top-down", Bmp(1, -2, 24, 0, {}, {255, 0, 0, 0, 0, 255, 0, 0}), {255, 0, 0}, {0, 255, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap b;
    ASSERT_EQ(LoadBitmapFromMemory(c.file.data(), c.file.size(), b, Params(kOriginBottomLeft), nullptr), kImgOk);
    Bitmap bgr = ToBgr(b);
    const uint8_t* tl = bgr.TopRow(0);
    const uint8_t* br = bgr.TopRow(bgr.height - 1) + (bgr.width - 1) * 3;
    EXPECT_EQ((std::vector<int>{tl[0], tl[1], tl[2]}), c.topLeft);
    EXPECT_EQ((std::vector<int>{br[0], br[1], br[2]}), c.bottomRight);
  }
}

// Hostile and broken files: an error code, never a crash or a huge
// allocation.
TEST(ImageErrors, BadInputGivesAnErrorCode) {
  std::vector<uint8_t> jpeg = Encode(TestPicture(kBgr, 64, 64), kFormatJpeg);
  std::vector<uint8_t> png = Encode(TestPicture(kBgr, 16, 16), kFormatPng);
  std::vector<uint8_t> webp = Encode(TestPicture(kBgr, 16, 16), kFormatWebp);

  std::vector<uint8_t> truncated(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
  std::vector<uint8_t> corrupt = jpeg;
  for (std::size_t i = corrupt.size() / 2; i < corrupt.size() - 2; ++i) corrupt[i] = uint8_t(i * 7);
  // SOF0 with 65000 x 65000.
  std::vector<uint8_t> hugeJpeg = jpeg;
  for (std::size_t i = 0; i + 8 < hugeJpeg.size(); ++i) {
    if (hugeJpeg[i] == 0xFF && hugeJpeg[i + 1] == 0xC0) {
      hugeJpeg[i + 5] = hugeJpeg[i + 7] = 0xFD;
      hugeJpeg[i + 6] = hugeJpeg[i + 8] = 0xE8;
      break;
    }
  }
  // PNG whose IHDR says 40000 x 40000 (CRC fixed up by libpng-independent code below).
  std::vector<uint8_t> hugePng = png;
  hugePng[16] = 0, hugePng[17] = 0, hugePng[18] = 0x9C, hugePng[19] = 0x40;
  hugePng[20] = 0, hugePng[21] = 0, hugePng[22] = 0x9C, hugePng[23] = 0x40;
  {
    uint32_t crc = 0xFFFFFFFF;
    for (int i = 12; i < 29; ++i) {
      crc ^= hugePng[i];
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    crc ^= 0xFFFFFFFF;
    for (int k = 0; k < 4; ++k) hugePng[29 + k] = uint8_t(crc >> (24 - 8 * k));
  }
  std::vector<uint8_t> hugeBmp = Bmp(30001, 1, 24, 0, {}, {0, 0, 0, 0});
  std::vector<uint8_t> shortBmp = Bmp(100, 100, 24, 0, {}, std::vector<uint8_t>(100));
  std::vector<uint8_t> badOffsetBmp = Bmp(1, 1, 24, 0, {}, {0, 0, 0, 0});
  badOffsetBmp[10] = 0xF0, badOffsetBmp[11] = 0xFF;
  std::vector<uint8_t> rleRunaway = Bmp(4, 2, 8, 1, {0, 0, 0, 0}, {4, 1, 0, 0, 2, 1});  // no end mark
  std::vector<uint8_t> truncatedWebp(webp.begin(), webp.begin() + long(webp.size() - 10));

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int error;
  } cases[] = {
      {"zero length", {}, kImgUnknownFormat},
      {"text", {'h', 'e', 'l', 'l', 'o'}, kImgUnknownFormat},
      {"jpeg truncated", truncated, kImgBadData},
      {"jpeg corrupt", corrupt, kImgBadData},
      {"jpeg huge", hugeJpeg, kImgTooLarge},
      {"jpeg marker only", {0xFF, 0xD8, 0xFF}, kImgBadData},
      {"png huge", hugePng, kImgTooLarge},
      {"png truncated", std::vector<uint8_t>(png.begin(), png.begin() + 40), kImgBadData},
      {"bmp huge", hugeBmp, kImgTooLarge},
      {"bmp short pixels", shortBmp, kImgBadData},
      {"bmp pixel offset beyond end", badOffsetBmp, kImgBadData},
      {"bmp rle without end", rleRunaway, kImgBadData},
      {"bmp header only", {'B', 'M', 0, 0}, kImgBadData},
      {"tiff header only", {'I', 'I', 42, 0, 8, 0, 0, 0}, kImgBadData},
      {"webp truncated", truncatedWebp, kImgBadData},
  };
  for (const Case& c : cases) {
    Bitmap b;
    FileInfo info;
    EXPECT_EQ(LoadBitmapFromMemory(c.bytes.data(), c.bytes.size(), b, Params(kOriginBottomLeft), &info), c.error)
        << c.name;
    EXPECT_TRUE(b.empty()) << c.name;
  }
  Bitmap b;
  EXPECT_EQ(LoadBitmap("/nonexistent/x.jpg", b, DefaultLoadParams(), nullptr), kImgFileOpen);
  LoadParams p = DefaultLoadParams();
  p.linePadding = 3;
  EXPECT_EQ(LoadBitmapFromMemory(png.data(), png.size(), b, p, nullptr), kImgBadParameters);
  p = DefaultLoadParams();
  p.imageWanted = 1;
  EXPECT_EQ(LoadBitmapFromMemory(png.data(), png.size(), b, p, nullptr), kImgNoSuchPage);
  EXPECT_STRNE(ImageErrorText(kImgTooLarge), ImageErrorText(kImgBadData));
  EXPECT_STREQ(ImageErrorText(9999), "Unknown error");
}

TEST(ImageLibrary, StartsAndSaysWhatItIs) {
  EXPECT_TRUE(LoadImageLibrary());
  EXPECT_TRUE(ImageLibraryLoaded());
  EXPECT_TRUE(LoadImageLibrary());  // a second start is fine
  EXPECT_NE(std::string(ImageLibraryName()).find("libpng 1."), std::string::npos);
  EXPECT_TRUE(UnloadImageLibrary());
  EXPECT_FALSE(ImageLibraryLoaded());
}

}  // namespace
}  // namespace tk::img
