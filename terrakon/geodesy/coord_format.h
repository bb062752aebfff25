// Coordinate texts: degrees with hemisphere letters in three degree types,
// markers for points at or beyond the edge of the world, and the text of a
// pixel point in any datum and coordinate system. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "terrakon/plates/pixel_space.h"

namespace tk {

// Degree types: 0 "Degree, Min, Sec", 1 "Degree, Min", 2 "Degree".
inline constexpr int kDegTypeCount = 3;
int DegTypeCount();
// The translated name; "<unknown>" for any other number.
const char* DegTypeName(int degType);

// Longest text of FormatCoord [bytes].
inline constexpr std::size_t kMaxCoordText = 99;

// The point in the system and datum, the two parts joined by separator;
// "<error>" when the system has no printer or the conversion fails (the
// failure's message stays as the error text). Never fails.
std::string FormatCoord(PixelPoint p, int32_t datum, int coordSys, int degType,
                        std::string_view separator);
// FormatCoord with the main window's current choice.
std::string FormatCoordCurrent(PixelPoint p, std::string_view separator);

// A latitude or an internal longitude (degrees + 180) as text of at most 19
// characters, such as "N  55 45 2.5000", "E  37 37.041667", "S 3.50000000";
// the edges of the world give "<< W 180", ">> E 180", "\/ S 90", "/\ N 90".
std::string FormatDegrees(double value, int degType, bool isLongitude);

struct Hemisphere {
  char letter;   // 'N', 'S', 'E' or 'W'
  double value;  // [degrees], not negative
};
// The prime meridian itself is west.
Hemisphere SplitHemisphere(double value, bool isLongitude);
// The inverse: "S" and "W" are the only southern and western letters (case
// matters); any other letter counts as north or east.
double JoinHemisphere(double value, char letter, bool isLongitude);

}  // namespace tk
