// The OziExplorer track file, "OziExplorer Track Point File Version 2.1":
// CR LF lines, positions in degrees of datum 0 declared as "WGS 84".
#pragma once

#include <string>

namespace tk {

class Track;

// Writes every point, or only the selected ones; logs the count. False with
// the system's error when the file cannot be written (an old file stays).
bool WriteOziTrack(const Track& track, const std::string& fileName, bool selectedOnly);
// Reads the file's points into the track (whose points were removed). Stops
// at the first bad line: the points before it stay, the error number or text
// says why (the log names the line).
bool ReadOziTrack(Track& track, const std::string& fileName);

}  // namespace tk
