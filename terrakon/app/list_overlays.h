// The waypoint, simple places and track lists on the map view: their
// drawing with QPainter (the positions, rectangles, colours and polylines
// come from the tracks core), the waypoint hit test, their start-up loading
// and their exit questions.
#pragma once

#include <memory>

#include "terrakon/app/map_overlays.h"
#include "terrakon/plates/pixel_space.h"

namespace tk {

class Track;
class TrackArray;
class WaypointArray;
class WaypointLists;
struct TrackSettings;

// The view's pixel rectangle (X1 west, Y1 south) through the coordinate
// math library's screen conversion.
PixelRect ScreenViewRect(int width, int height);

// Every visible waypoint of the list inside the view of width x height pixels.
void DrawWaypoints(const WaypointArray& list, QPainter& painter, const PixelRect& view, int width, int height);
// Repaints the screen area of waypoint index on view (nothing when outside).
void InvalidateWaypoint(const WaypointArray& list, int index, QWidget* view);
void DrawTracks(const TrackArray& tracks, QPainter& painter, const PixelRect& view);
void DrawTrack(const Track& track, const TrackSettings& settings, QPainter& painter, const PixelRect& view);

class ListOverlays final : public MapOverlays {
 public:
  ListOverlays();
  ~ListOverlays() override;
  ListOverlays(const ListOverlays&) = delete;
  ListOverlays& operator=(const ListOverlays&) = delete;

  void Draw(QPainter& painter) override;
  int FindWaypointAt(int64_t x0, int64_t y0, int64_t x1, int64_t y1) override;
  std::string WaypointName(int index) override;
  void SelectOnlyWaypoint(int index) override;
  void Run(Command command) override;
  void AddWaypointAt(int64_t x, int64_t y) override;
  bool AnyChanged() override;
  // Makes the lists (they read their settings), auto-loads the last
  // waypoint file, "Places.wpt" and the last track file, then listens.
  void Start(const HStorageLink& link, QWidget* view, std::function<void()> changed) override;
  bool CloseQuery() override;
  void Shutdown() override;

  // Null before Start.
  WaypointLists* lists() { return lists_.get(); }
  TrackArray* tracks() { return tracks_.get(); }

 private:
  void StopListening();

  std::unique_ptr<WaypointLists> lists_;
  std::unique_ptr<TrackArray> tracks_;
  QWidget* view_ = nullptr;
  int waypointListener_ = 0, placesListener_ = 0, trackListener_ = 0;
};

}  // namespace tk
