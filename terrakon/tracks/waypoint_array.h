// A list of waypoints with its settings, change listeners, selection, files
// and dialogs. The program keeps two: the waypoint list and the simple
// places list ("Places.wpt", keys below "SP/"). User-interface thread only.
//
// Failing operations return false with the reason as the thread's error.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "terrakon/plates/pixel_space.h"
#include "terrakon/tracks/waypoint.h"

namespace tk {

class HStorageLink;

inline constexpr uint8_t kOziWaypointFormat = 0;
inline constexpr uint8_t kDetectFormat = 1;  // no operation detects formats

// The waypoint editor window (installed by the windows layer): true on OK.
using WaypointEditor = std::function<bool(Waypoint&)>;
void SetWaypointEditor(WaypointEditor editor);

class WaypointArray {
 public:
  using Listener = std::function<void(int32_t)>;  // an item number or -1

  // settings is shared, not owned, and must outlive the list; link is the
  // main window's settings link (dialog folders and filters).
  WaypointArray(WaypointSettings* settings, const HStorageLink* link);
  WaypointArray(const WaypointArray&) = delete;
  WaypointArray& operator=(const WaypointArray&) = delete;

  WaypointSettings& Settings() const { return *settings_; }
  std::vector<Waypoint>& Items() { return items_; }
  const std::vector<Waypoint>& Items() const { return items_; }
  std::size_t Count() const { return items_.size(); }

  uint8_t FileFormat() const { return fileFormat_; }
  const std::string& FileName() const { return fileName_; }
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  bool Loading() const { return loading_; }

  // Listeners are told an item number or -1 for "everything"; the id
  // unregisters them (before the listener is destroyed).
  int AddListener(Listener listener);
  void RemoveListener(int id);
  void CallListeners(int32_t item);

  Waypoint NewWaypoint(int64_t x, int64_t y) const;
  Waypoint& AddWaypoint(const Waypoint& waypoint);
  // NewWaypoint, the editor; on OK AddWaypoint. Null when cancelled.
  Waypoint* AddWaypointAt(int64_t x, int64_t y);
  static bool EditWaypoint(Waypoint& waypoint);
  void NotifyChanged();

  // The first waypoint whose stored position (no corrections) lies in the
  // rectangle, bounds included; -1 for none.
  int FindWaypointAt(const PixelRect& rect) const;
  void SelectOnly(int index);
  int CountSelected() const;
  Waypoint* NthSelected(int n);
  void Renumber();
  // Asks "Delete %d %s waypoints?"; false when the answer is no.
  bool DeleteWaypoints(bool selectedOnly);

  bool ImportWaypoints(const std::string& fileName, int formatCode);
  bool ImportWaypointsLast(const std::string& fileName);
  bool ExportWaypoints(const std::string& fileName, int formatCode, bool selectedOnly);
  bool LoadWaypointsDialog();
  bool SaveWaypoints(bool selectedOnly);
  // The same, showing "Error loading: %s" / "Error saving: %s" on false.
  bool LoadWaypointsDialogOrTell();
  bool SaveWaypointsOrTell(bool selectedOnly);

 private:
  void Remember(const std::string& fileName, int formatCode);

  WaypointSettings* settings_;
  const HStorageLink* link_;
  std::vector<Waypoint> items_;
  uint8_t fileFormat_ = kDetectFormat;
  std::string fileName_;
  bool modified_ = false;
  bool loading_ = false;
  struct Entry {
    int id;
    Listener listener;
  };
  std::vector<Entry> listeners_;
  int nextListener_ = 1;
};

// The drawn position: stored position plus the list's global and the
// waypoint's own correction.
PixelPoint WaypointDrawnPosition(const Waypoint& waypoint);

}  // namespace tk
