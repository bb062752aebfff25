// Whether the first block of a body is a plate picture rather than a page
// the service sent instead of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tk {

// A JPEG (FF D8 FF, and a JFIF or Exif segment among the segments before the
// image data) or a PNG (its 8-byte signature). The block is the body's start.
bool LooksLikePlatePicture(const uint8_t* block, std::size_t size);

}  // namespace tk
