// Datum shifts of the engine against independent values.
#include <gtest/gtest.h>

#include "platform/geoengine/geo_engine.h"
#include "tests/geoengine/engine_fixture.h"

namespace tk {
namespace {

struct ShiftCase {
  const char* code;
  double lon, lat;          // the point [degrees]
  double toLon, toLat;      // the point taken as WGS 84, in the local datum
  double fromLon, fromLat;  // the point taken as local, in WGS 84
};

// From cs2cs (PROJ 9.1.1) with the TR8350.2 parameters, for each row:
//   echo "lon lat" | cs2cs -f %.10f +proj=longlat +datum=WGS84 +to <local>
//   echo "lon lat" | cs2cs -f %.10f <local> +to +proj=longlat +datum=WGS84
// <local> = +proj=longlat <ellipsoid> +towgs84=<dx,dy,dz[,rx,ry,rz,ds]>:
//   EUR-M +ellps=intl -87,-98,-121;  NAS-C +a=6378206.4 +rf=294.9786982 -8,160,176;
//   PUK +ellps=krass 28,-130,-95;  TOY-M +ellps=bessel -148,507,685;
//   OGB-M +ellps=airy 375,-111,431;
//   OGB-7 +ellps=airy 446,-99,544,0.945,0.261,0.435,-20.8927 and
//   EUR-7 +ellps=intl -102,-102,-129,-0.413,0.184,-0.385,2.4664
//   (towgs84 takes position-vector rotations: the table's coordinate-frame
//   rotations with their signs turned).
constexpr ShiftCase kShifts[] = {
    {"EUR-M", 10, 50, 10.0011353773, 50.0008013782, 9.9988646200, 49.9991985916},
    {"EUR-M", -3.7, 40.4, -3.6987819052, 40.4011717798, -3.7012180799, 40.3988282003},
    {"NAS-C", -100, 40, -99.9995823935, 39.9999905157, -100.0004176222, 40.0000094828},
    {"NAS-C", -75, 40, -75.0003944378, 39.9999879765, -74.9996055473, 40.0000120221},
    {"PUK", 37.6, 55.75, 37.6019122532, 55.7500333949, 37.5980877178, 55.7499665747},
    {"PUK", 140, 60, 139.9985379025, 59.9995890123, 140.0014621694, 60.0004109816},
    {"TOY-M", 139.7, 35.7, 139.7032150279, 35.6967368882, 139.6967851348, 35.7032626364},
    {"TOY-M", 135.5, 34.7, 135.5028149507, 34.6967279087, 135.4971852080, 34.7032716270},
    {"OGB-M", -0.1, 51.5, -0.0984107875, 51.4995422173, -0.1015890674, 51.5004577144},
    {"OGB-M", -3.2, 55.95, -3.1985609305, 55.9500124422, -3.2014389047, 55.9499875423},
    {"OGB-7", -0.1, 51.5, -0.0983785626, 51.4994781531, -0.1016212659, 51.5005217558},
    {"EUR-7", 10, 50, 10.0011376966, 50.0008117346, 9.9988622954, 49.9991882343},
};

constexpr double kTolerance = 0.01;  // [m]

class DatumShiftTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::UseShippedEngine(); }

  // The point converted between the datums, in degrees.
  static void Geodetic(double lon, double lat, int32_t from, int32_t to, double* outLon,
                       double* outLat) {
    ConvertedCoord c;
    ASSERT_TRUE(ConvertCoord(lon, lat, 0, from, to, &c)) << GetError();
    *outLon = Rad2G(c.Number(0));
    *outLat = Rad2G(c.Number(1));
  }
};

