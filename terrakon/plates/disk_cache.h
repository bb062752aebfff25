// Plate files of the disk cache, decoded into the memory cache as plate
// images: 256 x 256 pixels, blue-green-red, bottom row first, 768 bytes a row.
#pragma once

#include <string_view>

#include "platform/imagelib/imagelib.h"
#include "terrakon/plates/plate_ref.h"

namespace tk {

// What plates are decoded with: bottom-left origin, BGR, rows padded to 4,
// alpha dropped, 2x/4x/8x JPEGs decoded at plate size.
img::LoadParams PlateLoadParams();

// Decodes the plate file of key into the memory cache. A missing file gives
// none quietly; a file that cannot be decoded is logged, deleted when the
// "DelUnknownImages" switch is on, and gives none. A file that could not be
// read (rather than decoded) is never deleted.
PlateRef LoadPlateFile(std::string_view key);

// Normalises a decoded bitmap (resizing it to 256 x 256, converting other
// layouts to BGR, logging both) and stores it in the memory cache; the
// bitmap's block becomes the cache entry without a copy. None on failure.
PlateRef StorePlateImage(std::string_view key, img::Bitmap bitmap, const img::FileInfo& info);

}  // namespace tk
