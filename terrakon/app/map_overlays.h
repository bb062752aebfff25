// What the map view draws over the plates and asks about the points on it:
// the simple places, the tracks and the waypoints. The waypoint and track
// lists fill it; without them nothing is drawn and no waypoint is hit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class QPainter;
class QWidget;

namespace tk {

class HStorageLink;

class MapOverlays {
 public:
  virtual ~MapOverlays() = default;
  // Places, then tracks, then waypoints, in screen pixels of the view.
  virtual void Draw(QPainter& painter) = 0;
  // Index of the first waypoint inside the box [pixel units], or -1.
  virtual int FindWaypointAt(int64_t x0, int64_t y0, int64_t x1, int64_t y1) = 0;
  virtual std::string WaypointName(int index) = 0;
  virtual void SelectOnlyWaypoint(int index) = 0;

  // The file menu's and the pop-up menu's list commands; the waypoint ones
  // act on the waypoint list, edit and delete on its selected waypoints.
  enum class Command {
    kLoadWaypoints, kLoadTrack, kSaveWaypoints, kSaveTracks, kClearWaypoints, kClearTracks, kSaveAll,
    kEditWaypoint, kDeleteWaypoints,
  };
  virtual void Run(Command /*command*/) {}
  // The waypoint editor on a new waypoint at the pixel position.
  virtual void AddWaypointAt(int64_t /*x*/, int64_t /*y*/) {}
  // Something a save would write: the waypoint or places list, or a track.
  virtual bool AnyChanged() { return false; }

  // Start-up, once the settings are read: the lists load their files and
  // report every change through changed. view is the map view (repaints).
  virtual void Start(const HStorageLink& /*link*/, QWidget* /*view*/, std::function<void()> /*changed*/) {}
  // The exit questions about unsaved lists; false keeps the program running.
  virtual bool CloseQuery() { return true; }
  // At exit, after the questions: the lists stop reporting and free their data.
  virtual void Shutdown() {}
};

}  // namespace tk