TEST_F(DatumShiftTest, AgreesWithCs2csBothWays) {
  for (const ShiftCase& s : kShifts) {
    const int32_t datum = DatumIndexS(s.code);
    ASSERT_GT(datum, 0) << s.code;
    double lon = 0, lat = 0;
    Geodetic(s.lon, s.lat, 0, datum, &lon, &lat);
    EXPECT_LT(testing::DistanceMetres(lon, lat, s.toLon, s.toLat), kTolerance)
        << s.code << " from WGS 84 at " << s.lon << " " << s.lat;
    Geodetic(s.lon, s.lat, datum, 0, &lon, &lat);
    EXPECT_LT(testing::DistanceMetres(lon, lat, s.fromLon, s.fromLat), kTolerance)
        << s.code << " to WGS 84 at " << s.lon << " " << s.lat;
  }
}

TEST_F(DatumShiftTest, BetweenTwoLocalDatumsGoesThroughWgs84) {
  // echo "-0.1 51.5" | cs2cs -f %.10f +proj=longlat +ellps=airy +towgs84=375,-111,431
  //   +to +proj=longlat +ellps=intl +towgs84=-87,-98,-121
  double lon = 0, lat = 0;
  Geodetic(-0.1, 51.5, DatumIndexS("OGB-M"), DatumIndexS("EUR-M"), &lon, &lat);
  EXPECT_LT(testing::DistanceMetres(lon, lat, -0.1001755950, 51.5013247151), kTolerance);
}

TEST_F(DatumShiftTest, Wgs72UsesTheDedicatedIncrements) {
  // The TR8350.2 increments, computed in Python:
  //   dlat" = 4.5 cos(lat) / (a sin 1") + df sin(2 lat) / sin 1";  dlon" = 0.554
  //   dh = 4.5 sin(lat) + a df sin^2(lat) - da + dr
  //   a = 6378135, df = 0.3121057e-7, da = 2.0, dr = 1.4
  const struct {
    double lon = 0, lat = 0, lon84 = 0, lat84 = 0, dh = 0;
  } cases[] = {
      {10, 50, 10.0001538889, 50.0000277452, 2.9640},
      {-120, -33, -119.9998461111, -32.9999677310, -2.9918},
  };
  const int32_t wgs72 = DatumIndexS("WGC");
  for (const auto& c : cases) {
    ConvertedCoord r;
    ASSERT_TRUE(ConvertCoord(c.lon, c.lat, 0, wgs72, 0, &r)) << GetError();
    EXPECT_LT(testing::DistanceMetres(Rad2G(r.Number(0)), Rad2G(r.Number(1)), c.lon84, c.lat84),
              kTolerance);
    EXPECT_NEAR(r.Number(2), c.dh, 1e-3);
    // The reverse lands on the start again.
    double lon = 0, lat = 0;
    Geodetic(c.lon84, c.lat84, 0, wgs72, &lon, &lat);
    EXPECT_LT(testing::DistanceMetres(lon, lat, c.lon, c.lat), 0.001);
  }
}

// Both directions start on the ellipsoid (height 0), as PROJ does between
// 2D systems, so a round trip drops the height the first shift produced:
// centimetres (up to 0.2 m for the largest shifts far from their area);
// a wrong sign or rotation convention would miss by hundreds of metres.
TEST_F(DatumShiftTest, EveryDatumRoundTripsThroughWgs84) {
  for (int32_t d = 1; d < DatumCountS(); ++d) {
    double lon = 0, lat = 0, backLon = 0, backLat = 0;
    Geodetic(20, 45, 0, d, &lon, &lat);
    Geodetic(lon, lat, d, 0, &backLon, &backLat);
    EXPECT_LT(testing::DistanceMetres(backLon, backLat, 20, 45), 0.5) << DatumCodeS(d);
  }
}

TEST_F(DatumShiftTest, BadArgumentsFail) {
  ConvertedCoord c;
  EXPECT_FALSE(ConvertCoord(0, 0, 0, -1, 0, &c));
  EXPECT_FALSE(ConvertCoord(0, 0, 0, 0, DatumCountS(), &c));
  EXPECT_FALSE(ConvertCoord(0, 91, 0, 0, 1, &c));
  EXPECT_FALSE(ConvertCoord(std::nan(""), 0, 0, 0, 1, &c));
  EXPECT_STRNE(GetError(), "");
}

}  // namespace
}  // namespace tk
