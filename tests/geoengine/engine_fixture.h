// The engine with the program's shipped datum table, set up once per test
// program (making every datum's PROJ pipeline takes a few tens of ms).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/geoengine/geo_engine.h"

namespace tk::testing {

inline void UseShippedEngine() {
  if (DatumCountS() == 0) {
    ASSERT_EQ(InitializeEngine(), 0) << GetError();
  }
}

// Ground distance [m] between two nearby points given in degrees.
inline double DistanceMetres(double lon1, double lat1, double lon2, double lat2) {
  constexpr double kMetresPerDegree = 111320;
  const double dx = (lon1 - lon2) * kMetresPerDegree * std::cos(lat1 * std::numbers::pi / 180);
  const double dy = (lat1 - lat2) * kMetresPerDegree;
  return std::hypot(dx, dy);
}

}  // namespace tk::testing
