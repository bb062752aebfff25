// Bitmaps: allocation, copies, resizing and colour conversion.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/imagelib/codec.h"

namespace tk::img {

int BytesPerPixel(BitmapType type) {
  switch (type) {
    case kBinary:
    case kGrey:
    case kColors:
      return 1;
    case kRgb:
    case kBgr:
      return 3;
    case kRgba:
    case kAbgr:
    case kBgra:
    case kArgb:
    case kCmyk:
      return 4;
  }
  return 0;
}

namespace detail {

int64_t PaddedLine(int64_t width, int bpp, int padding) {
  int64_t bytes = width * bpp;
  return (bytes + padding - 1) / padding * padding;
}

int CheckReadSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return kImgBadData;
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
    return kImgTooLarge;
  return kImgOk;
}

namespace {

bool ValidPadding(int padding) {
  return padding == 1 || padding == 2 || padding == 4 || padding == 8 || padding == 16;
}

// Sizes the bitmap and allocates its block; the pixel bytes are left as the
// allocator gives them unless zeroFill.
int Allocate(Bitmap& out, BitmapType type, int width, int height, int padding, Origin origin,
             bool zeroFill) {
  int bpp = BytesPerPixel(type);
  if (bpp == 0 || !ValidPadding(padding) || (origin != kOriginTopLeft && origin != kOriginBottomLeft))
    return kImgBadParameters;
  if (width <= 0 || height <= 0) return kImgBadParameters;
  if (width > kMaxBitmapSide || height > kMaxBitmapSide) return kImgSizeLimit;
  int64_t line = PaddedLine(width, bpp, padding);
  int64_t total = line * height;
  if (total > kMaxBitmapBytes) return kImgSizeLimit;
  Bitmap bitmap;
  try {
    bitmap.data = zeroFill ? std::make_unique<uint8_t[]>(std::size_t(total))
                           : std::make_unique_for_overwrite<uint8_t[]>(std::size_t(total));
  } catch (const std::bad_alloc&) {
    return kImgNoMemory;
  }
  bitmap.type = type;
  bitmap.origin = origin;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.linePadding = padding;
  bitmap.bytesPerLine = int(line);
  bitmap.dataSize = std::size_t(total);
  out = std::move(bitmap);
  return kImgOk;
}

void GreyRamp(Bitmap& bitmap) {
  if (bitmap.type == kBinary) {
    bitmap.palette = {0, 0, 0, 255, 255, 255};
  } else if (bitmap.type == kColors) {
    bitmap.palette.resize(256 * 3);
    for (int i = 0; i < 256; ++i) std::memset(&bitmap.palette[i * 3], i, 3);
  }
}

}  // namespace

int NewDecodedBitmap(Bitmap& out, BitmapType type, int width, int height, const LoadParams& params,
                     bool zeroFill) {
  if (int e = CheckReadSize(width, height)) return e;
  if (int e = Allocate(out, type, width, height, params.linePadding, params.origin, zeroFill)) return e;
  int used = width * BytesPerPixel(type);
  if (!zeroFill && used < out.bytesPerLine) {
    for (int y = 0; y < height; ++y) std::memset(out.Row(y) + used, 0, out.bytesPerLine - used);
  }
  return kImgOk;
}

}  // namespace detail

int AllocBitmap(Bitmap& out, BitmapType type, int width, int height, int linePadding, Origin origin) {
  if (int e = detail::Allocate(out, type, width, height, linePadding, origin, true)) return e;
  detail::GreyRamp(out);
  return kImgOk;
}

int CloneBitmap(const Bitmap& source, Bitmap& out) {
  if (source.empty()) return kImgBadParameters;
  Bitmap copy;
  try {
    copy.data = std::make_unique_for_overwrite<uint8_t[]>(source.dataSize);
    copy.palette = source.palette;
  } catch (const std::bad_alloc&) {
    return kImgNoMemory;
  }
  std::memcpy(copy.data.get(), source.data.get(), source.dataSize);
  copy.type = source.type;
  copy.origin = source.origin;
  copy.width = source.width;
  copy.height = source.height;
  copy.linePadding = source.linePadding;
  copy.bytesPerLine = source.bytesPerLine;
  copy.dataSize = source.dataSize;
  out = std::move(copy);
  return kImgOk;
}

void FreeBitmap(Bitmap& bitmap) { bitmap = Bitmap(); }

