// The calibration formats of the export; the index is the format number
// stored under "ImgSaveWin/TopoFormat".
#pragma once

#include <span>
#include <string>

#include "terrakon/imageexport/ozi_map.h"

namespace tk {

struct CalibrationFormat {
  const char* name;
  // Where the file of an image goes: into the calibration folder with the
  // calibration extension, or beside the image with an extension of its own.
  bool besideImage;
  bool hasConfigDialog;
  bool (*write)(const std::string& imagePath, const std::string& calibrationPath, int width, int height,
                const ImageEdges& edges);
};

inline constexpr int kOziMapFormat = 0;
inline constexpr int kWorldFileFormat = 1;

std::span<const CalibrationFormat> CalibrationFormats();
const CalibrationFormat* CalibrationFormatAt(int index);  // null out of range

}  // namespace tk
