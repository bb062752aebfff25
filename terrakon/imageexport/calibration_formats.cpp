#include "terrakon/imageexport/calibration_formats.h"

#include "terrakon/imageexport/world_file.h"

namespace tk {
namespace {

const CalibrationFormat kFormats[] = {
    {"OZI explorer MAP", false, false, WriteOziMap},
    {"World file + PRJ (EPSG:3857)", true, false, WriteWorldFile},
};

}  // namespace

std::span<const CalibrationFormat> CalibrationFormats() { return kFormats; }

const CalibrationFormat* CalibrationFormatAt(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kFormats)) ? &kFormats[index] : nullptr;
}

}  // namespace tk
