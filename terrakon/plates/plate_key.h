// Plate keys: one letter of "qrst" per zoom level, the path from the whole
// world down to the plate ("q" north-west, "r" north-east, "s" south-east,
// "t" south-west). A key's length is its zoom level.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "terrakon/plates/pixel_space.h"

namespace tk {

// Bytes a key buffer needs: 30 letters and the terminating zero.
inline constexpr int kPlateKeyBytes = kMaxZoom + 1;

// Writes the key of plate (column, row) at the zoom level into buffer, which
// holds at least kPlateKeyBytes; row 0 is the southern edge. Levels above 30
// are cut to 30 so that the buffer cannot overflow; level 0 gives "".
char* MakePlateKey(char* buffer, int64_t column, int64_t row, int zoom);
std::string PlateKeyText(int64_t column, int64_t row, int zoom);

// The pixel rectangle a key covers; characters other than q, r, s, t are skipped.
PixelRect PlateKeyRect(std::string_view key);

}  // namespace tk
