#include "terrakon/imageexport/world_file.h"

#include <numbers>

#include "terrakon/imageexport/calibration_numbers.h"
#include "terrakon/imageexport/export_files.h"
#include "terrakon/plates/pixel_space.h"

namespace tk {
namespace {

constexpr double kEarthRadius = 6378137.0;  // [m], the sphere of Web Mercator
constexpr double kHalfCircumference = std::numbers::pi * kEarthRadius;
constexpr double kMetresPerUnit = 2 * kHalfCircumference / static_cast<double>(kWorldSize);

constexpr const char* kWebMercatorWkt =
    "PROJCS[\"WGS_1984_Web_Mercator_Auxiliary_Sphere\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\","
    "SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],"
    "UNIT[\"Degree\",0.0174532925199433]],PROJECTION[\"Mercator_Auxiliary_Sphere\"],"
    "PARAMETER[\"False_Easting\",0.0],PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",0.0],"
    "PARAMETER[\"Standard_Parallel_1\",0.0],PARAMETER[\"Auxiliary_Sphere_Type\",0.0],UNIT[\"Meter\",1.0]]";

}  // namespace

double WebMercatorMetres(double v) { return v * kMetresPerUnit - kHalfCircumference; }

std::string WorldFileExtension(std::string_view imageSuffix) {
  if (imageSuffix.empty()) return "wld";
  std::string ext;
  ext += imageSuffix.front();
  ext += imageSuffix.back();
  ext += 'w';
  return ext;
}

bool WriteWorldFile(const std::string& imagePath, const std::string& worldPath, int width, int height,
                    const ImageEdges& e) {
  const double pixelX = static_cast<double>(e.right - e.left) / width * kMetresPerUnit;
  const double pixelY = static_cast<double>(e.north - e.south) / height * kMetresPerUnit;
  const double left = WebMercatorMetres(static_cast<double>(e.left));
  const double top = WebMercatorMetres(static_cast<double>(e.north));
  std::string text;
  for (double v : {pixelX, 0.0, 0.0, -pixelY, left + pixelX / 2, top - pixelY / 2}) {
    text += FixedDecimals(v, 10);
    text += "\r\n";
  }
  if (!SaveExportText(worldPath, text)) return false;
  if (!SaveExportText(ReplaceExtension(imagePath, "prj"), std::string(kWebMercatorWkt) + "\r\n")) return false;
  // GDAL, and the GIS programs over it, take a raster's projection from its
  // auxiliary file, not from the ".prj".
  return SaveExportText(imagePath + ".aux.xml", "<PAMDataset>\n  <SRS>EPSG:3857</SRS>\n</PAMDataset>\n");
}

}  // namespace tk
