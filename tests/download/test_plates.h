// Plate pictures for the downloader's tests and benchmark, made with the
// image layer: a JFIF JPEG (about 5 KB), the same picture with an Exif
// segment in place of the JFIF one, a PNG, and bodies of exact sizes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/imagelib/imagelib.h"

namespace tk::testing {

inline std::string EncodedPlate(int format, int quality = 90) {
  img::Bitmap b;
  img::AllocBitmap(b, img::kBgr, 256, 256, 4);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      uint8_t* p = b.Row(y) + x * 3;
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = uint8_t((x * y) >> 8);
    }
  img::SaveParams params = img::DefaultSaveParams();
  params.formatIndex = format;
  params.quality = quality;
  params.flags |= img::kSaveAnyway;
  std::vector<uint8_t> out;
  img::SaveBitmapIntoMemory(out, b, params);
  return std::string(out.begin(), out.end());
}

inline std::string JfifPlate() { return EncodedPlate(img::kFormatJpeg); }
inline std::string PngPlate() { return EncodedPlate(img::kFormatPng); }

// The JFIF segment right after the start marker, replaced by a minimal Exif one.
inline std::string ExifPlate() {
  std::string jpeg = JfifPlate();
  const std::size_t app0 = 4 + ((std::size_t(uint8_t(jpeg[4])) << 8) | uint8_t(jpeg[5]));  // SOI + APP0
  const std::string exif("Exif\0\0II*\0\x08\0\0\0\0\0\0\0\0\0", 20);
  std::string segment = "\xFF\xE1";
  segment += char((exif.size() + 2) >> 8);
  segment += char((exif.size() + 2) & 0xFF);
  segment += exif;
  return jpeg.substr(0, 2) + segment + jpeg.substr(app0);
}

// A JPEG of exactly size bytes (at least the picture's own size + 4):
// comment segments after the JFIF one make up the difference.
inline std::string PaddedJpeg(std::size_t size) {
  std::string jpeg = JfifPlate();
  const std::size_t app0 = 4 + ((std::size_t(uint8_t(jpeg[4])) << 8) | uint8_t(jpeg[5]));
  std::string padding;
  std::size_t missing = size > jpeg.size() ? size - jpeg.size() : 0;
  while (missing >= 4) {
    std::size_t content = std::min<std::size_t>(missing - 4, 65533);
    if (missing - 4 - content > 0 && missing - 4 - content < 4) content -= 4;  // leave room for one more
    padding += "\xFF\xFE";
    padding += char((content + 2) >> 8);
    padding += char((content + 2) & 0xFF);
    padding.append(content, 'p');
    missing -= content + 4;
  }
  return jpeg.substr(0, app0) + padding + jpeg.substr(app0);
}

// A body of exactly size bytes that passes the picture check: the start of
// a JFIF plate, or the whole plate padded when size is larger.
inline std::string JpegBody(std::size_t size) {
  std::string plate = JfifPlate();
  return size <= plate.size() ? plate.substr(0, size) : PaddedJpeg(size);
}

}  // namespace tk::testing
