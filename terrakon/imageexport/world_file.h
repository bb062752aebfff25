// A world file beside an exported image (".jgw", ".pgw", ".tfw": the first
// and last letter of the image's suffix and "w") with a ".prj" and an
// ".aux.xml" naming the projection, so that GIS programs place the image
// without a further step.
// Coordinates are Web Mercator (EPSG:3857) metres.
#pragma once

#include <string>
#include <string_view>

#include "terrakon/imageexport/ozi_map.h"

namespace tk {

// "jpg" -> "jgw", "tif" -> "tfw", "webp" -> "wpw".
std::string WorldFileExtension(std::string_view imageSuffix);

// Six lines: pixel width, 0, 0, minus pixel height, and the centre of the
// upper-left pixel, in metres; then the ".prj" and ".aux.xml" beside the
// image. Each file is written whole or not at all; false with the system's
// error.
bool WriteWorldFile(const std::string& imagePath, const std::string& worldPath, int width, int height,
                    const ImageEdges& edges);

// Metres of Web Mercator at pixel-space coordinate v (either axis).
double WebMercatorMetres(double v);

}  // namespace tk
