// Plate keys and tile numbers: the key's length is the zoom level; each
// letter halves the plate ("q" north-west, "r" north-east, "s" south-east,
// "t" south-west). Columns count from the west, rows from the south.
#pragma once

#include <cstdint>
#include <string>

namespace storagekit {

inline constexpr int kMaxZoom = 30;

struct TileNumber {
  int zoom = 0;
  std::int64_t column = 0;
  std::int64_t row = 0;  // from the south
};

// False for null, for an empty or longer key, and for any other letter.
// allowEmpty admits "" (zoom 0), the prefix that selects everything.
inline bool ParseKey(const char* key, TileNumber* tile, bool allowEmpty = false) {
  if (!key) return false;
  TileNumber t;
  for (const char* p = key; *p; ++p) {
    if (t.zoom == kMaxZoom) return false;
    const char c = *p;
    if (c != 'q' && c != 'r' && c != 's' && c != 't') return false;
    t.column = t.column * 2 + ((c == 'r' || c == 's') ? 1 : 0);
    t.row = t.row * 2 + ((c == 'q' || c == 'r') ? 1 : 0);
    ++t.zoom;
  }
  if (t.zoom == 0 && !allowEmpty) return false;
  *tile = t;
  return true;
}

inline std::string MakeKey(const TileNumber& tile) {
  std::string key(static_cast<std::size_t>(tile.zoom), 't');
  for (int i = 0; i < tile.zoom; ++i) {
    const int bit = tile.zoom - 1 - i;
    const bool east = (tile.column >> bit) & 1;
    const bool north = (tile.row >> bit) & 1;
    key[static_cast<std::size_t>(i)] = north ? (east ? 'r' : 'q') : (east ? 's' : 't');
  }
  return key;
}

inline bool ValidTile(const TileNumber& tile) {
  if (tile.zoom < 1 || tile.zoom > kMaxZoom) return false;
  const std::int64_t count = std::int64_t{1} << tile.zoom;
  return tile.column >= 0 && tile.column < count && tile.row >= 0 && tile.row < count;
}

}  // namespace storagekit
