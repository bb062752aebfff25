#include "platform/geoengine/system_projector.h"

#include <GeographicLib/Georef.hpp>
#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/PolarStereographic.hpp>

#include <cmath>
#include <cstdio>
#include <exception>
#include <numbers>

namespace tk {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

constexpr int kGeorefPrecision = 5;  // 0.001 minute, about 2 m
constexpr int kMgrsPrecision = 5;    // 1 m

// The latitude limits of the grids [degrees]; UPS overlaps UTM by half a degree.
constexpr double kUtmSouth = -80, kUtmNorth = 84;
constexpr double kUpsNorthFrom = 83.5, kUpsSouthFrom = -79.5;
constexpr double kUpsScale = 0.994;
constexpr double kUpsFalseOrigin = 2000000;  // [m], easting and northing

double NormalLongitude(double lonDeg) {
  if (lonDeg >= 180) return lonDeg - 360;
  if (lonDeg < -180) return lonDeg + 360;
  return lonDeg;
}

}  // namespace

int UtmZone(double latDeg, double lonDeg) {
  const double lon = NormalLongitude(lonDeg);
  int zone = static_cast<int>(std::floor((lon + 180) / 6)) + 1;
  if (zone < 1) zone = 1;
  if (zone > 60) zone = 60;
  if (latDeg >= 56 && latDeg < 64 && lon >= 3 && lon < 12) zone = 32;
  if (latDeg >= 72 && latDeg <= 84 && lon >= 0 && lon < 42)
    zone = lon < 9 ? 31 : lon < 21 ? 33 : lon < 33 ? 35 : 37;
  return zone;
}

SystemProjector::SystemProjector(PJ_CONTEXT* ctx, const std::vector<Datum>* datums)
    : ctx_(ctx), datums_(datums), ellipsoidKey_(datums->size()) {
  for (std::size_t i = 0; i < datums->size(); ++i) {
    std::size_t first = 0;
    while ((*datums)[first].a != (*datums)[i].a || (*datums)[first].rf != (*datums)[i].rf) ++first;
    ellipsoidKey_[i] = static_cast<int32_t>(first);
  }
}

SystemProjector::~SystemProjector() = default;

PJ* SystemProjector::Object(int32_t datum, int system, int variant, std::string* error) {
  const uint64_t key = (static_cast<uint64_t>(EllipsoidKey(datum)) << 32) |
                       (static_cast<uint64_t>(system) << 16) | static_cast<uint64_t>(variant);
  if (auto it = objects_.find(key); it != objects_.end()) return it->second.get();
  const Datum& d = (*datums_)[datum];
  const std::string ellipsoid = EllipsoidDefinition(d.a, d.rf);
  std::string definition;
  switch (system) {
    case kSystemGeocentric:
      definition = "+proj=cart " + ellipsoid;
      break;
    case kSystemLocalCartesian:
      definition = "+proj=pipeline +step +proj=cart " + ellipsoid +
                   " +step +proj=topocentric +lat_0=0 +lon_0=0 +h_0=0 " + ellipsoid;
      break;
    case kSystemUtm:  // variant: zone, +100 in the south
      definition = "+proj=utm +zone=" + std::to_string(variant % 100) +
                   (variant > 100 ? " +south " : " ") + ellipsoid;
      break;
    default:
      *error = "No PROJ object for coordinate system " + std::to_string(system);
      return nullptr;
  }
  PjPtr p(proj_create(ctx_, definition.c_str()));
  if (!p) {
    *error = "Cannot set up " + definition + ": " +
             proj_context_errno_string(ctx_, proj_context_errno(ctx_));
    return nullptr;
  }
  return objects_.emplace(key, std::move(p)).first->second.get();
}

bool SystemProjector::Utm(int32_t datum, double latDeg, double lonDeg, const GeodeticPoint& p,
                          int* zone, double* easting, double* northing, std::string* error) {
  *zone = UtmZone(latDeg, lonDeg);
  PJ* utm = Object(datum, kSystemUtm, *zone + (latDeg < 0 ? 100 : 0), error);
  if (!utm) return false;
  PJ_COORD c = proj_coord(p.lon, p.lat, 0, 0);
  if (!Transform(ctx_, utm, PJ_FWD, &c, "UTM conversion failed", error)) return false;
  *easting = c.enu.e;
  *northing = c.enu.n;
  return true;
}

