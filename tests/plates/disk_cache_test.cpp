#include "terrakon/plates/disk_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/plates/plates_fixture.h"

namespace tk {
namespace {

namespace fs = std::filesystem;
using testing::Encode;
using testing::NorthRedSouthBlue;
using testing::TestPicture;

using DiskCache = testing::PlatesTest;

// Blue and red of the plate's bottom (southern) and top rows.
void ExpectSouthBlueNorthRed(const PlateRef& r) {
  ASSERT_TRUE(r.IsImage());
  ASSERT_EQ(r.bytes(), kPlateImageBytes);
  const uint8_t* south = r.bits() + 10 * kPlateLineBytes + 128 * 3;
  const uint8_t* north = r.bits() + 245 * kPlateLineBytes + 128 * 3;
  EXPECT_GT(south[0], 200);
  EXPECT_LT(south[2], 50);
  EXPECT_GT(north[2], 200);
  EXPECT_LT(north[0], 50);
}

TEST_F(DiskCache, JpegPlateIsDecodedBottomUpIntoTheMemoryCache) {
  PutPlate("qrs", Encode(NorthRedSouthBlue(256), img::kFormatJpeg));
  PlateRef r = LoadPlateFile("qrs");
  ExpectSouthBlueNorthRed(r);
  EXPECT_TRUE(CacheLookup("qrs").SameImage(r));
  EXPECT_EQ(CacheBytes(), kPlateImageBytes);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(DiskCache, WrongSizeIsLoggedOnceAndResized) {
  struct Case {
    int format;
    int side;
  } cases[] = {{img::kFormatJpeg, 512}, {img::kFormatPng, 300}, {img::kFormatJpeg, 128}};
  for (const Case& c : cases) {
    log_.Clear();
    PutPlate("t", Encode(NorthRedSouthBlue(c.side), c.format));
    PlateRef r = LoadPlateFile("t");
    ExpectSouthBlueNorthRed(r);
    std::string side = std::to_string(c.side);
    EXPECT_EQ(log_.Lines(), std::vector<std::string>{"Loaded bitmap [t] has wrong sizes " + side + "x" + side +
                                                     ", resize to 256x256"});
  }
}

TEST_F(DiskCache, OtherLayoutsAreConvertedAndSaySo) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    std::vector<std::string> log;
  } cases[] = {
      {"grey jpeg", Encode(TestPicture(img::kGrey, 256, 256), img::kFormatJpeg), {"Change image colorspace from 2"}},
      {"palette png", Encode(TestPicture(img::kColors, 256, 256), img::kFormatPng), {"Change image colorspace from 4"}},
      {"png with alpha", Encode(TestPicture(img::kBgra, 256, 256), img::kFormatPng), {}},  // alpha dropped on load
      {"colour jpeg", Encode(TestPicture(img::kBgr, 256, 256), img::kFormatJpeg), {}},
      {"bmp", Encode(TestPicture(img::kBgr, 256, 256), img::kFormatBmp), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_.Clear();
    PutPlate("r", c.file);
    PlateRef r = LoadPlateFile("r");
    ASSERT_TRUE(r.IsImage());
    EXPECT_EQ(r.bytes(), kPlateImageBytes);
    EXPECT_EQ(log_.Lines(), c.log);
  }
  // The alpha picture keeps its colours: top-left of TestPicture is blue 0, green 0.
  PutPlate("r", Encode(TestPicture(img::kBgra, 256, 256), img::kFormatPng));
  PlateRef r = LoadPlateFile("r");
  const uint8_t* topLeft = r.bits() + 255 * kPlateLineBytes;
  EXPECT_EQ(topLeft[0], 0);
  EXPECT_EQ(topLeft[2], 40);
}

TEST_F(DiskCache, UndecodableFilesAreDeletedOnlyWhenAsked) {
  std::vector<uint8_t> jpeg = Encode(TestPicture(img::kBgr, 256, 256), img::kFormatJpeg);
  std::vector<uint8_t> corrupt(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 3));
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* text;
  } cases[] = {{"corrupt", corrupt, "Image data is corrupt or truncated"},
               {"zero length", {}, "Unknown image format"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool del : {true, false}) {
      Switches().delUnknownImages = del;
      log_.Clear();
      std::string path = PutPlate("s", c.bytes);
      std::string line = "Error loading image [" + path + "]: " + c.text;
      EXPECT_FALSE(LoadPlateFile("s"));
      EXPECT_EQ(fs::exists(path), !del);
      EXPECT_FALSE(LoadPlateFile("s"));
      std::vector<std::string> expected(del ? 1 : 2, line);
      EXPECT_EQ(log_.Lines(), expected);
      EXPECT_EQ(CacheCount(), 0);
    }
  }
}

TEST_F(DiskCache, MissingOrUnreadableFilesAreKept) {
  EXPECT_FALSE(LoadPlateFile("qqq"));
  EXPECT_TRUE(log_.Lines().empty());
  // A directory where the plate file should be: cannot be read, is no
  // proof of a bad picture, stays.
  fs::create_directories(PlatePath("q"));
  EXPECT_FALSE(LoadPlateFile("q"));
  EXPECT_EQ(log_.Lines().size(), 1u);
  EXPECT_TRUE(fs::exists(PlatePath("q")));
}

TEST_F(DiskCache, StoringADecodedBitmapNormalisesItsRows) {
  // A top-down bitmap from a caller with other load settings.
  img::Bitmap b = NorthRedSouthBlue(256);
  ASSERT_EQ(b.origin, img::kOriginTopLeft);
  ExpectSouthBlueNorthRed(StorePlateImage("qr", std::move(b), img::FileInfo()));
  EXPECT_FALSE(StorePlateImage("qr", img::Bitmap(), img::FileInfo()));
}

}  // namespace
}  // namespace tk
