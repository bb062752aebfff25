// Date-times of waypoints and track points, and their form in OziExplorer
// files: days since 30 December 1899 with the time of day as the fraction.
#pragma once

#include <cstdint>

namespace tk {

// All fields zero means "no date-time".
struct DateTime {
  uint16_t year = 0;
  uint16_t month = 0;   // 1 ... 12
  uint16_t day = 0;     // 1 ... 31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;

  bool IsEmpty() const { return !year && !month && !day && !hour && !minute && !second; }
  bool operator==(const DateTime&) const = default;
};
static_assert(sizeof(DateTime) == 12, "six 16-bit fields");

// The local time now, to the second.
DateTime LocalNow();

// Days since 30 December 1899 00:00 (negative before it).
double DateTimeToDays(const DateTime& time);
// The inverse, rounded to the nearest second; false for values outside the
// years 1 ... 9999 and for NaN or infinities (out is left alone).
bool DaysToDateTime(double days, DateTime* out);

}  // namespace tk
