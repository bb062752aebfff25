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

void WaypointLists::RememberWaypointFile() {
  settings::WP_LastFile.Set(*link_, waypoints_.FileName());
  settings::WP_LastFormat.Set(*link_, waypoints_.FileFormat());
  waypoints_.SetModified(false);
  waypoints_.CallListeners(-1);
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

}  // namespace tk
