// The coordinate conversion service: pixel points into any datum and
// coordinate system of the conversion engine, geodetic points of any datum
// back into pixel points, and the lists of datums and systems the windows
// show. Main thread only (the engine is not thread-safe).
//
// Failures return false with the message as the thread's error text
// (SetErrorText, error number 20001).
#pragma once

#include <cstdint>

#include "platform/geoengine/converted_coord.h"
#include "terrakon/plates/pixel_space.h"

namespace tk {

class HStorageLink;

// The program's own coordinate system, "Google pixels X,Y"; its index is
// fixed, whatever the engine's count.
inline constexpr int kPixelSystem = 33;

// Initialises the engine, then loads the geoid model (LoadGeoid) with the
// main window's settings. False only when the engine fails; the reason is
// logged and left as the error text.
bool InitGeodesy(const HStorageLink& settings);

int32_t DatumCount();
const char* DatumName(int32_t index);
const char* DatumCode(int32_t index);

// The engine's systems plus the pixel system.
int CoordSysCount();
// "Google pixels X,Y" (translated) for 33, else the engine's name.
const char* CoordSysName(int index);

// The point in system sys (0 ... CoordSysCount() - 1, not 33) of datum.
bool GoogleToSystem(PixelPoint p, uint16_t sys, int32_t datum, ConvertedCoord* result);
// The point as internal longitude (degrees + 180) and latitude [degrees] of datum.
bool GoogleToGeo(PixelPoint p, int32_t datum, double* lon180, double* lat);
// Internal longitude and latitude of datum into a pixel point; no range test.
bool GeoToGoogle(double lon180, double lat, int32_t datum, PixelPoint* p);
// GeoToGoogle for a user operation: on failure logs and shows "Coordinate
// conversion error: %s" and throws OperationAbandoned.
PixelPoint GeoToGoogleChecked(double lon180, double lat, int32_t datum);

}  // namespace tk
