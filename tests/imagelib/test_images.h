// Pictures for the tests, made with the image layer itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/imagelib/imagelib.h"

namespace tk::testing {

// A w x h picture of the layout, top-left origin: smooth gradients with a
// bright square, so lossy codecs keep it recognisable. Grey and palette
// layouts get x + y; alpha falls from left to right.
inline img::Bitmap TestPicture(img::BitmapType type, int w, int h) {
  img::Bitmap b;
  img::AllocBitmap(b, type, w, h, 1);
  int bpp = img::BytesPerPixel(type);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      bool square = x > w / 4 && x < w / 2 && y > h / 4 && y < h / 2;
      uint8_t v[4] = {uint8_t(x * 255 / (w > 1 ? w - 1 : 1)), uint8_t(y * 255 / (h > 1 ? h - 1 : 1)),
                      uint8_t(square ? 250 : 40), uint8_t(255 - x * 255 / (w > 1 ? w - 1 : 1))};
      if (bpp == 1) {
        row[x] = uint8_t((x + y) & 255);
      } else {
        for (int k = 0; k < bpp; ++k) row[x * bpp + k] = v[k];
      }
    }
  }
  return b;
}

// One colour everywhere (blue, green, red).
inline img::Bitmap SolidPicture(int w, int h, uint8_t b0, uint8_t g0, uint8_t r0) {
  img::Bitmap b;
  img::AllocBitmap(b, img::kBgr, w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      b.Row(y)[x * 3] = b0;
      b.Row(y)[x * 3 + 1] = g0;
      b.Row(y)[x * 3 + 2] = r0;
    }
  return b;
}

inline std::vector<uint8_t> Encode(const img::Bitmap& b, int format, int quality = 90) {
  img::SaveParams p = img::DefaultSaveParams();
  p.formatIndex = format;
  p.quality = quality;
  p.flags |= img::kSaveAnyway;
  std::vector<uint8_t> out;
  img::SaveBitmapIntoMemory(out, b, p);
  return out;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tk::testing
