#include "terrakon/geodesy/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/error.h"
#include "platform/geoengine/geo_engine.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/config/settings_table.h"
#include "common/operation_abandoned.h"
#include "tests/geodesy/geodesy_fixture.h"
#include "tests/support/scripted_ui.h"

namespace tk {
namespace {

class GeodesyTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::UseShippedEngine(); }
};

TEST_F(GeodesyTest, InitGeodesyStartsTheEngineFromTheProgramFolder) {
  testing::Settings settings;
  settings::LoadEGM.Set(settings.link, false);
  ASSERT_TRUE(InitGeodesy(settings.link)) << ErrorText();
  EXPECT_EQ(DatumCount(), 230);
  EXPECT_STREQ(DatumCode(0), "WGE");
  EXPECT_STREQ(DatumName(DatumCount() - 1), DatumNameS(DatumCountS() - 1));
}

TEST_F(GeodesyTest, SystemListEndsWithThePixelSystem) {
  EXPECT_EQ(CoordSysCount(), 34);
  EXPECT_STREQ(CoordSysName(33), "Google pixels X,Y");
  EXPECT_STREQ(CoordSysName(0), "Geodetic");
  EXPECT_STREQ(CoordSysName(34), "");
}

TEST_F(GeodesyTest, GoogleToSystemRefusesBadIndices) {
  const struct {
    int32_t datum;
    uint16_t sys;
    const char* message;
  } cases[] = {
      {-1, 0, "Invalid datum index -1"},
      {230, 0, "Invalid datum index 230"},
      {0, 34, "Invalid coord sys index 34"},
      {0, 65535, "Invalid coord sys index 65535"},
      {0, 33, "Conversion to google coord sys is not supported"},
      {0, 7, "Conversion to Albers Equal Area Conic is not available"},
  };
  for (const auto& c : cases) {
    ConvertedCoord r;
    SetLastError(0);
    EXPECT_FALSE(GoogleToSystem({kWorldSize / 2, kWorldSize / 2}, c.sys, c.datum, &r));
    EXPECT_EQ(GetLastError(), kErrorText);
    EXPECT_EQ(ErrorText(), c.message);
  }
}

TEST_F(GeodesyTest, DatumZeroGeodeticIsTheQuadcalcDegrees) {
  const PixelPoint p{123456789012, 98765432109};
  ConvertedCoord r;
  r.SetNumber(2, 99);
  ASSERT_TRUE(GoogleToSystem(p, 0, 0, &r));
  EXPECT_EQ(r.Number(0), G2Rad(Google2X(p.X) - 180));
  EXPECT_EQ(r.Number(1), G2Rad(Google2Y(p.Y)));
  EXPECT_EQ(r.Number(2), 0);
}

TEST_F(GeodesyTest, GeoToGoogleInDatumZeroSpansTheWorld) {
  PixelPoint p;
  ASSERT_TRUE(GeoToGoogle(0, 0, 0, &p));
  EXPECT_EQ(p.X, 0);
  ASSERT_TRUE(GeoToGoogle(360, 0, 0, &p));
  EXPECT_EQ(p.X, kWorldSize);
  EXPECT_FALSE(GeoToGoogle(180, 0, -1, &p));
  EXPECT_EQ(ErrorText(), "Invalid datum index -1");
}

TEST_F(GeodesyTest, RoundTripInDatumZeroWithinOneUnitOverTheWorld) {
  constexpr int kSteps = 64;
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; j <= kSteps; ++j) {
      // Odd offsets keep the points off the exact powers of two.
      const PixelPoint p{std::min(kWorldSize, kWorldSize / kSteps * i + 12345 * i),
                         std::min(kWorldSize, kWorldSize / kSteps * j + 6789 * j)};
      double lon, lat;
      ASSERT_TRUE(GoogleToGeo(p, 0, &lon, &lat));
      PixelPoint back;
      ASSERT_TRUE(GeoToGoogle(lon, lat, 0, &back));
      EXPECT_LE(std::llabs(back.X - p.X), 1) << p.X << " " << p.Y;
      EXPECT_LE(std::llabs(back.Y - p.Y), 1) << p.X << " " << p.Y;
    }
  }
}

TEST_F(GeodesyTest, OtherDatumsShiftBothWays) {
  // The European 1950 values of DatumShiftTest (cs2cs), in internal longitudes.
  const int32_t eur = DatumIndexS("EUR-M");
  PixelPoint p;
  ASSERT_TRUE(GeoToGoogle(190, 50, 0, &p));
  double lon, lat;
  ASSERT_TRUE(GoogleToGeo(p, eur, &lon, &lat));
  EXPECT_NEAR(lon, 190.0011353773, 2e-7);
  EXPECT_NEAR(lat, 50.0008013782, 2e-7);
  PixelPoint shifted, expected;
  ASSERT_TRUE(GeoToGoogle(190, 50, eur, &shifted));
  ASSERT_TRUE(GeoToGoogle(189.9988646200, 49.9991985916, 0, &expected));
  // 100 units are 1.5 cm on the equator.
  EXPECT_LE(std::llabs(shifted.X - expected.X), 100);
  EXPECT_LE(std::llabs(shifted.Y - expected.Y), 100);
}

TEST_F(GeodesyTest, GeoToGoogleCheckedTellsAndAbandons) {
  testing::ScriptedUi ui;
  testing::LogCapture log;
  const PixelPoint p = GeoToGoogleChecked(360, 0, 0);
  EXPECT_EQ(p.X, kWorldSize);
  EXPECT_THROW(GeoToGoogleChecked(180, 0, 999), OperationAbandoned);
  ASSERT_EQ(ui.events.size(), 1u);
  EXPECT_EQ(ui.events[0].kind, "error");
  EXPECT_EQ(ui.events[0].text, "Coordinate conversion error: Invalid datum index 999");
  EXPECT_EQ(log.Lines(), std::vector<std::string>{ui.events[0].text});
}

}  // namespace
}  // namespace tk
