// Texts of the export window that come from the plan and the settings: the
// format lists, the "Images" column of a level and the size label.
#pragma once

#include <string>
#include <vector>

#include "terrakon/imageexport/export_settings.h"
#include "terrakon/download/zoom_plan.h"

namespace tk {

struct FormatEntry {
  int index;         // image layer format index
  std::string text;  // "%s - %s" of name and description
};
// Every format the image layer writes.
std::vector<FormatEntry> ExportImageFormats();

// "%I64u (%I64ux%I64u), %I64ux%I64u, %s(~%s)": images, their columns and
// rows, pixels of one image, and the bytes of all images raw and as JPEG
// (about 12000 a plate). Overlaps are not counted.
std::string ImagesText(const ZoomPlanLevel& level, const ExportSettings& settings);
// "Max size: WxH" [pixels] with the overlaps when the size is limited, else "".
std::string MaxSizeText(const ExportSettings& settings);
// "Canc&el" while running, "&Export" otherwise (translated).
const char* ExportButtonCaption(bool running);

}  // namespace tk
