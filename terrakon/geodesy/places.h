// Named places: the children of the settings subtree "Places", each with
// "Name" (text), "X" and "Y" (the pixel point). Main thread only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "terrakon/plates/pixel_space.h"

namespace tk {

class HConfigItem;
class HStorageLink;

inline constexpr const char* kPlacesKey = "Places";

// The "Places" item of the main window's settings; null without a store.
HConfigItem* PlacesItem(const HStorageLink& settings);

struct PlaceLine {
  std::string text;      // "Name: coordinates" ("<unk>" for an empty name)
  std::size_t position;  // the child's position below "Places"
};

// One line per place, sorted by text; coordinates in datum 0, geodetic,
// degrees, minutes and seconds, separated by ",".
std::vector<PlaceLine> PlaceLines(HConfigItem* places);

// Stores the place under the child keyed by name (found or made; '/' and '\'
// in the key become '_' so that a name never opens a deeper item). False for
// an empty name.
bool AddPlace(HConfigItem* places, std::string_view name, PixelPoint point);
// Renames the place at position (its key stays); false when there is none.
bool RenamePlace(HConfigItem* places, std::size_t position, std::string_view name);
// Asks "Remove "%s" from list?" and on yes removes the place; true when removed.
bool DeletePlace(HConfigItem* places, std::size_t position);
std::optional<PixelPoint> PlacePoint(HConfigItem* places, std::size_t position);

}  // namespace tk
