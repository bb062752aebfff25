#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "quadcalc/quadcalc.h"

namespace tk {
namespace {

constexpr int64_t k37 = int64_t{1} << 37;
constexpr int64_t k38 = int64_t{1} << 38;
// Mercator's limit, atan(sinh(pi)) in degrees.
constexpr double kMaxLatitude = 85.05112877980659;

TEST(QuadcalcDegrees, LongitudeScale) {
  EXPECT_EQ(Google2X(0), 0.0);
  EXPECT_EQ(Google2X(k37), 180.0);
  EXPECT_EQ(Google2X(k38), 360.0);
  EXPECT_EQ(Google2X(-k37), -180.0);

  struct Case {
    double lon180;
    int64_t x;
  };
  const Case cases[] = {
      {0.0, 0}, {360.0, k38}, {180.0, k37},
      {180.0000000001, k37},  // 2^37 + 0.076: truncated
      {-0.000000001, 0},      // truncation is towards zero
      {90.0, k38 / 4},
      // Not a number and values beyond int64 saturate instead of being undefined.
      {std::numeric_limits<double>::quiet_NaN(), 0},
      {1e300, INT64_MAX},
      {-std::numeric_limits<double>::infinity(), INT64_MIN},
  };
  for (const Case &c : cases) EXPECT_EQ(X2Google(c.lon180), c.x) << c.lon180;

  for (int64_t x : {int64_t{1}, int64_t{12345678901}, k38 - 1, int64_t{98765}})
    EXPECT_EQ(X2Google(Google2X(x)), x);
}

TEST(QuadcalcDegrees, LatitudeScale) {
  EXPECT_EQ(Google2Y(k37), 0.0);
  EXPECT_NEAR(Google2Y(0), -kMaxLatitude, 1e-12);
  EXPECT_NEAR(Google2Y(k38), kMaxLatitude, 1e-12);
  EXPECT_NEAR(Google2Y(INT64_MAX), 90.0, 1e-12);
  EXPECT_NEAR(Google2Y(INT64_MIN), -90.0, 1e-12);

  EXPECT_EQ(Y2Google(0.0), k37);
  EXPECT_NEAR(static_cast<double>(Y2Google(kMaxLatitude)), static_cast<double>(k38), 64);
  EXPECT_NEAR(static_cast<double>(Y2Google(-kMaxLatitude)), 0.0, 64);
  EXPECT_GT(Y2Google(89.0), k38);  // not limited
  EXPECT_EQ(Y2Google(90.0), INT64_MAX);
  EXPECT_EQ(Y2Google(-90.0), INT64_MIN);
  EXPECT_EQ(Y2Google(std::numeric_limits<double>::quiet_NaN()), 0);

  for (int64_t y : {int64_t{1000}, k37 / 3, k37 + 1, k38 - 1000})
    EXPECT_NEAR(static_cast<double>(Y2Google(Google2Y(y))), static_cast<double>(y), 2) << y;
}

}  // namespace
}  // namespace tk
