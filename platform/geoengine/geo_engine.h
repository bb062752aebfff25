// The coordinate conversion engine: datums tied to WGS 84, 33 coordinate
// systems, conversion of geodetic points between them, and the EGM96 geoid
// (geoid_grid.h). Datum shifts and most projections go through PROJ; GEOREF,
// MGRS lettering and UPS through GeographicLib.
//
// Not thread-safe: the engine keeps one PROJ context and caches of PROJ
// objects, so every call must come from the same (the user-interface) thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/geoengine/converted_coord.h"

namespace tk {

// The engine's datum table, shipped beside the program (below ProgramFolder()).
inline constexpr const char* kDatumTableFile = "data/datums.csv";

// Loads the datum table (the program's own one, or the file given) and
// prepares the engine; 0 on success, else non-zero with GetError() telling
// why. A later call replaces the previous state, also when it fails.
int InitializeEngine();
int InitializeEngine(const std::string& datumTablePath);

// Datums 0 ... DatumCountS() - 1; datum 0 is WGS 84 (code "WGE"). Names and
// codes stay valid until the next InitializeEngine; out of range gives "".
int32_t DatumCountS();
const char* DatumNameS(int32_t index);
const char* DatumCodeS(int32_t index);
// The index of a datum code (ASCII case ignored); -1 for null or unknown.
int32_t DatumIndexS(const char* code);

// Coordinate systems 0 ... 32: 0 geodetic, 1 GEOREF, 2 geocentric, 3 local
// Cartesian, 4 MGRS, 5 UTM, 6 UPS, then projections whose parameters are not
// configurable yet (their conversion fails). Out of range gives "".
inline constexpr int kCoordinateSystemCount = 33;
int CoordinateSystemCount();
const char* CoordinateSystemName(int index);

// Converts a point given in degrees (true longitude, east positive; height 0)
// in sourceDatum into targetSystem on targetDatum. False leaves the reason
// in GetError().
bool ConvertCoord(double lonDeg, double latDeg, int targetSystem, int32_t sourceDatum,
                  int32_t targetDatum, ConvertedCoord* result);

// Text of the last failure of the engine.
const char* GetError();

double G2Rad(double degrees);
double Rad2G(double radians);

// True when the whole text is a decimal number: blanks around it, an
// optional sign, digits with at most one decimal point (no exponent).
bool ValidNumber(std::string_view text);

}  // namespace tk
