// A picture of any readable format, held as a 24-bit BGR bitmap (bottom row
// first, rows padded to 4 bytes) together with the file's bytes and format,
// so that it can be saved again, streamed, or switched to another page.
// The windows only render it. Failures return false and leave the reason
// as the thread's error text.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/imagelib/imagelib.h"

namespace tk {

struct PictureProperties {
  int JPGQuality = 100;
  int PNGCompression = 7;
  bool Interlaced = false;
  bool Progressive = false;
  bool Transparent = false;
  uint32_t TransparentColor = 0x1FFFFFFF;  // none
  int Stretch = 0;  // 0 top-left, 1 stretched, 2 centred, 3 tiled, 4 proportional
  bool SaveAnimation = false;
};

class HGFLImage {
 public:
  HGFLImage() = default;
  HGFLImage(const HGFLImage&) = delete;
  HGFLImage& operator=(const HGFLImage&) = delete;

  PictureProperties properties;
  std::function<void()> OnChange;  // after every change of the picture

  // Empties the picture, then loads the file; on failure it stays empty.
  bool LoadFile(const std::string& name);
  bool LoadFromFile(const std::string& name) { return LoadFile(name); }
  bool IsLoaded() const { return !bitmap_.empty(); }
  // The pixels to render; null when empty.
  const img::Bitmap* RenderedBitmap() const { return IsLoaded() ? &bitmap_ : nullptr; }

  // In the format named by the file's extension (name or default suffix,
  // any case); no extension keeps the loaded format.
  bool SaveToFile(const std::string& name) const;
  // A 32-bit format index (-1: empty), a 32-bit byte count and the bytes,
  // little-endian.
  bool LoadFromStream(std::istream& in);
  bool SaveToStream(std::ostream& out) const;
  bool Assign(const HGFLImage& other);

  int Page() const { return page_; }
  int PageCount() const { return pages_; }
  // Limited to the file's pages; reloads that page from the kept bytes.
  bool SetPage(int page);
  int Width() const { return bitmap_.width; }
  int Height() const { return bitmap_.height; }
  int FormatIndex() const { return format_; }
  const std::vector<uint8_t>& FileBytes() const { return bytes_; }

 private:
  void Empty();
  bool Decode(std::vector<uint8_t> bytes, int format, int page);
  void Changed() const;

  img::Bitmap bitmap_;
  std::vector<uint8_t> bytes_;
  int format_ = -1;
  int page_ = 0;
  int pages_ = 0;
};

}  // namespace tk
