#include "terrakon/tracks/ozi_position.h"

#include <algorithm>

#include "terrakon/geodesy/geodesy.h"
#include "terrakon/tracks/ozi_text.h"

namespace tk {

bool OziDegreesInRange(double lon, double lat) {
  return lon >= -180 && lon <= 180 && lat >= -90 && lat <= 90;
}

bool OziToPixel(double lon, double lat, int32_t datum, PixelPoint* p) {
  if (!GeoToGoogle(lon + 180, lat, datum, p)) return false;
  p->Y = std::clamp(p->Y, -kWorldSize, 2 * kWorldSize);
  return true;
}

bool ReadOziDateTime(std::string_view field, DateTime* out) {
  if (field.empty() || field == "0") {
    *out = DateTime{};
    return true;
  }
  double days = 0;
  return OziDouble(field, &days) && DaysToDateTime(days, out);
}

}  // namespace tk
