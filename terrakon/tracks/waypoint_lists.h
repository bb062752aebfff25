// The program's two waypoint lists with their settings, made at start-up
// before any window, and what start-up and exit do with them.
#pragma once

#include <string>

#include "terrakon/tracks/waypoint_array.h"

namespace tk {

class HStorageLink;

// The simple places list's file, in the program folder.
inline constexpr const char* kPlacesFile = "Places.wpt";

class WaypointLists {
 public:
  // Reads both settings records ("" and "SP/" keys); link must outlive it.
  explicit WaypointLists(const HStorageLink* link);
  WaypointLists(const WaypointLists&) = delete;
  WaypointLists& operator=(const WaypointLists&) = delete;

  WaypointArray& Waypoints() { return waypoints_; }
  WaypointArray& Places() { return places_; }

  // With "WPAutoload", the last waypoint file ("WP_LastFile"); then the
  // places file. Both lists end unmodified; a file that fails is logged.
  void AutoLoad(const std::string& programFolder);
  // After a dialog load or save of the waypoint list: "WP_LastFile" and
  // "WP_LastFormat" from the list, modified flag cleared, listeners told.
  void RememberWaypointFile();

  // The main window's file commands; false when they failed (already told)
  // or were refused. A load merges into the list, so a list that had unsaved
  // changes before stays modified after it, as it does after a cancelled
  // save: the exit question must still come.
  bool LoadWaypointsCommand();
  bool SaveWaypointsCommand();
  // Asks first; the emptied list forgets "WP_LastFile".
  bool ClearWaypointsCommand();
  // The changed ones of the places and the waypoint list; each failure is
  // told, both are tried.
  bool SaveBothLists();
  // At exit: a modified places list is saved (quick save or the dialog);
  // a failure shows "Error saving places file: %s". False on failure.
  bool SavePlacesAtExit();

 private:
  void RememberWaypointFile(bool modified);

  const HStorageLink* link_;
  WaypointSettings waypointSettings_, placesSettings_;
  WaypointArray waypoints_, places_;
};

class TrackArray;

// Start-up of the track list: a first track named "GPS default track", and
// with "TRAutoload" the last track file ("TR_LastFile") as a further track.
void StartTracks(TrackArray& tracks, const HStorageLink& link);

// The main window's clear command of the tracks: asks "Delete all tracks?";
// Yes keeps only the first track, emptied, and forgets "TR_LastFile".
bool ClearTracksCommand(TrackArray& tracks);

}  // namespace tk
