#include <gtest/gtest.h>

#include <cmath>

#include "common/error.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/imageexport/calibration_formats.h"
#include "terrakon/imageexport/ozi_map.h"
#include "terrakon/imageexport/world_file.h"
#include "terrakon/plates/pixel_space.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

TEST(CornerText, HemispheresDegreesAndMinutes) {
  const int64_t equator = kWorldSize / 2, meridian = kWorldSize / 2;
  const struct {
    int64_t x, y;
    const char* text;
  } cases[] = {
      {meridian, equator, "0,0.000000,N,0,0.000000,W"},  // the prime meridian is west
      {meridian + 1, equator, "0,0.000000,N,0,0.000000,E"},
      {0, kWorldSize, "85,3.067727,N,180,0.000000,W"},  // 85.0511287798 degrees: the edge of the world
      {X2Google(180 + 37.5), Y2Google(-33.5), "33,30.000000,S,37,30.000000,E"},
  };
  for (const auto& c : cases) EXPECT_EQ(CornerText(c.x, c.y), c.text) << c.x << " " << c.y;
}

TEST(OziMap, WritesTheFileByteForByte) {
  testing::TempDir dir;
  const std::string image = dir.File("z01_001_001.png"), map = dir.File("z01_001_001.map");
  ASSERT_TRUE(WriteOziMap(image, map, 512, 512, {0, kWorldSize, kWorldSize, 0}));
  std::string expected = "OziExplorer Map Data File Version 2.2\n" + image + "\n" + image +
                         "\n1 ,Map Code,\nWGS 84,,   0.0000,   0.0000,WGS 84\nReserved 1\nReserved 2\n"
                         "Magnetic Variation,,,E\nMap Projection,Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No\n"
                         "Point01,xy,0,0,in, deg, 85,3.067727,N,180,0.000000,W,grid,,,,N\n"
                         "Point02,xy,512,0,in, deg, 85,3.067727,N,180,0.000000,E,grid,,,,N\n"
                         "Point03,xy,512,512,in, deg, 85,3.067727,S,180,0.000000,E,grid,,,,N\n"
                         "Point04,xy,0,512,in, deg, 85,3.067727,S,180,0.000000,W,grid,,,,N\n";
  for (int i = 5; i <= 30; ++i) expected += "Point" + std::to_string(i) + ",xy,,,in, deg,,,N,,,W,grid,,,,N\n";
  expected +=
      "Projection Setup,,,,,,,,,,\nMap Feature = MF ; Map Comment = MC     These follow if they exist\n"
      "Track File = TF      These follow if they exist\nMoving Map Parameters = MM?    These follow if they exist\n"
      "MM0,No\nMMPNUM,4\nMMPXY,1,0,0\nMMPXY,2,512,0\nMMPXY,3,512,512\nMMPXY,4,0,512\n"
      "MMPLL,1,-180.000000,85.051129\nMMPLL,2,180.000000,85.051129\nMMPLL,3,180.000000,-85.051129\n"
      "MMPLL,4,-180.000000,-85.051129\nMOP,Map Open Position,0,0\nIWH,Map Image Width/Height,512,512\n";
  std::string crlf;
  for (char c : expected) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(testing::ReadWholeFile(map), crlf);
}

TEST(OziMap, AFileThatCannotBeCreatedFailsWithTheSystemError) {
  testing::TempDir dir;
  EXPECT_FALSE(WriteOziMap("x.png", dir.File("none/x.map"), 256, 256, {0, 1, 1, 0}));
  EXPECT_EQ(GetLastError(), ENOENT);
  EXPECT_TRUE(dir.Entries().empty());
}

// The whole world at level 1 is 40075016.686 m wide (2 pi x 6378137 m).
TEST(WorldFile, SixLinesOfWebMercatorMetresAndTheProjection) {
  testing::TempDir dir;
  const std::string image = dir.File("a.png");
  ASSERT_TRUE(WriteWorldFile(image, dir.File("a.pgw"), 512, 512, {0, kWorldSize, kWorldSize, 0}));
  EXPECT_EQ(testing::ReadWholeFile(dir.File("a.pgw")),
            "78271.5169640205\r\n0.0000000000\r\n0.0000000000\r\n-78271.5169640205\r\n"
            "-19998372.5843072347\r\n19998372.5843072347\r\n");
  const std::string prj = testing::ReadWholeFile(dir.File("a.prj"));
  EXPECT_EQ(prj.rfind("PROJCS[\"WGS_1984_Web_Mercator_Auxiliary_Sphere\"", 0), 0u);
  EXPECT_NE(testing::ReadWholeFile(image + ".aux.xml").find("<SRS>EPSG:3857</SRS>"), std::string::npos);
  EXPECT_EQ(WorldFileExtension("jpg"), "jgw");
  EXPECT_EQ(WorldFileExtension("tif"), "tfw");
  EXPECT_EQ(WorldFileExtension("webp"), "wpw");
  EXPECT_NEAR(WebMercatorMetres(static_cast<double>(kWorldSize)), 20037508.342789244, 1e-6);
}

TEST(CalibrationFormats, TheTable) {
  ASSERT_EQ(CalibrationFormats().size(), 2u);
  EXPECT_STREQ(CalibrationFormatAt(0)->name, "OZI explorer MAP");
  EXPECT_FALSE(CalibrationFormatAt(0)->besideImage);
  EXPECT_TRUE(CalibrationFormatAt(1)->besideImage);
  EXPECT_EQ(CalibrationFormatAt(2), nullptr);
  EXPECT_EQ(CalibrationFormatAt(-1), nullptr);
}

}  // namespace
}  // namespace tk