bool SystemProjector::Ups(int32_t datum, double latDeg, double lonDeg, double* easting,
                          double* northing, std::string* error) {
  auto& polar = polar_[EllipsoidKey(datum)];
  try {
    if (!polar) {
      const Datum& d = (*datums_)[datum];
      polar = std::make_unique<GeographicLib::PolarStereographic>(d.a, 1 / d.rf, kUpsScale);
    }
    double x, y, gamma, k;
    polar->Forward(latDeg >= 0, latDeg, lonDeg, x, y, gamma, k);
    *easting = x + kUpsFalseOrigin;
    *northing = y + kUpsFalseOrigin;
  } catch (const std::exception& e) {
    *error = std::string("UPS conversion failed: ") + e.what();
    return false;
  }
  if (!std::isfinite(*easting) || !std::isfinite(*northing)) {
    *error = "UPS conversion failed";
    return false;
  }
  return true;
}

bool SystemProjector::Project(int system, int32_t datum, const GeodeticPoint& p,
                              ConvertedCoord* out, std::string* error) {
  const double latDeg = p.lat / kDegree, lonDeg = p.lon / kDegree;
  *out = ConvertedCoord{};
  switch (system) {
    case kSystemGeodetic:
      out->SetNumber(0, p.lon);
      out->SetNumber(1, p.lat);
      out->SetNumber(2, p.h);
      return true;
    case kSystemGeoref:
      try {
        std::string text;
        GeographicLib::Georef::Forward(latDeg, NormalLongitude(lonDeg), kGeorefPrecision, text);
        out->SetText(text);
        return true;
      } catch (const std::exception& e) {
        *error = std::string("GEOREF conversion failed: ") + e.what();
        return false;
      }
    case kSystemGeocentric:
    case kSystemLocalCartesian: {
      PJ* object = Object(datum, system, 0, error);
      if (!object) return false;
      PJ_COORD c = proj_coord(p.lon, p.lat, p.h, 0);
      if (!Transform(ctx_, object, PJ_FWD, &c,
                     system == kSystemGeocentric ? "Geocentric conversion failed"
                                                 : "Local Cartesian conversion failed",
                     error))
        return false;
      for (int i = 0; i < 3; ++i) out->SetNumber(i, c.v[i]);
      return true;
    }
    case kSystemUtm: {
      if (latDeg < kUtmSouth || latDeg > kUtmNorth) {
        *error = "Latitude outside of the UTM range (-80 to 84 degrees)";
        return false;
      }
      int zone;
      double e, n;
      if (!Utm(datum, latDeg, lonDeg, p, &zone, &e, &n, error)) return false;
      out->SetNumber(0, e);
      out->SetNumber(1, n);
      out->SetInt32At(ConvertedCoord::kZoneOffset, zone);
      out->bytes[ConvertedCoord::kHemisphereOffset] = latDeg < 0 ? 'S' : 'N';
      return true;
    }
    case kSystemUps: {
      if (latDeg < kUpsNorthFrom && latDeg > kUpsSouthFrom) {
        *error = "Latitude outside of the UPS range (north of 83.5 or south of -79.5 degrees)";
        return false;
      }
      double e, n;
      if (!Ups(datum, latDeg, lonDeg, &e, &n, error)) return false;
      out->SetNumber(0, e);
      out->SetNumber(1, n);
      out->bytes[ConvertedCoord::kUpsHemisphereOffset] = latDeg < 0 ? 'S' : 'N';
      return true;
    }
    case kSystemMgrs: {
      const bool utm = latDeg >= kUtmSouth && latDeg < kUtmNorth;
      int zone = 0;
      double e, n;
      if (utm ? !Utm(datum, latDeg, lonDeg, p, &zone, &e, &n, error)
              : !Ups(datum, latDeg, lonDeg, &e, &n, error))
        return false;
      try {
        std::string text;
        GeographicLib::MGRS::Forward(zone, latDeg >= 0, e, n, latDeg, kMgrsPrecision, text);
        out->SetText(text);
        return true;
      } catch (const std::exception& ex) {
        *error = std::string("MGRS conversion failed: ") + ex.what();
        return false;
      }
    }
    default:
      *error = "Conversion to coordinate system " + std::to_string(system) + " is not available";
      return false;
  }
}

}  // namespace tk
