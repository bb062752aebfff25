// A track: an ordered list of recorded points drawn as a line, a filled area
// or an alarm zone, read from and written to its own file. User-interface
// thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "quadcalc/quadcalc.h"
#include "terrakon/tracks/date_time.h"

namespace tk {

class Track;
class TrackArray;

// The record MakeTrackPoints reads in place: the fields it reads sit at the
// offsets the library expects, and records lie QUADCALC_TRACK_POINT_STRIDE
// bytes apart in a track's point vector.
struct TrackPoint {
  int64_t X = 0;  // pixel space, datum 0
  int64_t Y = 0;
  int32_t altitude = -777;   // -777: none
  DateTime dateTime;
  int64_t correctionX = 0;   // own correction [pixel-space units]
  int64_t correctionY = 0;
  int16_t state = 0;         // 0 normal, 1 selected
  int32_t segment = 0;       // field 3 of the file's point line
  int32_t number = 0;        // position in the track
  // The change callback: bound to its track's point-change notification.
  Track* track = nullptr;

  void Changed() const;
};
static_assert(sizeof(TrackPoint) == QUADCALC_TRACK_POINT_STRIDE, "TrackPoint stride");
static_assert(offsetof(TrackPoint, X) == QUADCALC_TRACK_POINT_X, "TrackPoint layout");
static_assert(offsetof(TrackPoint, Y) == QUADCALC_TRACK_POINT_Y, "TrackPoint layout");
static_assert(offsetof(TrackPoint, correctionX) == QUADCALC_TRACK_POINT_CORRECTION_X, "TrackPoint layout");
static_assert(offsetof(TrackPoint, correctionY) == QUADCALC_TRACK_POINT_CORRECTION_Y, "TrackPoint layout");

enum TrackType : int32_t { kTrackLine = 0, kTrackArea = 1, kTrackAlarm = 2 };
// "Line", "Area", "Alarm" (translated), "<unknown>" for any other.
const char* TrackTypeName(int32_t type);

inline constexpr uint8_t kOziTrackFormat = 0;
inline constexpr uint8_t kDetectTrackFormat = 1;  // no operation detects formats

class Track {
 public:
  using Listener = std::function<void(int32_t)>;  // told the track's number

  // Tracks are made by TrackArray::NewTrack, which gives them their list.
  explicit Track(TrackArray* list);
  Track(const Track&) = delete;
  Track& operator=(const Track&) = delete;

  TrackArray* List() const { return list_; }
  std::vector<TrackPoint>& Points() { return points_; }
  const std::vector<TrackPoint>& Points() const { return points_; }

  TrackPoint NewTrackPoint(int64_t x, int64_t y) const;
  TrackPoint& AddTrackPoint(const TrackPoint& point);
  // A point of this track changed: the modified flag, then (unless loading)
  // the listeners.
  void PointChanged();
  void ClearPoints() { points_.clear(); }

  int AddListener(Listener listener);
  void RemoveListener(int id);
  void Notify();

  bool ImportTrack(const std::string& fileName, int formatCode);
  bool ImportTrackLast(const std::string& fileName);
  bool ExportTrack(const std::string& fileName, int formatCode, bool selectedOnly);
  bool SaveTrack(bool selectedOnly);
  // The same, showing "Error saving: %s" on false.
  bool SaveTrackOrTell(bool selectedOnly);
  // Cancelling the dialog fails with kErrorCancelled.
  bool LoadTrackDialog();
  // Offers to save a modified track, then LoadTrackDialog; failures are shown.
  void LoadIntoTrack();

  int32_t number = 0;
  int32_t state = 0;  // 0 normal, 1 current
  int32_t lineWidth = 1;   // [screen pixels]
  uint32_t color = 255;
  int32_t type = kTrackLine;
  uint8_t fillStyle = 0;   // brush: 0 solid, 1 clear, 2 horizontal ... 7 diagonal cross
  uint32_t fillColor = 0xFFFFFF;
  std::string name;        // at most 260 characters
  bool modified = false;
  std::string fileName;
  uint8_t format = 1;      // 1: none remembered
  bool visible = true;
  bool loading = false;
  int64_t correctionX = 0;  // own correction [pixel-space units]
  int64_t correctionY = 0;

 private:
  void StoreLastFile(const std::string& fileName, int formatCode);

  TrackArray* list_;
  std::vector<TrackPoint> points_;
  struct Entry {
    int id;
    Listener listener;
  };
  std::vector<Entry> listeners_;
  int nextListener_ = 1;
};

}  // namespace tk
