// The file formats of tracks; the index is the format code.
#pragma once

#include <span>
#include <string>

namespace tk {

class Track;

struct TrackFormat {
  bool (*read)(Track& track, const std::string& fileName);  // into an emptied track
  bool (*write)(const Track& track, const std::string& fileName, bool selectedOnly);
  const char* filter;     // "name|pattern"
  const char* name;
  const char* extension;  // without the dot
};

std::span<const TrackFormat> TrackFormats();
const TrackFormat* TrackFormatByCode(int code);
// "<unknown>" (translated) for a code without a row.
const char* TrackFormatName(int code);

}  // namespace tk
