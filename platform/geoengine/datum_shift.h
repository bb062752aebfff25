// The shift of one datum to and from WGS 84, in geodetic coordinates.
#pragma once

#include <memory>
#include <string>

#include "platform/geoengine/datum_table.h"
#include "platform/geoengine/proj_handle.h"

namespace tk {

struct GeodeticPoint {
  double lon = 0;  // [rad]
  double lat = 0;  // [rad]
  double h = 0;    // ellipsoidal height [m]
};

class DatumShift {
 public:
  // Null with the reason in *error when PROJ refuses the datum's parameters.
  static std::unique_ptr<DatumShift> Create(PJ_CONTEXT* ctx, const Datum& datum,
                                            std::string* error);
  DatumShift(const DatumShift&) = delete;
  DatumShift& operator=(const DatumShift&) = delete;

  // In place; false with the reason in *error.
  bool ToWgs84(GeodeticPoint* p, std::string* error) const;
  bool FromWgs84(GeodeticPoint* p, std::string* error) const;

 private:
  DatumShift() = default;
  bool Run(PJ_DIRECTION direction, GeodeticPoint* p, std::string* error) const;

  PJ_CONTEXT* ctx_ = nullptr;
  PjPtr pipeline_;  // null for WGS 72
};

}  // namespace tk
