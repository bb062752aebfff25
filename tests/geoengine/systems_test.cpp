// The engine's coordinate systems against independent values.
#include <gtest/gtest.h>

#include <string>

#include "platform/geoengine/geo_engine.h"
#include "platform/geoengine/system_projector.h"
#include "tests/geoengine/engine_fixture.h"

namespace tk {
namespace {

class SystemsTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::UseShippedEngine(); }

  static ConvertedCoord Convert(double lat, double lon, int system, int32_t datum = 0) {
    ConvertedCoord c;
    EXPECT_TRUE(ConvertCoord(lon, lat, system, 0, datum, &c))
        << system << " at " << lat << " " << lon << ": " << GetError();
    return c;
  }
};

// From GeographicLib's GeoConvert 2.1.2:
//   echo "lat lon" | GeoConvert -u -p 3     (zone, hemisphere, easting, northing)
//   echo "lat lon" | GeoConvert -m -p 0     (MGRS at 1 m)
constexpr struct {
  double lat, lon;
  int zone;
  char hemisphere;
  double easting, northing;
  const char* mgrs;
} kUtm[] = {
    {55.75, 37.617, 37, 'N', 413192.431, 6179121.900, "37UDB1319279121"},
    // Norway: band V from 3 E belongs to zone 32.
    {60, 2.9, 31, 'N', 494422.233, 6651415.406, "31VDG9442251415"},
    {60, 5, 32, 'N', 276979.926, 6658157.202, "32VKM7697958157"},
    {56, 3, 32, 'N', 126049.971, 6222336.335, "32VJH2604922336"},
    {63.9, 11.9, 32, 'N', 642314.749, 7089106.259, "32VPR4231489106"},
    {64.1, 5, 31, 'N', 597462.341, 7109687.913, "31WEM9746209687"},
    // Svalbard: band X has only the odd zones 31 ... 37.
    {78, 8.9, 31, 'N', 636716.846, 8665261.550, "31XFG3671665261"},
    {78, 9.1, 33, 'N', 363283.154, 8665261.550, "33XUG6328365261"},
    {78, 20.9, 33, 'N', 636716.846, 8665261.550, "33XXG3671665261"},
    {78, 21.1, 35, 'N', 363283.154, 8665261.550, "35XLG6328365261"},
    {78, 32.9, 35, 'N', 636716.846, 8665261.550, "35XPG3671665261"},
    {78, 33.1, 37, 'N', 363283.154, 8665261.550, "37XCG6328365261"},
    {78, 42.1, 38, 'N', 432717.791, 8660035.493, "38XMM3271760035"},
    // The equator belongs to the north; just south of it the northing restarts.
    {0, 3, 31, 'N', 500000.000, 0.000, "31NEA0000000000"},
    {-0.000001, 3, 31, 'S', 500000.000, 9999999.889, "31MEV0000099999"},
    // 180 E is 180 W, zone 1.
    {10, 180, 1, 'N', 171071.264, 1106908.854, "01PAM7107106908"},
    {10, -180, 1, 'N', 171071.264, 1106908.854, "01PAM7107106908"},
    {10, 179.999, 60, 'N', 828818.998, 1106907.856, "60PZS2881806907"},
    {-33.9, 18.4, 34, 'S', 259583.222, 6245888.045, "34HBH5958345888"},
    {-79.9, 10, 32, 'S', 519576.611, 1129407.483, "32CNS1957629407"},
};

TEST_F(SystemsTest, UtmAndMgrsOfKnownPoints) {
  for (const auto& k : kUtm) {
    const ConvertedCoord utm = Convert(k.lat, k.lon, kSystemUtm);
    EXPECT_NEAR(utm.Number(0), k.easting, 0.001) << k.lat << " " << k.lon;
    EXPECT_NEAR(utm.Number(1), k.northing, 0.001) << k.lat << " " << k.lon;
    EXPECT_EQ(utm.Int32At(ConvertedCoord::kZoneOffset), k.zone) << k.lat << " " << k.lon;
    EXPECT_EQ(utm.bytes[ConvertedCoord::kHemisphereOffset], k.hemisphere) << k.lat << " " << k.lon;
    EXPECT_EQ(Convert(k.lat, k.lon, kSystemMgrs).Text(), k.mgrs);
  }
}

