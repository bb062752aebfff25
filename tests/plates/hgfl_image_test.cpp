#include "terrakon/plates/hgfl_image.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "common/error.h"
#include "tests/imagelib/test_images.h"

namespace tk {
namespace {

namespace fs = std::filesystem;
using testing::Encode;
using testing::TestPicture;

class Picture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(img::LoadImageLibrary());
    dir_ = fs::temp_directory_path() /
           ("tk_picture_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir_ / name).string();
    testing::WriteFile(path, bytes);
    return path;
  }
  fs::path dir_;
};

// Three pages, each one grey level.
std::string ThreePageTiff(const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  for (int page = 0; page < 3; ++page) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 4);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    uint8_t row[8];
    std::memset(row, 10 + 100 * page, sizeof row);
    for (uint32_t y = 0; y < 4; ++y) TIFFWriteScanline(t, row, y, 0);
    TIFFWriteDirectory(t);
  }
  TIFFClose(t);
  return path;
}

TEST_F(Picture, LoadsAnyReadableFileAsBgr) {
  std::string path = Put("a.png", Encode(TestPicture(img::kBgra, 30, 20), img::kFormatPng));
  HGFLImage picture;
  int changes = 0;
  picture.OnChange = [&] { ++changes; };
  ASSERT_TRUE(picture.LoadFile(path));
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(picture.IsLoaded());
  const img::Bitmap* b = picture.RenderedBitmap();
  EXPECT_EQ(b->type, img::kBgr);
  EXPECT_EQ(b->origin, img::kOriginBottomLeft);
  EXPECT_EQ(b->bytesPerLine, 92);  // 90 padded to 4
  EXPECT_EQ(picture.Width(), 30);
  EXPECT_EQ(picture.Height(), 20);
  EXPECT_EQ(picture.FormatIndex(), img::kFormatPng);
  EXPECT_EQ(picture.FileBytes(), testing::ReadFile(path));
  EXPECT_EQ(picture.PageCount(), 1);
}

