// The program's list of tracks: at most one current track, change
// listeners, the track display settings and the questions asked before
// tracks are lost. User-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "terrakon/tracks/track.h"

namespace tk {

class HStorageLink;

// Read when the list is made ("TR_Def_Width" ... "TR_Def_FColor" are read
// whenever a track is made).
struct TrackSettings {
  uint32_t pointColor = 0xFFFFFF;          // marker outline, point state 0
  uint32_t pointFill = 0;                  // marker fill, point state 0
  uint32_t selectedPointColor = 0xFFFFFF;
  uint32_t selectedPointFill = 0x800000;
  uint32_t selectedLine = 0xFFFF;          // the current track
  uint32_t selectedFill = 0x800000;
  bool drawAll = false;                    // MakeTrackPoints' draw-all flag
  int64_t correctionX = 0;                 // added to every track [pixel-space units]
  int64_t correctionY = 0;
  int64_t defaultCorrectionX = 0;          // own correction of a new track
  int64_t defaultCorrectionY = 0;
};
void LoadTrackSettings(const HStorageLink& link, TrackSettings* settings);

class TrackArray {
 public:
  using Listener = std::function<void(int32_t)>;  // a track number or -1

  // link: the main window's settings link; it must outlive the list.
  explicit TrackArray(const HStorageLink* link);
  ~TrackArray();
  TrackArray(const TrackArray&) = delete;
  TrackArray& operator=(const TrackArray&) = delete;

  const HStorageLink& Link() const { return *link_; }
  TrackSettings& Settings() { return settings_; }
  const TrackSettings& Settings() const { return settings_; }

  std::size_t Count() const { return tracks_.size(); }
  Track& operator[](std::size_t i) const { return *tracks_[i]; }

  int AddListener(Listener listener);
  void RemoveListener(int id);
  void CallListeners(int32_t item);

  // A track with the defaults, not yet in the list.
  std::unique_ptr<Track> NewTrack();
  Track& AddTrack(std::unique_ptr<Track> track);
  // NewTrack and the open dialog; the track joins the list on success and
  // is dropped otherwise (a cancelled dialog fails with kErrorCancelled).
  bool LoadNewTrack();
  // The same, showing "Error loading: %s" unless the user cancelled.
  bool LoadNewTrackOrTell();
  // NewTrack and ImportTrackLast; on failure the track is dropped silently.
  bool LoadTrackFile(const std::string& fileName);
  // The question of the exit and of "save all"; false when cancelled.
  bool AskSaveTracks();
  Track* CurrentTrack() const;
  void SelectTrack(int index);
  // Asks, optionally saves, removes; false when cancelled or a save failed.
  bool DeleteTrack(int index);
  void RenumberTracks();
  bool AnyTrackModified() const;
  // Removes every track but the first and empties that one, which then
  // holds nothing to save and no file to save into; the listeners hear -1.
  void DeleteAllButFirst();
  // Removes every track and releases the drawing buffers of the library.
  void Clear();

 private:
  const HStorageLink* link_;
  TrackSettings settings_;
  std::vector<std::unique_ptr<Track>> tracks_;
  struct Entry {
    int id;
    Listener listener;
  };
  std::vector<Entry> listeners_;
  int nextListener_ = 1;
};

}  // namespace tk
