#include "platform/geoengine/datum_shift.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace tk {
namespace {

constexpr double kArcSecond = std::numbers::pi / (180.0 * 3600.0);  // [rad]

// WGS 72 to WGS 84 as TR8350.2 prescribes it, increments in geodetic form.
constexpr double kWgs72A = 6378135.0;   // [m]
constexpr double kWgs72Df = 0.3121057e-7;
constexpr double kWgs72Da = 2.0;        // [m]
constexpr double kWgs72Dr = 1.4;        // [m]
constexpr double kWgs72Dz = 4.5;        // [m]
constexpr double kWgs72DLon = 0.554;    // [arc-seconds]

void Wgs72Increments(double lat, double* dlat, double* dh) {
  const double s = std::sin(lat), c = std::cos(lat);
  *dlat = kWgs72Dz * c / kWgs72A + kWgs72Df * std::sin(2 * lat);  // [rad]
  *dh = kWgs72Dz * s + kWgs72A * kWgs72Df * s * s - kWgs72Da + kWgs72Dr;
}

double WrapLongitude(double lon) {
  if (lon > std::numbers::pi) return lon - 2 * std::numbers::pi;
  if (lon < -std::numbers::pi) return lon + 2 * std::numbers::pi;
  return lon;
}

}  // namespace

std::unique_ptr<DatumShift> DatumShift::Create(PJ_CONTEXT* ctx, const Datum& datum,
                                               std::string* error) {
  std::unique_ptr<DatumShift> shift(new DatumShift);
  shift->ctx_ = ctx;
  if (datum.method == ShiftMethod::kWgs72) return shift;
  char helmert[256];
  if (datum.method == ShiftMethod::kTranslation) {
    std::snprintf(helmert, sizeof helmert, "+proj=helmert +x=%.17g +y=%.17g +z=%.17g", datum.dx,
                  datum.dy, datum.dz);
  } else {
    std::snprintf(helmert, sizeof helmert,
                  "+proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g "
                  "+s=%.17g +convention=coordinate_frame",
                  datum.dx, datum.dy, datum.dz, datum.rx, datum.ry, datum.rz, datum.ds);
  }
  const std::string definition = "+proj=pipeline +step +proj=cart " +
                                 EllipsoidDefinition(datum.a, datum.rf) + " +step " + helmert +
                                 " +step +inv +proj=cart +ellps=WGS84";
  shift->pipeline_.reset(proj_create(ctx, definition.c_str()));
  if (!shift->pipeline_) {
    *error = "Datum " + datum.code + ": " + proj_context_errno_string(ctx, proj_context_errno(ctx));
    return nullptr;
  }
  return shift;
}

bool DatumShift::Run(PJ_DIRECTION direction, GeodeticPoint* p, std::string* error) const {
  PJ_COORD c = proj_coord(p->lon, p->lat, p->h, 0);
  if (!Transform(ctx_, pipeline_.get(), direction, &c, "Datum shift failed", error)) return false;
  p->lon = c.lpz.lam;
  p->lat = c.lpz.phi;
  p->h = c.lpz.z;
  return true;
}

bool DatumShift::ToWgs84(GeodeticPoint* p, std::string* error) const {
  if (pipeline_) return Run(PJ_FWD, p, error);
  double dlat, dh;
  Wgs72Increments(p->lat, &dlat, &dh);
  p->lat += dlat;
  p->lon = WrapLongitude(p->lon + kWgs72DLon * kArcSecond);
  p->h += dh;
  return true;
}

bool DatumShift::FromWgs84(GeodeticPoint* p, std::string* error) const {
  if (pipeline_) return Run(PJ_INV, p, error);
  // The increments depend on the WGS 72 latitude: a few fixed-point steps
  // make the reverse exact to far below a millimetre.
  double lat72 = p->lat, dlat = 0, dh = 0;
  for (int i = 0; i < 4; ++i) {
    Wgs72Increments(lat72, &dlat, &dh);
    lat72 = p->lat - dlat;
  }
  Wgs72Increments(lat72, &dlat, &dh);
  p->lat = lat72;
  p->lon = WrapLongitude(p->lon - kWgs72DLon * kArcSecond);
  p->h -= dh;
  return true;
}

}  // namespace tk
