#include "terrakon/tracks/waypoint_lists.h"

#include "common/error.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/ozi_text.h"
#include "terrakon/tracks/track_array.h"

namespace tk {

WaypointLists::WaypointLists(const HStorageLink* link)
    : link_(link), waypoints_(&waypointSettings_, link), places_(&placesSettings_, link) {
  LoadWaypointSettings(*link, "", &waypointSettings_);
  LoadWaypointSettings(*link, kPlacesPrefix, &placesSettings_);
}

void WaypointLists::AutoLoad(const std::string& programFolder) {
  const std::string last = settings::WP_LastFile.Get(*link_);
  if (settings::WPAutoload.Get(*link_) && !last.empty()) {
    if (!waypoints_.ImportWaypointsLast(last)) Log("!Waypoints %s: %s", last.c_str(), ErrorText().c_str());
    waypoints_.SetModified(false);
  }
  const std::string places = JoinPath(programFolder, kPlacesFile);
  if (!places_.ImportWaypointsLast(places)) Log("!Places %s: %s", places.c_str(), ErrorText().c_str());
  places_.SetModified(false);
}

void WaypointLists::RememberWaypointFile() { RememberWaypointFile(false); }

void WaypointLists::RememberWaypointFile(bool modified) {
  settings::WP_LastFile.Set(*link_, waypoints_.FileName());
  settings::WP_LastFormat.Set(*link_, waypoints_.FileFormat());
  waypoints_.SetModified(modified);
  waypoints_.CallListeners(-1);
}

bool WaypointLists::LoadWaypointsCommand() {
  const bool hadChanges = waypoints_.Modified();
  if (!waypoints_.LoadWaypointsDialogOrTell()) return false;
  RememberWaypointFile(hadChanges);
  return true;
}

bool WaypointLists::SaveWaypointsCommand() {
  if (!waypoints_.SaveWaypointsOrTell(false)) return false;
  // Still modified: the dialog was cancelled or the overwrite refused.
  RememberWaypointFile(waypoints_.Modified());
  return true;
}

bool WaypointLists::ClearWaypointsCommand() {
  if (!waypoints_.DeleteWaypoints(false)) return false;
  settings::WP_LastFile.Set(*link_, "");
  waypoints_.SetModified(false);
  waypoints_.CallListeners(-1);
  return true;
}

bool WaypointLists::SaveBothLists() {
  // Unchanged lists are left alone: one without a file would open a save
  // dialog that cannot say which list it is for.
  const bool places = !places_.Modified() || places_.SaveWaypointsOrTell(false);
  const bool waypoints = !waypoints_.Modified() || SaveWaypointsCommand();
  return places && waypoints;
}

bool WaypointLists::SavePlacesAtExit() {
  if (!places_.Modified() || places_.SaveWaypoints(false)) return true;
  ErrorBox(Translate("Error saving places file: %s"), ErrorText().c_str());
  return false;
}

void StartTracks(TrackArray& tracks, const HStorageLink& link) {
  Track& first = tracks.AddTrack(tracks.NewTrack());
  first.name = FixedText(Translate("GPS default track"));
  const std::string last = settings::TR_LastFile.Get(link);
  if (settings::TRAutoload.Get(link) && !last.empty()) tracks.LoadTrackFile(ProgramRelativePath(last));
}

bool ClearTracksCommand(TrackArray& tracks) {
  if (!AskYesNo("%s", Translate("Delete all tracks?"))) return false;
  tracks.DeleteAllButFirst();
  settings::TR_LastFile.Set(tracks.Link(), "");
  return true;
}

}  // namespace tk
