#include "terrakon/download/picture_check.h"

#include <cstring>

namespace tk {
namespace {

constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool HasText(const uint8_t* at, const uint8_t* end, const char* text, std::size_t n) {
  return end - at >= static_cast<std::ptrdiff_t>(n) && std::memcmp(at, text, n) == 0;
}

bool IsJfifOrExifJpeg(const uint8_t* block, std::size_t size) {
  if (size < 4 || block[0] != 0xFF || block[1] != 0xD8 || block[2] != 0xFF) return false;
  const uint8_t* end = block + size;
  const uint8_t* p = block + 2;
  // Walk the application and comment segments that precede the image data.
  while (end - p >= 4) {
    if (p[0] != 0xFF) return false;
    const uint8_t marker = p[1];
    if (marker == 0xFF) {  // fill byte
      ++p;
      continue;
    }
    const bool app = marker >= 0xE0 && marker <= 0xEF;
    if (!app && marker != 0xFE) return false;
    const std::size_t length = std::size_t(p[2]) << 8 | p[3];
    if (length < 2) return false;
    const uint8_t* content = p + 4;
    if (marker == 0xE0 && HasText(content, end, "JFIF", 4)) return true;
    if (marker == 0xE1 && HasText(content, end, "Exif", 4)) return true;
    if (static_cast<std::size_t>(end - p) < 2 + length) return false;
    p += 2 + length;
  }
  return false;
}

}  // namespace

bool LooksLikePlatePicture(const uint8_t* block, std::size_t size) {
  if (!block) return false;
  if (size >= sizeof kPngSignature && std::memcmp(block, kPngSignature, sizeof kPngSignature) == 0) return true;
  return IsJfifOrExifJpeg(block, size);
}

}  // namespace tk
