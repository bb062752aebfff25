// JPEG through TurboJPEG: decoded straight into the bitmap's rows (bottom-up
// when asked) with no intermediate copy; 2x, 4x and 8x pictures can be
// decoded at the reduced size directly.
#include <turbojpeg.h>

#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "platform/imagelib/codec.h"

namespace tk::img::detail {
namespace {

struct TjDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

// One decompressor per thread: handles are not thread-safe, and creating
// one per picture costs as much as decoding a small one. A handle that
// failed on bad data may carry state into the next picture, so it is
// replaced then.
TjHandle& DecompressorSlot() {
  thread_local TjHandle handle;
  return handle;
}

tjhandle Decompressor() {
  TjHandle& slot = DecompressorSlot();
  if (!slot) slot.reset(tjInitDecompress());
  return slot.get();
}

int DropDecompressor(int error) {
  DecompressorSlot().reset();
  return error;
}


// Stored values of CMYK JPEGs are inverted (0 means full ink).
void CmykToColor(const uint8_t* cmyk, int width, uint8_t* out, bool bgr) {
  for (int x = 0; x < width; ++x, cmyk += 4, out += 3) {
    int k = cmyk[3];
    uint8_t r = uint8_t(cmyk[0] * k / 255), g = uint8_t(cmyk[1] * k / 255), b = uint8_t(cmyk[2] * k / 255);
    out[0] = bgr ? b : r;
    out[1] = g;
    out[2] = bgr ? r : b;
  }
}

}  // namespace

bool JpegAccepts(BitmapType type) { return type == kBgr || type == kRgb || type == kGrey; }

int DecodeJpeg(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info) {
  tjhandle tj = Decompressor();
  if (!tj) return kImgNoMemory;
  if (size > ULONG_MAX) return kImgTooLarge;
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(tj, data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                          &colorspace) != 0)
    return DropDecompressor(kImgBadData);
  bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
  info.width = width;
  info.height = height;
  info.components = colorspace == TJCS_GRAY ? 1 : cmyk ? 4 : 3;
  info.bitsPerComponent = 8;
  info.numberOfImages = 1;
  if (int e = CheckReadSize(width, height)) return e;
  if (!out) return kImgOk;
  if (params.imageWanted != 0) return kImgNoSuchPage;

  int outWidth = width, outHeight = height;
  if (params.scaleWidth > 0 && params.scaleHeight > 0) {
    for (int factor : {2, 4, 8}) {
      if (width == params.scaleWidth * factor && height == params.scaleHeight * factor) {
        outWidth = params.scaleWidth;
        outHeight = params.scaleHeight;
      }
    }
  }

  int flags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
  if (params.origin == kOriginBottomLeft) flags |= TJFLAG_BOTTOMUP;
  bool bgr = params.colorModel == kBgr;
  BitmapType type = colorspace == TJCS_GRAY ? kGrey : bgr ? kBgr : kRgb;
  Bitmap bitmap;
  if (int e = NewDecodedBitmap(bitmap, type, outWidth, outHeight, params, false)) return e;

  if (!cmyk) {
    int format = type == kGrey ? TJPF_GRAY : bgr ? TJPF_BGR : TJPF_RGB;
    if (tjDecompress2(tj, data, static_cast<unsigned long>(size), bitmap.data.get(), outWidth,
                      bitmap.bytesPerLine, outHeight, format, flags) != 0)
      return DropDecompressor(kImgBadData);
  } else {
    std::unique_ptr<uint8_t[]> buffer;
    try {
      buffer = std::make_unique_for_overwrite<uint8_t[]>(std::size_t(outWidth) * outHeight * 4);
    } catch (const std::bad_alloc&) {
      return kImgNoMemory;
    }
    if (tjDecompress2(tj, data, static_cast<unsigned long>(size), buffer.get(), outWidth, outWidth * 4,
                      outHeight, TJPF_CMYK, flags) != 0)
      return DropDecompressor(kImgBadData);
    for (int y = 0; y < outHeight; ++y)
      CmykToColor(buffer.get() + std::size_t(y) * outWidth * 4, outWidth, bitmap.Row(y), bgr);
  }
  *out = std::move(bitmap);
  return kImgOk;
}

int EncodeJpeg(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out) {
  // A fresh handle each time: a reused one carries state of a progressive
  // picture into the next and corrupts it. Encoding is never the hot path.
  TjHandle handle(tjInitCompress());
  tjhandle tj = handle.get();
  if (!tj) return kImgNoMemory;
  int format = bitmap.type == kGrey ? TJPF_GRAY : bitmap.type == kRgb ? TJPF_RGB : TJPF_BGR;
  int subsampling = bitmap.type == kGrey ? TJSAMP_GRAY : TJSAMP_420;
  int quality = params.quality < 1 ? 1 : params.quality > 100 ? 100 : params.quality;
  int flags = TJFLAG_NOREALLOC;
  if (bitmap.origin == kOriginBottomLeft) flags |= TJFLAG_BOTTOMUP;
  if (params.progressive) flags |= TJFLAG_PROGRESSIVE;
  unsigned long capacity = tjBufSize(bitmap.width, bitmap.height, subsampling);
  if (capacity == static_cast<unsigned long>(-1)) return kImgSizeLimit;
  struct TjFree {
    void operator()(unsigned char* p) const { tjFree(p); }
  };
  std::unique_ptr<unsigned char, TjFree> buffer(tjAlloc(int(capacity > INT_MAX ? INT_MAX : capacity)));
  if (!buffer || capacity > INT_MAX) return kImgNoMemory;
  unsigned char* target = buffer.get();
  unsigned long size = capacity;
  if (tjCompress2(tj, bitmap.data.get(), bitmap.width, bitmap.bytesPerLine, bitmap.height, format, &target,
                  &size, subsampling, quality, flags) != 0)
    return kImgBadParameters;
  out.assign(target, target + size);
  return kImgOk;
}

}  // namespace tk::img::detail
