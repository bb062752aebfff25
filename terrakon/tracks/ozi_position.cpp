#include "terrakon/tracks/ozi_position.h"

#include <algorithm>

#include "common/error.h"
#include "platform/i18n/translate.h"
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

bool ReadOziPosition(std::string_view latField, std::string_view lonField, int32_t datum,
                     int record, PixelPoint* p) {
  double lat = 0, lon = 0;
  if (!OziDouble(latField, &lat) || !OziDouble(lonField, &lon) || !OziDegreesInRange(lon, lat)) {
    SetErrorText(Translate("Error in %d-th waypoint coordinates"), record);
    return false;
  }
  if (!OziToPixel(lon, lat, datum, p)) {
    SetErrorText(Translate("Error in %d-th waypoint coordinate conversion"), record);
    return false;
  }
  return true;
}

}  // namespace tk