TEST_F(SystemsTest, PolarRegionsUseUps) {
  // GeoConvert -u -p 3 and -m -p 0, as above.
  const struct {
    double lat, lon;
    char hemisphere;
    double easting, northing;
    const char* mgrs;
  } cases[] = {
      {85, 10, 'N', 2096454.164, 1452981.254, "ZAB9645452981"},
      {-85, -100, 'S', 1452981.254, 1903545.836, "ASM5298103545"},
  };
  for (const auto& k : cases) {
    const ConvertedCoord ups = Convert(k.lat, k.lon, kSystemUps);
    EXPECT_NEAR(ups.Number(0), k.easting, 0.001);
    EXPECT_NEAR(ups.Number(1), k.northing, 0.001);
    EXPECT_EQ(ups.bytes[ConvertedCoord::kUpsHemisphereOffset], k.hemisphere);
    EXPECT_EQ(Convert(k.lat, k.lon, kSystemMgrs).Text(), k.mgrs);
  }
  // echo "84 10" | GeoConvert -m -p 0: MGRS switches to UPS at 84 N.
  EXPECT_EQ(Convert(84, 10, kSystemMgrs).Text(), "ZBA1577643401");
}

TEST_F(SystemsTest, GridsRefuseLatitudesOutsideTheirRange) {
  ConvertedCoord c;
  EXPECT_FALSE(ConvertCoord(10, 84.01, kSystemUtm, 0, 0, &c));
  EXPECT_FALSE(ConvertCoord(10, -80.01, kSystemUtm, 0, 0, &c));
  EXPECT_FALSE(ConvertCoord(10, 83, kSystemUps, 0, 0, &c));
  EXPECT_NE(std::string(GetError()).find("UPS"), std::string::npos);
}

TEST_F(SystemsTest, UtmUsesTheTargetDatumsEllipsoid) {
  // echo "10 50" | cs2cs -f %.4f +proj=longlat +datum=WGS84
  //   +to +proj=utm +zone=32 +ellps=intl +towgs84=-87,-98,-121
  const ConvertedCoord c = Convert(50, 10, kSystemUtm, DatumIndexS("EUR-M"));
  EXPECT_NEAR(c.Number(0), 571750.0432, 0.01);
  EXPECT_NEAR(c.Number(1), 5539311.6554, 0.01);
}

TEST_F(SystemsTest, CartesianSystems) {
  // echo "55.75 37.617 0" | CartConvert -p 3 (GeographicLib)
  ConvertedCoord c = Convert(55.75, 37.617, kSystemGeocentric);
  EXPECT_NEAR(c.Number(0), 2849915.256, 0.001);
  EXPECT_NEAR(c.Number(1), 2196077.582, 0.001);
  EXPECT_NEAR(c.Number(2), 5248826.870, 0.001);
  // echo "lat lon 0" | CartConvert -l 0 0 0 -p 3: east, north, up from 0, 0, 0.
  c = Convert(1, 1, kSystemLocalCartesian);
  EXPECT_NEAR(c.Number(0), 111296.999, 0.001);
  EXPECT_NEAR(c.Number(1), 110568.775, 0.001);
  EXPECT_NEAR(c.Number(2), -1936.194, 0.001);
  c = Convert(-33.9, 18.4, kSystemLocalCartesian);
  EXPECT_NEAR(c.Number(0), 1672767.222, 0.001);
  EXPECT_NEAR(c.Number(1), -3537245.348, 0.001);
  EXPECT_NEAR(c.Number(2), -1349613.214, 0.001);
}

TEST_F(SystemsTest, GeorefAtOneThousandthOfAMinute) {
  // By hand: 15-degree letters from 180 W and 90 S (I and O skipped), then
  // the degree letters, then minutes of longitude and latitude with 3 decimals.
  EXPECT_EQ(Convert(55.75, 37.617, kSystemGeoref).Text(), "QKHL3702045000");
  EXPECT_EQ(Convert(-33.912, 18.417, kSystemGeoref).Text(), "PDDM2502005280");
}

TEST_F(SystemsTest, NamesAndUnavailableSystems) {
  EXPECT_EQ(CoordinateSystemCount(), 33);
  EXPECT_STREQ(CoordinateSystemName(0), "Geodetic");
  EXPECT_STREQ(CoordinateSystemName(5), "Universal Transverse Mercator (UTM)");
  EXPECT_STREQ(CoordinateSystemName(33), "");
  EXPECT_STREQ(CoordinateSystemName(-1), "");
  ConvertedCoord c;
  for (int system = kSystemUps + 1; system < 33; ++system) {
    EXPECT_FALSE(ConvertCoord(10, 50, system, 0, 0, &c));
    EXPECT_NE(std::string(GetError()).find(CoordinateSystemName(system)), std::string::npos);
  }
  EXPECT_FALSE(ConvertCoord(10, 50, 33, 0, 0, &c));
}

}  // namespace
}  // namespace tk
