// Windows bitmaps, read and written by ourselves: 1, 4, 8 bits with a
// palette (RLE8 and RLE4 too), 16 and 32 bits with or without bit fields,
// 24 bits. Every offset read from the file is checked against its size.
#include <bit>
#include <climits>
#include <cstring>

#include "platform/imagelib/codec.h"

namespace tk::img::detail {
namespace {

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6 };

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Field {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Field(uint32_t m) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      bits = std::popcount(m >> shift);
    }
  }
  uint8_t Get(uint32_t pixel) const {
    if (!bits) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    return uint8_t(v * 255 / ((1u << bits) - 1));
  }
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // always positive; topDown says the row order
  bool topDown = false;
  int bpp = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  uint32_t headerSize = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};

int ReadHeader(const uint8_t* d, std::size_t size, Header& h) {
  if (size < 26) return kImgBadData;
  h.headerSize = U32(d + 14);
  if (h.headerSize < 12 || h.headerSize > size - 14) return kImgBadData;
  if (h.headerSize == 12) {
    h.width = U16(d + 18);
    h.height = U16(d + 20);
    h.bpp = U16(d + 24);
  } else if (h.headerSize >= 40) {
    h.width = int32_t(U32(d + 18));
    int32_t height = int32_t(U32(d + 22));
    if (height == INT32_MIN) return kImgBadData;
    h.topDown = height < 0;
    h.height = height < 0 ? -int64_t(height) : height;
    h.bpp = U16(d + 28);
    h.compression = U32(d + 30);
    h.colorsUsed = U32(d + 46);
  } else {
    return kImgUnsupported;
  }
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    // Right after the 40-byte part, inside a longer header or following it.
    int count = h.compression == kBiAlphaBitfields || h.headerSize >= 56 ? 4 : 3;
    std::size_t at = 14 + 40;
    if (at + 4u * count > size) return kImgBadData;
    for (int i = 0; i < count; ++i) h.masks[i] = U32(d + at + 4 * i);
  }
  return kImgOk;
}

bool ValidCombination(const Header& h) {
  switch (h.compression) {
    case kBiRgb: return h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    case kBiRle8: return h.bpp == 8;
    case kBiRle4: return h.bpp == 4;
    case kBiBitfields:
    case kBiAlphaBitfields: return h.bpp == 16 || h.bpp == 32;
  }
  return false;
}

// RLE8/RLE4 into a zero-filled indexed bitmap; put(x, fileRow, index).
template <typename Put>
int DecodeRle(const uint8_t* s, std::size_t avail, bool rle8, int64_t width, int64_t height, Put put) {
  int64_t x = 0, row = 0;
  std::size_t p = 0;
  while (row < height) {
    if (avail - p < 2) return kImgBadData;  // ended without an end-of-bitmap mark
    unsigned n = s[p], c = s[p + 1];
    p += 2;
    if (n > 0) {
      for (unsigned i = 0; i < n; ++i, ++x) {
        if (x < width) put(x, row, rle8 ? c : (i & 1) ? c & 15 : c >> 4);
      }
    } else if (c == 0) {
      x = 0;
      ++row;
    } else if (c == 1) {
      return kImgOk;
    } else if (c == 2) {
      if (avail - p < 2) return kImgBadData;
      x += s[p];
      row += s[p + 1];
      p += 2;
    } else {
      std::size_t bytes = rle8 ? c : (c + 1) / 2;
      if (avail - p < bytes) return kImgBadData;
      for (unsigned i = 0; i < c; ++i, ++x) {
        unsigned v = rle8 ? s[p + i] : (i & 1) ? s[p + i / 2] & 15 : s[p + i / 2] >> 4;
        if (x < width) put(x, row, v);
      }
      p += bytes + (bytes & 1);  // runs are padded to 16 bits
      if (p > avail) p = avail;
    }
  }
  return kImgOk;
}

}  // namespace

bool BmpAccepts(BitmapType type) {
  return type == kBgr || type == kBgra || type == kGrey || type == kColors || type == kBinary;
}

