#include "terrakon/plates/disk_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/log.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"

namespace tk {
namespace {

constexpr int kSide = 256;

// Errors about the file's content; a read or memory failure says nothing
// about the file, so it is kept.
bool UnreadableContent(int error) {
  return error == img::kImgUnknownFormat || error == img::kImgBadData || error == img::kImgTooLarge ||
         error == img::kImgUnsupported || error == img::kImgNoSuchPage;
}

void FlipRows(img::Bitmap& b) {
  std::vector<uint8_t> row(b.bytesPerLine);
  for (int top = 0, bottom = b.height - 1; top < bottom; ++top, --bottom) {
    std::memcpy(row.data(), b.Row(top), row.size());
    std::memcpy(b.Row(top), b.Row(bottom), row.size());
    std::memcpy(b.Row(bottom), row.data(), row.size());
  }
  b.origin = b.origin == img::kOriginBottomLeft ? img::kOriginTopLeft : img::kOriginBottomLeft;
}

}  // namespace

img::LoadParams PlateLoadParams() {
  img::LoadParams p = img::DefaultLoadParams();
  p.flags |= img::kLoadSkipAlpha;
  p.imageWanted = 0;
  p.origin = img::kOriginBottomLeft;
  p.colorModel = img::kBgr;
  p.linePadding = 4;
  p.scaleWidth = kSide;
  p.scaleHeight = kSide;
  return p;
}

PlateRef LoadPlateFile(std::string_view key) {
  std::string path = PlatePath(key);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return PlateRef();
  img::Bitmap bitmap;
  img::FileInfo info;
  int e = img::LoadBitmap(path.c_str(), bitmap, PlateLoadParams(), &info);
  if (e) {
    Log("Error loading image [%s]: %s", path.c_str(), img::ImageErrorText(e));
    if (Switches().delUnknownImages && UnreadableContent(e)) unlink(path.c_str());
    return PlateRef();
  }
  return StorePlateImage(key, std::move(bitmap), info);
}

PlateRef StorePlateImage(std::string_view key, img::Bitmap bitmap, const img::FileInfo& info) {
  if (bitmap.empty()) return PlateRef();
  const std::string name(key);
  // A JPEG of twice the size arrives already scaled; it still was the wrong size.
  int storedWidth = info.width > 0 ? info.width : bitmap.width;
  int storedHeight = info.height > 0 ? info.height : bitmap.height;
  if (storedWidth != kSide || storedHeight != kSide || bitmap.width != kSide || bitmap.height != kSide) {
    Log("Loaded bitmap [%s] has wrong sizes %dx%d, resize to %dx%d", name.c_str(), storedWidth, storedHeight,
        kSide, kSide);
    if (int e = img::Resize(bitmap, kSide, kSide, img::kResizeBilinear)) {
      Log("Image resize error: %s", img::ImageErrorText(e));
      return PlateRef();
    }
  }
  if (bitmap.type != img::kBgr) {
    Log("Change image colorspace from %d", int(bitmap.type));
    // Storing anything but 24-bit rows would hand the painter a short block.
    if (int e = img::ChangeColorDepth(bitmap, img::kToBgr)) {
      Log("Image colorspace change error: %s", img::ImageErrorText(e));
      return PlateRef();
    }
  }
  if (bitmap.origin != img::kOriginBottomLeft) FlipRows(bitmap);
  if (bitmap.bytesPerLine != kPlateLineBytes || bitmap.dataSize != kPlateImageBytes) return PlateRef();
  std::shared_ptr<const uint8_t[]> block(std::move(bitmap.data));
  return CacheStore(PlateRef::Image(std::move(block), kPlateImageBytes), key);
}

}  // namespace tk
