// The OziExplorer waypoint file, "OziExplorer Waypoint File Version 1.1":
// CR LF lines, positions in degrees of datum 0 declared as "WGS 84".
#pragma once

#include <string>

namespace tk {

class WaypointArray;

// Writes every waypoint, or only the selected ones; logs the count. False
// with the system's error when the file cannot be written (an old file stays).
bool WriteOziWaypoints(const WaypointArray& list, const std::string& fileName, bool selectedOnly);
// Appends the file's waypoints. Stops at the first bad line: the waypoints
// before it stay, the error number or text says why (the log names the line).
bool ReadOziWaypoints(WaypointArray& list, const std::string& fileName);

}  // namespace tk