int DecodeBmp(const uint8_t* d, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info) {
  if (size < 2 || d[0] != 'B' || d[1] != 'M') return kImgBadData;
  Header h;
  if (int e = ReadHeader(d, size, h)) return e;
  if (h.width <= 0 || h.height <= 0) return kImgBadData;
  bool alpha = h.bpp >= 16 && h.masks[3] != 0 && !(params.flags & kLoadSkipAlpha);
  info.width = int(std::min<int64_t>(h.width, INT_MAX));
  info.height = int(std::min<int64_t>(h.height, INT_MAX));
  info.components = h.bpp <= 8 ? 1 : h.masks[3] ? 4 : 3;
  info.bitsPerComponent = h.bpp <= 8 ? h.bpp : 8;
  info.numberOfImages = 1;
  if (int e = CheckReadSize(h.width, h.height)) return e;
  if (!ValidCombination(h)) return kImgUnsupported;
  if (!out) return kImgOk;
  if (params.imageWanted != 0) return kImgNoSuchPage;

  int width = int(h.width), height = int(h.height);
  uint32_t offBits = U32(d + 10);
  if (offBits < 14 + h.headerSize || offBits > size) return kImgBadData;
  const uint8_t* pixels = d + offBits;
  std::size_t avail = size - offBits;
  bool bgr = params.colorModel == kBgr;
  bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  int64_t stride = (h.width * h.bpp + 31) / 32 * 4;
  if (!rle && stride * h.height > int64_t(avail)) return kImgBadData;

  BitmapType type = h.bpp <= 8 ? kColors : alpha ? (bgr ? kBgra : kRgba) : (bgr ? kBgr : kRgb);
  Bitmap b;
  if (int e = NewDecodedBitmap(b, type, width, height, params, rle)) return e;
  auto outRow = [&](int64_t fileRow) {
    int64_t top = h.topDown ? fileRow : h.height - 1 - fileRow;
    return b.Row(int(params.origin == kOriginBottomLeft ? h.height - 1 - top : top));
  };

  if (h.bpp <= 8) {
    std::size_t entry = h.headerSize == 12 ? 3 : 4;
    std::size_t count = h.colorsUsed && h.colorsUsed < (1u << h.bpp) ? h.colorsUsed : (1u << h.bpp);
    std::size_t at = 14 + std::size_t(h.headerSize);
    if (h.headerSize < 52 && (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields)) at += 12;
    if (at > offBits || (offBits - at) / entry < count) count = at > offBits ? 0 : (offBits - at) / entry;
    if (count == 0) return kImgBadData;
    b.palette.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) std::memcpy(&b.palette[i * 3], d + at + i * entry, 3);
  }

  if (rle) {
    int e = DecodeRle(pixels, avail, h.compression == kBiRle8, h.width, h.height,
                      [&](int64_t x, int64_t row, unsigned v) { outRow(row)[x] = uint8_t(v); });
    if (e) return e;
    *out = std::move(b);
    return kImgOk;
  }

  uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
  if (h.compression == kBiRgb && h.bpp == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  Field red(masks[0]), green(masks[1]), blue(masks[2]), alphaField(masks[3]);
  for (int64_t row = 0; row < h.height; ++row) {
    const uint8_t* s = pixels + row * stride;
    uint8_t* o = outRow(row);
    switch (h.bpp) {
      case 1:
        for (int x = 0; x < width; ++x) o[x] = (s[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      case 4:
        for (int x = 0; x < width; ++x) o[x] = (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4;
        break;
      case 8:
        std::memcpy(o, s, width);
        break;
      case 24:
        for (int x = 0; x < width; ++x, s += 3, o += 3) {
          o[0] = bgr ? s[0] : s[2];
          o[1] = s[1];
          o[2] = bgr ? s[2] : s[0];
        }
        break;
      default: {  // 16 and 32 bits
        int step = h.bpp / 8, outStep = alpha ? 4 : 3;
        for (int x = 0; x < width; ++x, s += step, o += outStep) {
          uint8_t r, g, bl;
          if (h.compression == kBiRgb && h.bpp == 32) {
            bl = s[0], g = s[1], r = s[2];
          } else {
            uint32_t px = step == 2 ? U16(s) : U32(s);
            r = red.Get(px), g = green.Get(px), bl = blue.Get(px);
          }
          o[0] = bgr ? bl : r;
          o[1] = g;
          o[2] = bgr ? r : bl;
          if (alpha) o[3] = alphaField.Get(step == 2 ? U16(s) : U32(s));
        }
      }
    }
  }
  *out = std::move(b);
  return kImgOk;
}

int EncodeBmp(const Bitmap& b, const SaveParams&, std::vector<uint8_t>& out) {
  int bpp = b.type == kBgr ? 24 : b.type == kBgra ? 32 : 8;
  std::size_t colors = 0;
  if (bpp == 8) {
    colors = b.type == kGrey ? 256 : std::min<std::size_t>(b.palette.size() / 3, 256);
    if (colors == 0) return kImgBadParameters;
  }
  int64_t stride = (int64_t(b.width) * bpp + 31) / 32 * 4;
  int64_t offBits = 14 + 40 + int64_t(colors) * 4;
  int64_t total = offBits + stride * b.height;
  if (total > int64_t(UINT32_MAX)) return kImgSizeLimit;
  out.clear();
  out.reserve(std::size_t(total));
  out.push_back('B');
  out.push_back('M');
  Put32(out, uint32_t(total));
  Put32(out, 0);
  Put32(out, uint32_t(offBits));
  Put32(out, 40);
  Put32(out, uint32_t(b.width));
  Put32(out, uint32_t(b.height));  // positive: bottom row first
  Put16(out, 1);
  Put16(out, uint16_t(bpp));
  Put32(out, kBiRgb);
  Put32(out, uint32_t(stride * b.height));
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, uint32_t(colors));
  Put32(out, 0);
  for (std::size_t i = 0; i < colors; ++i) {
    if (b.type == kGrey) {
      out.insert(out.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
    } else {
      out.insert(out.end(), {b.palette[i * 3], b.palette[i * 3 + 1], b.palette[i * 3 + 2], 0});
    }
  }
  std::size_t used = std::size_t(b.width) * (bpp / 8);
  for (int i = 0; i < b.height; ++i) {
    const uint8_t* row = b.TopRow(b.height - 1 - i);
    out.insert(out.end(), row, row + used);
    out.insert(out.end(), std::size_t(stride) - used, 0);
  }
  return kImgOk;
}

}  // namespace tk::img::detail