namespace {

// Source position of each target pixel centre, in 1/256 steps: the two
// neighbours and the weight of the second.
struct Tap {
  int first;
  int second;
  int weight;  // 0 ... 256
};

std::vector<Tap> Taps(int from, int to) {
  std::vector<Tap> taps(to);
  for (int i = 0; i < to; ++i) {
    // ((i + 0.5) * from / to - 0.5) in 1/256 units, exact in 64-bit.
    int64_t pos = ((2 * int64_t(i) + 1) * from * 256 - int64_t(to) * 256) / (2 * int64_t(to));
    if (pos < 0) pos = 0;
    int first = int(pos >> 8);
    if (first >= from - 1) {
      taps[i] = {from - 1, from - 1, 0};
    } else {
      taps[i] = {first, first + 1, int(pos & 255)};
    }
  }
  return taps;
}

void ResizeNearest(const Bitmap& in, Bitmap& out, int bpp) {
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* src = in.Row(int(int64_t(y) * in.height / out.height));
    uint8_t* dst = out.Row(y);
    for (int x = 0; x < out.width; ++x) {
      std::memcpy(dst + x * bpp, src + int64_t(x) * in.width / out.width * bpp, bpp);
    }
  }
}

void ResizeBilinear(const Bitmap& in, Bitmap& out, int bpp) {
  std::vector<Tap> xs = Taps(in.width, out.width);
  std::vector<Tap> ys = Taps(in.height, out.height);
  for (int y = 0; y < out.height; ++y) {
    const Tap& ty = ys[y];
    const uint8_t* r0 = in.Row(ty.first);
    const uint8_t* r1 = in.Row(ty.second);
    uint8_t* dst = out.Row(y);
    for (int x = 0; x < out.width; ++x) {
      const Tap& tx = xs[x];
      const uint8_t* a = r0 + tx.first * bpp;
      const uint8_t* b = r0 + tx.second * bpp;
      const uint8_t* c = r1 + tx.first * bpp;
      const uint8_t* d = r1 + tx.second * bpp;
      for (int k = 0; k < bpp; ++k) {
        int top = a[k] * (256 - tx.weight) + b[k] * tx.weight;
        int bottom = c[k] * (256 - tx.weight) + d[k] * tx.weight;
        dst[x * bpp + k] = uint8_t((top * (256 - ty.weight) + bottom * ty.weight + 32768) >> 16);
      }
    }
  }
}

}  // namespace

int Resize(Bitmap& bitmap, int width, int height, int method) {
  if (bitmap.empty() || (method != kResizeQuick && method != kResizeBilinear)) return kImgBadParameters;
  if (width == bitmap.width && height == bitmap.height) return kImgOk;
  Bitmap out;
  if (int e = detail::Allocate(out, bitmap.type, width, height, bitmap.linePadding, bitmap.origin, true))
    return e;
  out.palette = bitmap.palette;
  int bpp = BytesPerPixel(bitmap.type);
  bool indexed = bitmap.type == kColors || bitmap.type == kBinary;
  if (method == kResizeQuick || indexed) {
    ResizeNearest(bitmap, out, bpp);
  } else {
    ResizeBilinear(bitmap, out, bpp);
  }
  bitmap = std::move(out);
  return kImgOk;
}

int ChangeColorDepth(Bitmap& bitmap, int mode) {
  if (bitmap.empty() || mode != kToBgr) return kImgBadParameters;
  if (bitmap.type == kBgr) return kImgOk;
  Bitmap out;
  if (int e = detail::Allocate(out, kBgr, bitmap.width, bitmap.height, bitmap.linePadding, bitmap.origin, true))
    return e;
  for (int y = 0; y < bitmap.height; ++y) {
    const uint8_t* s = bitmap.Row(y);
    uint8_t* d = out.Row(y);
    for (int x = 0; x < bitmap.width; ++x, d += 3) {
      switch (bitmap.type) {
        case kBinary:
        case kColors:
          detail::PaletteBgr(bitmap, s[x], d);
          break;
        case kGrey:
          d[0] = d[1] = d[2] = s[x];
          break;
        case kRgb:
          d[0] = s[x * 3 + 2], d[1] = s[x * 3 + 1], d[2] = s[x * 3];
          break;
        case kRgba:
          d[0] = s[x * 4 + 2], d[1] = s[x * 4 + 1], d[2] = s[x * 4];
          break;
        case kBgra:
          d[0] = s[x * 4], d[1] = s[x * 4 + 1], d[2] = s[x * 4 + 2];
          break;
        case kAbgr:
          d[0] = s[x * 4 + 1], d[1] = s[x * 4 + 2], d[2] = s[x * 4 + 3];
          break;
        case kArgb:
          d[0] = s[x * 4 + 3], d[1] = s[x * 4 + 2], d[2] = s[x * 4 + 1];
          break;
        case kCmyk: {
          int k = 255 - s[x * 4 + 3];
          d[0] = uint8_t((255 - s[x * 4 + 2]) * k / 255);
          d[1] = uint8_t((255 - s[x * 4 + 1]) * k / 255);
          d[2] = uint8_t((255 - s[x * 4]) * k / 255);
          break;
        }
        case kBgr:
          break;
      }
    }
  }
  bitmap = std::move(out);
  return kImgOk;
}

}  // namespace tk::img
