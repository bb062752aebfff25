// Projection of geodetic points, already on a datum, into the engine's
// coordinate systems on that datum's ellipsoid. PROJ objects and
// GeographicLib projections are made on first use and kept, one per
// ellipsoid (not per datum), which bounds them at a few thousand.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/geoengine/converted_coord.h"
#include "platform/geoengine/datum_shift.h"
#include "platform/geoengine/datum_table.h"
#include "platform/geoengine/proj_handle.h"

namespace GeographicLib {
class PolarStereographic;
}

namespace tk {

// Systems with a conversion.
enum CoordinateSystem : int {
  kSystemGeodetic = 0,
  kSystemGeoref = 1,
  kSystemGeocentric = 2,
  kSystemLocalCartesian = 3,
  kSystemMgrs = 4,
  kSystemUtm = 5,
  kSystemUps = 6,
};

// The UTM zone 1 ... 60 of a point [degrees], with the Norway and Svalbard
// exceptions; 180 E counts as 180 W.
int UtmZone(double latDeg, double lonDeg);

class SystemProjector {
 public:
  // datums must outlive the projector.
  SystemProjector(PJ_CONTEXT* ctx, const std::vector<Datum>* datums);
  ~SystemProjector();
  SystemProjector(const SystemProjector&) = delete;
  SystemProjector& operator=(const SystemProjector&) = delete;

  // p is on datum; false with the reason in *error.
  bool Project(int system, int32_t datum, const GeodeticPoint& p, ConvertedCoord* out,
               std::string* error);

 private:
  PJ* Object(int32_t datum, int system, int variant, std::string* error);
  // The first datum with the same ellipsoid: the key of the caches.
  int32_t EllipsoidKey(int32_t datum) const { return ellipsoidKey_[datum]; }
  bool Utm(int32_t datum, double latDeg, double lonDeg, const GeodeticPoint& p, int* zone,
           double* easting, double* northing, std::string* error);
  bool Ups(int32_t datum, double latDeg, double lonDeg, double* easting, double* northing,
           std::string* error);

  PJ_CONTEXT* ctx_;
  const std::vector<Datum>* datums_;
  std::vector<int32_t> ellipsoidKey_;
  std::unordered_map<uint64_t, PjPtr> objects_;
  std::unordered_map<int32_t, std::unique_ptr<GeographicLib::PolarStereographic>> polar_;
};

}  // namespace tk
