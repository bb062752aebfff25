#include "terrakon/geodesy/coord_format.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/error.h"
#include "terrakon/geodesy/coord_choice.h"
#include "terrakon/geodesy/geodesy.h"
#include "tests/geodesy/geodesy_fixture.h"

namespace tk {
namespace {

constexpr double kMoscowLon = 37.617, kMoscowLat = 55.75;  // [degrees]

PixelPoint Pixel(double lon, double lat) {
  PixelPoint p;
  EXPECT_TRUE(GeoToGoogle(lon + 180, lat, 0, &p));
  return p;
}

TEST(FormatDegrees, ShapesOfTheThreeTypes) {
  const struct {
    double value;
    int degType;
    bool isLongitude;
    const char* text;
  } cases[] = {
      {55 + 45.0 / 60 + 2.5 / 3600, 0, false, "N  55 45 2.5000"},
      {180 + 37 + 37.041667 / 60, 1, true, "E  37 37.041667"},
      {-3.5, 2, false, "S 3.50000000"},
      {0, 0, false, "N   0 00 0.0000"},
      {180, 0, true, "W   0 00 0.0000"},  // the prime meridian is west
      {180 - 12.25, 1, true, "W  12 15.000000"},
      {359.5, 2, true, "E 179.50000000"},
      {-85.04073, 0, false, "S  85 02 26.6280"},
      {85.1, 0, false, "N  85 06 0.0000"},
      {-12.5, 7, false, "S 12.50000000"},  // unknown types print degrees
      // The edges of the world.
      {0, 0, true, "<< W 180"},
      {-3, 1, true, "<< W 180"},
      {360, 0, true, ">> E 180"},
      {-85.04073635507922, 0, false, "\\/ S 90"},
      {-90, 2, false, "\\/ S 90"},
      {85.13203496850686, 0, false, "/\\ N 90"},
  };
  for (const auto& c : cases) {
    const std::string text = FormatDegrees(c.value, c.degType, c.isLongitude);
    EXPECT_EQ(text, c.text) << c.value << " type " << c.degType;
    EXPECT_LE(text.size(), 19u);
  }
}

TEST(Hemispheres, SplitAndJoin) {
  const struct {
    double value;
    bool isLongitude;
    char letter;
    double absolute;
  } cases[] = {
      {180, true, 'W', 0},  {180.5, true, 'E', 0.5}, {90, true, 'W', 90},
      {0, false, 'N', 0},   {-0.5, false, 'S', 0.5},  {45, false, 'N', 45},
  };
  for (const auto& c : cases) {
    const Hemisphere h = SplitHemisphere(c.value, c.isLongitude);
    EXPECT_EQ(h.letter, c.letter) << c.value;
    EXPECT_DOUBLE_EQ(h.value, c.absolute) << c.value;
    EXPECT_DOUBLE_EQ(JoinHemisphere(h.value, h.letter, c.isLongitude), c.value) << c.value;
  }
  // Letters are exact: anything but 'S' is north, anything but 'W' is east.
  EXPECT_DOUBLE_EQ(JoinHemisphere(0.5, 's', false), 0.5);
  EXPECT_DOUBLE_EQ(JoinHemisphere(10, 'w', true), 190);
  EXPECT_DOUBLE_EQ(JoinHemisphere(10, 0, true), 190);
}

TEST(DegTypes, Names) {
  EXPECT_EQ(DegTypeCount(), 3);
  EXPECT_STREQ(DegTypeName(0), "Degree, Min, Sec");
  EXPECT_STREQ(DegTypeName(1), "Degree, Min");
  EXPECT_STREQ(DegTypeName(2), "Degree");
  EXPECT_STREQ(DegTypeName(3), "<unknown>");
  EXPECT_STREQ(DegTypeName(-1), "<unknown>");
}

class FormatCoordTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::UseShippedEngine(); }
};

TEST_F(FormatCoordTest, PixelSystemWithMarkers) {
  EXPECT_EQ(FormatCoord({0, kWorldSize}, 0, 33, 0, " / "), "<< W 180 / /\\ N 90");
  EXPECT_EQ(FormatCoord({kWorldSize, 0}, 0, 33, 0, ","), ">> E 180,\\/ S 90");
  EXPECT_EQ(FormatCoord({-5, kWorldSize + 5}, 0, 33, 0, ","), "<< W 180,/\\ N 90");
  EXPECT_EQ(FormatCoord({1, kWorldSize - 1}, 999, 33, 2, "\n"), "1\n274877906943");
}

