// The geoid model of the engine: a grid of heights above the WGS 84
// ellipsoid in the GTX layout (a 40-byte big-endian header of four doubles
// lower-left latitude, lower-left longitude, latitude step, longitude step
// [degrees] and two int32 rows, columns; then rows x columns big-endian
// float32 heights [m], rows from south to north, each from west to east).
// Same thread rule as the rest of the engine.
#pragma once

#include <cstddef>

namespace tk {

// True when data (size bytes) is a grid the engine accepts: a sane header
// whose grid fits the size exactly and lies on the globe.
bool CheckGeoidPtr(const void* data, std::size_t size);

// Copies the grid; the caller may release data afterwards. 0 on success,
// non-zero when CheckGeoidPtr refuses it (the previous model stays).
int InitializeGeoidPtr(const void* data, std::size_t size);

// Height of the geoid [m] at latitude latDeg and the internal longitude
// lon180 (longitude + 180, 0 ... 360), interpolated bilinearly; longitudes
// wrap at 360 on a global grid. 0 on success; non-zero when no model is
// loaded, the point lies outside the grid or touches a cell without data.
int GetGeoidHeightG(double latDeg, double lon180, double* height);

// Forgets the loaded model (for tests).
void UnloadGeoid();

}  // namespace tk
