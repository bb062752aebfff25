#include "terrakon/tracks/waypoint_formats.h"

#include "platform/i18n/translate.h"
#include "terrakon/tracks/ozi_waypoints.h"

namespace tk {
namespace {

const WaypointFormat kFormats[] = {
    {ReadOziWaypoints, WriteOziWaypoints, "OziExplorer (wpt)|*.wpt", "OZI explorer", "wpt"},
};

}  // namespace

std::span<const WaypointFormat> WaypointFormats() { return kFormats; }

const WaypointFormat* WaypointFormatByCode(int code) {
  if (code < 0 || code >= static_cast<int>(std::size(kFormats)) || code == 1) return nullptr;
  return &kFormats[code];
}

const char* WaypointFormatName(int code) {
  const WaypointFormat* f = WaypointFormatByCode(code);
  return f ? f->name : Translate("<unknown>");
}

}  // namespace tk
