// What the map view draws over the plates and asks about the points on it:
// the simple places, the tracks and the waypoints. The waypoint and track
// lists fill it; without them nothing is drawn and no waypoint is hit.
#pragma once

#include <cstdint>
#include <string>

class QPainter;

namespace tk {

class MapOverlays {
 public:
  virtual ~MapOverlays() = default;
  // Places, then tracks, then waypoints, in screen pixels of the view.
  virtual void Draw(QPainter& painter) = 0;
  // Index of the first waypoint inside the box [pixel units], or -1.
  virtual int FindWaypointAt(int64_t x0, int64_t y0, int64_t x1, int64_t y1) = 0;
  virtual std::string WaypointName(int index) = 0;
  virtual void SelectOnlyWaypoint(int index) = 0;
};

}  // namespace tk