TEST_F(Picture, FailedLoadLeavesItEmptyWithTheReason) {
  HGFLImage picture;
  ASSERT_TRUE(picture.LoadFile(Put("ok.bmp", Encode(TestPicture(img::kBgr, 4, 4), img::kFormatBmp))));
  EXPECT_FALSE(picture.LoadFile(Put("bad.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 1, 2})));
  EXPECT_EQ(ErrorText(), "Image data is corrupt or truncated");
  EXPECT_FALSE(picture.IsLoaded());
  EXPECT_EQ(picture.RenderedBitmap(), nullptr);
  EXPECT_TRUE(picture.FileBytes().empty());
  EXPECT_FALSE(picture.LoadFile((dir_ / "missing.png").string()));
  EXPECT_EQ(GetLastError(), ENOENT);

  img::UnloadImageLibrary();
  EXPECT_FALSE(picture.LoadFile(Put("ok2.bmp", Encode(TestPicture(img::kBgr, 4, 4), img::kFormatBmp))));
  EXPECT_EQ(ErrorText(), "GFL library is not loaded");
  img::LoadImageLibrary();
}

TEST_F(Picture, SavesInTheFormatOfTheExtension) {
  HGFLImage picture;
  EXPECT_FALSE(picture.SaveToFile((dir_ / "x.png").string()));
  EXPECT_EQ(ErrorText(), "Picture is not loaded");
  ASSERT_TRUE(picture.LoadFile(Put("a.png", Encode(TestPicture(img::kBgr, 40, 30), img::kFormatPng))));

  struct Case {
    const char* name;
    int format;  // -1: refused
  } cases[] = {{"b.JPG", img::kFormatJpeg}, {"c.tiff", img::kFormatTiff}, {"d.webp", img::kFormatWebp},
               {"e", img::kFormatPng},      {"dir.bmp/f", img::kFormatPng}, {"g.xyz", -1}};
  fs::create_directories(dir_ / "dir.bmp");
  for (const Case& c : cases) {
    std::string path = (dir_ / c.name).string();
    bool saved = picture.SaveToFile(path);
    EXPECT_EQ(saved, c.format >= 0) << c.name;
    if (!saved) {
      EXPECT_EQ(ErrorText(), "Undefined output format");
      EXPECT_FALSE(fs::exists(path));
      continue;
    }
    std::vector<uint8_t> bytes = testing::ReadFile(path);
    EXPECT_EQ(img::DetectFormat(bytes.data(), bytes.size()), c.format) << c.name;
  }
  picture.properties.JPGQuality = 20;
  ASSERT_TRUE(picture.SaveToFile((dir_ / "low.jpg").string()));
  EXPECT_LT(fs::file_size(dir_ / "low.jpg"), fs::file_size(dir_ / "b.JPG"));
}

TEST_F(Picture, StreamsRoundTripAndRejectBadStreams) {
  HGFLImage picture, copy;
  std::stringstream empty;
  ASSERT_TRUE(picture.SaveToStream(empty));
  EXPECT_EQ(empty.str(), std::string("\xFF\xFF\xFF\xFF", 4));

  ASSERT_TRUE(picture.LoadFile(Put("a.webp", Encode(TestPicture(img::kBgr, 12, 10), img::kFormatWebp))));
  std::stringstream s;
  ASSERT_TRUE(picture.SaveToStream(s));
  ASSERT_TRUE(copy.LoadFromStream(s));
  EXPECT_EQ(copy.FormatIndex(), img::kFormatWebp);
  EXPECT_EQ(copy.FileBytes(), picture.FileBytes());
  EXPECT_EQ(std::memcmp(copy.RenderedBitmap()->data.get(), picture.RenderedBitmap()->data.get(),
                        picture.RenderedBitmap()->dataSize),
            0);
  empty.seekg(0);
  ASSERT_TRUE(copy.LoadFromStream(empty));
  EXPECT_FALSE(copy.IsLoaded());

  struct Case {
    std::string bytes;
    const char* error;
  } cases[] = {
      {std::string("\x09\0\0\0", 4), "Unknown image format"},
      {std::string("\x01\0\0\0\xE8\x03\0\0abc", 11), "Picture stream is truncated"},
      {std::string("\x01\0\0\0\xFF\xFF\xFF\x7F", 8), "Picture stream is corrupt"},
      {std::string("\x01\0", 2), "Picture stream is truncated"},
      {std::string("\x00\0\0\0\x03\0\0\0abc", 11), "Image data is corrupt or truncated"},
  };
  for (const Case& c : cases) {
    std::stringstream bad(c.bytes);
    EXPECT_FALSE(copy.LoadFromStream(bad));
    EXPECT_EQ(ErrorText(), c.error);
  }
}

TEST_F(Picture, PagesAndAssign) {
  HGFLImage picture;
  ASSERT_TRUE(picture.LoadFile(ThreePageTiff((dir_ / "p.tif").string())));
  EXPECT_EQ(picture.PageCount(), 3);
  EXPECT_EQ(picture.RenderedBitmap()->data[0], 10);
  ASSERT_TRUE(picture.SetPage(2));
  EXPECT_EQ(picture.Page(), 2);
  EXPECT_EQ(picture.RenderedBitmap()->data[0], 210);
  ASSERT_TRUE(picture.SetPage(9));
  EXPECT_EQ(picture.Page(), 2);
  ASSERT_TRUE(picture.SetPage(-4));
  EXPECT_EQ(picture.Page(), 0);
  ASSERT_TRUE(picture.SetPage(1));

  HGFLImage other;
  picture.properties.PNGCompression = 3;
  ASSERT_TRUE(other.Assign(picture));
  EXPECT_EQ(other.Page(), 1);
  EXPECT_EQ(other.properties.PNGCompression, 3);
  EXPECT_EQ(other.RenderedBitmap()->data[0], 110);
  EXPECT_NE(other.RenderedBitmap()->data.get(), picture.RenderedBitmap()->data.get());
  // A streamed copy keeps the page it is asked for.
  std::stringstream s;
  picture.SaveToStream(s);
  HGFLImage streamed;
  ASSERT_TRUE(streamed.LoadFromStream(s));
  EXPECT_EQ(streamed.PageCount(), 3);
}

}  // namespace
}  // namespace tk
