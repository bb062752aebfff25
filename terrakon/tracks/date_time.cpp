#include "terrakon/tracks/date_time.h"

#include <cmath>
#include <ctime>

namespace tk {
namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);
const int64_t kFirstDay = DaysFromCivil(1, 1, 1) - kEpoch;
const int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kEpoch;

}  // namespace

DateTime LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DateTime t;
  t.year = static_cast<uint16_t>(local.tm_year + 1900);
  t.month = static_cast<uint16_t>(local.tm_mon + 1);
  t.day = static_cast<uint16_t>(local.tm_mday);
  t.hour = static_cast<uint16_t>(local.tm_hour);
  t.minute = static_cast<uint16_t>(local.tm_min);
  t.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  return t;
}

double DateTimeToDays(const DateTime& time) {
  const int64_t day = DaysFromCivil(time.year, time.month, time.day) - kEpoch;
  const double fraction = (time.hour * 3600.0 + time.minute * 60.0 + time.second) / 86400.0;
  // Before the epoch the fraction still counts forwards from midnight, so
  // 29 December 1899 06:00 is -1.25.
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

bool DaysToDateTime(double days, DateTime* out) {
  if (!std::isfinite(days)) return false;
  if (days < static_cast<double>(kFirstDay) - 1 || days > static_cast<double>(kLastDay) + 1) return false;
  int64_t day = static_cast<int64_t>(std::trunc(days));
  int64_t seconds = std::llround(std::fabs(days - static_cast<double>(day)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;  // the time of day counts forwards on both sides of the epoch
  }
  if (day < kFirstDay || day > kLastDay) return false;
  int64_t y;
  unsigned m, d;
  CivilFromDays(day + kEpoch, &y, &m, &d);
  out->year = static_cast<uint16_t>(y);
  out->month = static_cast<uint16_t>(m);
  out->day = static_cast<uint16_t>(d);
  out->hour = static_cast<uint16_t>(seconds / 3600);
  out->minute = static_cast<uint16_t>(seconds / 60 % 60);
  out->second = static_cast<uint16_t>(seconds % 60);
  return true;
}

}  // namespace tk
