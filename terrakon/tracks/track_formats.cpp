#include "terrakon/tracks/track_formats.h"

#include "platform/i18n/translate.h"
#include "terrakon/tracks/ozi_track.h"

namespace tk {
namespace {

const TrackFormat kFormats[] = {
    {ReadOziTrack, WriteOziTrack, "OziExplorer (plt)|*.plt", "OZI Explorer", "plt"},
};

}  // namespace

std::span<const TrackFormat> TrackFormats() { return kFormats; }

const TrackFormat* TrackFormatByCode(int code) {
  if (code < 0 || code >= static_cast<int>(std::size(kFormats)) || code == 1) return nullptr;
  return &kFormats[code];
}

const char* TrackFormatName(int code) {
  const TrackFormat* f = TrackFormatByCode(code);
  return f ? f->name : Translate("<unknown>");
}

}  // namespace tk
