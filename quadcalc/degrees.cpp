#include <cmath>
#include <cstdint>
#include <numbers>

#include "quadcalc/quadcalc.h"

namespace tk {
namespace {

constexpr long double kWorldUnits = 274877906944.0L;  // 2^38
constexpr double kHalfWorld = 137438953472.0;         // 2^37
constexpr double kUnitsPerRadian = 43748177636.891624;  // 2^38 / 2 pi

// Truncation towards zero; NaN and values beyond int64 would be undefined
// conversions, so NaN gives 0 and the rest saturate.
int64_t TruncateToInt64(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775808.0L) return INT64_MAX;
  if (v <= -9223372036854775808.0L) return INT64_MIN;
  return static_cast<int64_t>(v);
}

}  // namespace
}  // namespace tk

extern "C" double Google2X(int64_t x) {
  return static_cast<double>(static_cast<long double>(x) * 360.0L / tk::kWorldUnits);
}

extern "C" int64_t X2Google(double lon180) {
  return tk::TruncateToInt64(static_cast<long double>(lon180) * tk::kWorldUnits / 360.0L);
}

extern "C" double Google2Y(int64_t y) {
  constexpr double pi = std::numbers::pi;
  const double t = static_cast<double>(y) / static_cast<double>(tk::kWorldUnits) * 2.0 * pi - pi;
  return (2.0 * std::atan(std::exp(t)) - pi / 2.0) * 180.0 / pi;
}

extern "C" int64_t Y2Google(double lat) {
  const double s = std::sin(lat * std::numbers::pi / 180.0);
  const double y = 0.5 * std::log((1.0 + s) / (1.0 - s)) * tk::kUnitsPerRadian + tk::kHalfWorld;
  return tk::TruncateToInt64(y);
}
