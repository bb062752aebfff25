// The OziExplorer map calibration file, "OziExplorer Map Data File Version
// 2.2": the image's four corners in pixels and in degrees of datum 0,
// declared as WGS 84 on a Mercator projection. CR LF lines.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

// Edges of an exported image in the pixel space (already shifted by the
// plate offset correction).
struct ImageEdges {
  int64_t left = 0, north = 0, right = 0, south = 0;
};

// "%d,%f,%c,%d,%f,%c": latitude degrees, minutes and N/S, then longitude
// degrees, minutes and E/W of the pixel point (the prime meridian is W).
std::string CornerText(int64_t x, int64_t y);

// Writes the whole file or nothing; false with the system's error.
bool WriteOziMap(const std::string& imagePath, const std::string& mapPath, int width, int height,
                 const ImageEdges& edges);

}  // namespace tk
