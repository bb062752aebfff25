#include "terrakon/geodesy/places.h"

#include <algorithm>

#include "common/format_text.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/config/config_item.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/geodesy/coord_format.h"

namespace tk {
namespace {

HConfigItem* PlaceAt(HConfigItem* places, std::size_t position) {
  return places && position < places->ItemCount() ? places->ItemAt(position) : nullptr;
}

std::string KeyOf(std::string_view name) {
  std::string key(name);
  std::replace_if(key.begin(), key.end(), [](char c) { return c == '/' || c == '\\'; }, '_');
  return key;
}

}  // namespace

HConfigItem* PlacesItem(const HStorageLink& settings) { return settings.SubItem(kPlacesKey); }

std::vector<PlaceLine> PlaceLines(HConfigItem* places) {
  std::vector<PlaceLine> lines;
  if (!places) return lines;
  for (std::size_t i = 0; i < places->ItemCount(); ++i) {
    HConfigItem* place = places->ItemAt(i);
    std::string name = place->GetString("Name", "");
    const PixelPoint p{place->GetInt64("X", 0), place->GetInt64("Y", 0)};
    lines.push_back({FormatText("%s: %s", name.empty() ? "<unk>" : name.c_str(),
                                FormatCoord(p, 0, 0, 0, ",").c_str()),
                     i});
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const PlaceLine& a, const PlaceLine& b) { return a.text < b.text; });
  return lines;
}

bool AddPlace(HConfigItem* places, std::string_view name, PixelPoint point) {
  if (!places || name.empty()) return false;
  HConfigItem* place = places->OpenItem(KeyOf(name));
  place->SetString("Name", name);
  place->SetInt64("X", point.X);
  place->SetInt64("Y", point.Y);
  return true;
}

bool RenamePlace(HConfigItem* places, std::size_t position, std::string_view name) {
  HConfigItem* place = PlaceAt(places, position);
  if (!place) return false;
  place->SetString("Name", name);
  return true;
}

bool DeletePlace(HConfigItem* places, std::size_t position) {
  HConfigItem* place = PlaceAt(places, position);
  if (!place) return false;
  const std::string name = place->GetString("Name", "");
  if (!AskYesNo(Translate("Remove \"%s\" from list?"), name.c_str())) return false;
  places->DeleteItem(place);
  return true;
}

std::optional<PixelPoint> PlacePoint(HConfigItem* places, std::size_t position) {
  HConfigItem* place = PlaceAt(places, position);
  if (!place) return std::nullopt;
  return PixelPoint{place->GetInt64("X", 0), place->GetInt64("Y", 0)};
}

}  // namespace tk
