#include "terrakon/tracks/date_time.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tk {
namespace {

// Days of the OLE date system; 45356.5242593 is what GPSBabel writes for
// 2024-03-05 12:34:56, the rest are the system's documented anchors (day 60
// is 28 February 1900: there is no 29th in this system).
TEST(DateTime, DaysSince1899BothWays) {
  const struct {
    double days;
    DateTime time;
  } cases[] = {
      {0, {1899, 12, 30, 0, 0, 0}},
      {1, {1899, 12, 31, 0, 0, 0}},
      {2.5, {1900, 1, 1, 12, 0, 0}},
      {60, {1900, 2, 28, 0, 0, 0}},
      {61, {1900, 3, 1, 0, 0, 0}},
      {36526, {2000, 1, 1, 0, 0, 0}},
      {45356.5242593, {2024, 3, 5, 12, 34, 56}},
      {-1.25, {1899, 12, 29, 6, 0, 0}},
  };
  for (const auto& c : cases) {
    DateTime t;
    ASSERT_TRUE(DaysToDateTime(c.days, &t)) << c.days;
    EXPECT_EQ(t, c.time) << c.days;
    EXPECT_NEAR(DateTimeToDays(c.time), c.days, 1e-6) << c.days;
  }
}

// Six decimals of a day are 0.0864 s; a second must survive the round trip.
TEST(DateTime, EverySecondOfADaySurvivesSixDecimals) {
  for (int s = 0; s < 86400; s += 7) {
    DateTime t{2023, 7, 14, uint16_t(s / 3600), uint16_t(s / 60 % 60), uint16_t(s % 60)};
    double rounded = std::round(DateTimeToDays(t) * 1e6) / 1e6;
    DateTime back;
    ASSERT_TRUE(DaysToDateTime(rounded, &back));
    ASSERT_EQ(back, t) << s;
  }
}

TEST(DateTime, RefusesWhatIsNoDate) {
  DateTime t{1, 2, 3, 4, 5, 6};
  for (double days : {1e300, -1e300, 3e6, -7e5, std::nan(""), double(INFINITY)}) {
    EXPECT_FALSE(DaysToDateTime(days, &t)) << days;
  }
  EXPECT_EQ(t, (DateTime{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(DateTime{}.IsEmpty());
  EXPECT_FALSE(LocalNow().IsEmpty());
}

}  // namespace
}  // namespace tk