TEST_F(FormatCoordTest, ResultPrintersOfTheFirstSystems) {
  const PixelPoint moscow = Pixel(kMoscowLon, kMoscowLat);
  EXPECT_EQ(FormatCoord(moscow, 0, 0, 1, " / "), "N  55 45.000000 / E  37 37.020000");
  // GEOREF by hand (37.0308 and 45.0168 minutes, truncated), MGRS from GeoConvert.
  EXPECT_EQ(FormatCoord(Pixel(37.61718, 55.75028), 0, 1, 0, " "), "QKHL3703045016");
  EXPECT_EQ(FormatCoord(moscow, 0, 4, 0, " "), "37UDB1319279121");
  // Geocentric X and Y, CartConvert: 2849915.256 2196077.582 5248826.870.
  double x = 0, y = 0;
  ASSERT_EQ(std::sscanf(FormatCoord(moscow, 0, 2, 0, " / ").c_str(), "%lf / %lf", &x, &y), 2);
  EXPECT_NEAR(x, 2849915.256, 0.001);
  EXPECT_NEAR(y, 2196077.582, 0.001);
  ASSERT_EQ(std::sscanf(FormatCoord(moscow, 0, 3, 0, ";").c_str(), "%lf;%lf", &x, &y), 2);
  // UTM: GeoConvert 37n 413192.431 6179121.900.
  const std::string utm = FormatCoord(moscow, 0, 5, 0, " / ");
  int zone = 0;
  char hemisphere = 0;
  ASSERT_EQ(std::sscanf(utm.c_str(), "E%lf / N%lf / %d%c", &x, &y, &zone, &hemisphere), 4) << utm;
  EXPECT_NEAR(x, 413192.431, 0.001);
  EXPECT_NEAR(y, 6179121.900, 0.001);
  EXPECT_EQ(zone, 37);
  EXPECT_EQ(hemisphere, 'N');
  EXPECT_EQ(utm.substr(utm.size() - 6), " / 37N");
}

TEST_F(FormatCoordTest, ErrorsGiveTheErrorText) {
  const PixelPoint moscow = Pixel(kMoscowLon, kMoscowLat);
  for (int sys : {6, 7, 32, 34, -1, -100, 65535}) EXPECT_EQ(FormatCoord(moscow, 0, sys, 0, " "), "<error>") << sys;
  EXPECT_EQ(FormatCoord(moscow, 999, 0, 0, " "), "<error>");
  EXPECT_EQ(ErrorText(), "Invalid datum index 999");
  // UTM has no zone north of 84 degrees.
  EXPECT_EQ(FormatCoord({kWorldSize / 2, kWorldSize - 1}, 0, 5, 0, " "), "<error>");
}

TEST_F(FormatCoordTest, TextsAreCutTo99Bytes) {
  const std::string separator(200, '-');
  const std::string text = FormatCoord({5, 7}, 0, 33, 0, separator);
  EXPECT_EQ(text.size(), 99u);
  EXPECT_EQ(text.substr(0, 2), "5-");
}

TEST_F(FormatCoordTest, CurrentUsesTheMainWindowsChoice) {
  const PixelPoint moscow = Pixel(kMoscowLon, kMoscowLat);
  SetCurrentCoordSys(33);
  EXPECT_EQ(FormatCoordCurrent({5, 7}, ","), "5,7");
  SetCurrentCoordSys(0);
  SetCurrentDegType(2);
  SetCurrentDatum(DatumIndexS("EUR-M"));
  EXPECT_EQ(FormatCoordCurrent(moscow, " "), FormatCoord(moscow, DatumIndexS("EUR-M"), 0, 2, " "));
  EXPECT_NE(FormatCoordCurrent(moscow, " "), FormatCoord(moscow, 0, 0, 2, " "));
  SetCurrentDatum(0);
  SetCurrentDegType(0);
}

}  // namespace
}  // namespace tk
