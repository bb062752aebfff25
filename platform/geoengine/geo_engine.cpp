#include "platform/geoengine/geo_engine.h"

#include <cctype>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "common/paths.h"
#include "platform/geoengine/datum_shift.h"
#include "platform/geoengine/datum_table.h"
#include "platform/geoengine/proj_handle.h"
#include "platform/geoengine/system_projector.h"

namespace tk {
namespace {

constexpr const char* kSystemNames[kCoordinateSystemCount] = {
    "Geodetic",
    "GEOREF",
    "Geocentric",
    "Local Cartesian",
    "Military Grid Reference System (MGRS)",
    "Universal Transverse Mercator (UTM)",
    "Universal Polar Stereographic (UPS)",
    "Albers Equal Area Conic",
    "Azimuthal Equidistant",
    "British National Grid (BNG)",
    "Bonne",
    "Cassini",
    "Cylindrical Equal Area",
    "Eckert IV",
    "Eckert VI",
    "Equidistant Cylindrical",
    "Gnomonic",
    "Lambert Conformal Conic",
    "Mercator",
    "Miller Cylindrical",
    "Mollweide",
    "Neys (Modified Lambert Conformal Conic)",
    "New Zealand Map Grid",
    "Oblique Mercator",
    "Orthographic",
    "Polar Stereographic",
    "Polyconic",
    "Sinusoidal",
    "Stereographic",
    "Transverse Cylindrical Equal Area",
    "Transverse Mercator",
    "Van der Grinten",
    "Lambert Azimuthal Equal Area",
};

// Systems from this index on have no conversion yet.
constexpr int kFirstUnavailableSystem = kSystemUps + 1;

struct Engine {
  // Declared first so that it is destroyed after every PROJ object.
  PjContextPtr ctx;
  std::vector<Datum> datums;
  std::vector<std::unique_ptr<DatumShift>> shifts;  // null for datum 0
  std::unique_ptr<SystemProjector> projector;
};

std::unique_ptr<Engine> g_engine;
std::string g_error;

bool Fail(std::string text) {
  g_error = std::move(text);
  return false;
}

int InitFail(std::string text) {
  g_error = std::move(text);
  return 1;
}

bool EqualNoCase(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return a[i] == 0 && i == b.size();
}

}  // namespace

int InitializeEngine() { return InitializeEngine(ProgramRelativePath(kDatumTableFile)); }

int InitializeEngine(const std::string& datumTablePath) {
  g_engine.reset();
  auto engine = std::make_unique<Engine>();
  engine->ctx = MakeQuietContext();
  if (!engine->ctx) return InitFail("Cannot create a PROJ context");
  std::string error;
  if (!LoadDatumTable(datumTablePath, &engine->datums, &error)) return InitFail(error);
  engine->shifts.resize(engine->datums.size());
  // Every pipeline is made here once, so that a bad row fails the start and
  // no conversion pays for the set-up.
  for (std::size_t i = 1; i < engine->datums.size(); ++i) {
    engine->shifts[i] = DatumShift::Create(engine->ctx.get(), engine->datums[i], &error);
    if (!engine->shifts[i]) return InitFail(error);
  }
  engine->projector = std::make_unique<SystemProjector>(engine->ctx.get(), &engine->datums);
  g_engine = std::move(engine);
  g_error.clear();
  return 0;
}

int32_t DatumCountS() { return g_engine ? static_cast<int32_t>(g_engine->datums.size()) : 0; }

const char* DatumNameS(int32_t index) {
  if (index < 0 || index >= DatumCountS()) return "";
  return g_engine->datums[index].name.c_str();
}

const char* DatumCodeS(int32_t index) {
  if (index < 0 || index >= DatumCountS()) return "";
  return g_engine->datums[index].code.c_str();
}

int32_t DatumIndexS(const char* code) {
  if (!code) return -1;
  for (int32_t i = 0; i < DatumCountS(); ++i) {
    if (EqualNoCase(code, g_engine->datums[i].code)) return i;
  }
  return -1;
}

int CoordinateSystemCount() { return kCoordinateSystemCount; }

const char* CoordinateSystemName(int index) {
  return index >= 0 && index < kCoordinateSystemCount ? kSystemNames[index] : "";
}

bool ConvertCoord(double lonDeg, double latDeg, int targetSystem, int32_t sourceDatum,
                  int32_t targetDatum, ConvertedCoord* result) {
  if (!g_engine) return Fail("The conversion engine is not initialized");
  if (targetSystem < 0 || targetSystem >= kCoordinateSystemCount)
    return Fail("Invalid coordinate system " + std::to_string(targetSystem));
  if (targetSystem >= kFirstUnavailableSystem)
    return Fail(std::string("Conversion to ") + kSystemNames[targetSystem] + " is not available");
  if (sourceDatum < 0 || sourceDatum >= DatumCountS())
    return Fail("Invalid source datum " + std::to_string(sourceDatum));
  if (targetDatum < 0 || targetDatum >= DatumCountS())
    return Fail("Invalid target datum " + std::to_string(targetDatum));
  if (!std::isfinite(lonDeg) || lonDeg < -360 || lonDeg > 360)
    return Fail("Longitude out of range");
  if (!std::isfinite(latDeg) || latDeg < -90 || latDeg > 90) return Fail("Latitude out of range");

  GeodeticPoint p{G2Rad(lonDeg), G2Rad(latDeg), 0};
  std::string error;
  if (sourceDatum != targetDatum) {
    if (sourceDatum != 0 && !g_engine->shifts[sourceDatum]->ToWgs84(&p, &error))
      return Fail(error);
    if (targetDatum != 0 && !g_engine->shifts[targetDatum]->FromWgs84(&p, &error))
      return Fail(error);
  }
  ConvertedCoord out;
  if (!g_engine->projector->Project(targetSystem, targetDatum, p, &out, &error)) return Fail(error);
  *result = out;
  return true;
}

const char* GetError() { return g_error.c_str(); }

double G2Rad(double degrees) { return degrees * (std::numbers::pi / 180); }
double Rad2G(double radians) { return radians * (180 / std::numbers::pi); }

bool ValidNumber(std::string_view text) {
  std::size_t i = 0, n = text.size();
  auto blank = [&](std::size_t k) { return text[k] == ' ' || text[k] == '\t'; };
  while (i < n && blank(i)) ++i;
  while (n > i && blank(n - 1)) --n;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

}  // namespace tk
