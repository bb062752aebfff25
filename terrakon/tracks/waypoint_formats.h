// The file formats of waypoint lists; the index is the format code.
#pragma once

#include <span>
#include <string>

namespace tk {

class WaypointArray;

struct WaypointFormat {
  bool (*read)(WaypointArray& list, const std::string& fileName);  // appends; null: none
  bool (*write)(const WaypointArray& list, const std::string& fileName, bool selectedOnly);
  const char* filter;     // "name|pattern"
  const char* name;
  const char* extension;  // without the dot
};

std::span<const WaypointFormat> WaypointFormats();
// The row of a code; null for 1 (detect) and any code without a row.
const WaypointFormat* WaypointFormatByCode(int code);
// The format's name, "<unknown>" (translated) for a code without a row.
const char* WaypointFormatName(int code);

}  // namespace tk
