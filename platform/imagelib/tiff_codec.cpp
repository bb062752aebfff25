// TIFF through libtiff over memory: reading goes through a read-only cursor
// on the caller's block, writing into a growing byte vector. Pages are the
// file's directories.
#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "platform/imagelib/codec.h"

namespace tk::img::detail {
namespace {

// libtiff's own buffers for one strip or tile; the decoded image is bounded
// by the pixel limits separately.
constexpr tmsize_t kTiffAllocLimit = 256 << 20;

struct Memory {
  const uint8_t* data = nullptr;  // reading
  std::vector<uint8_t>* out = nullptr;  // writing
  uint64_t size = 0;
  uint64_t pos = 0;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
  auto* m = static_cast<Memory*>(h);
  if (n <= 0 || m->pos >= m->size) return 0;
  uint64_t count = std::min<uint64_t>(uint64_t(n), m->size - m->pos);
  const uint8_t* src = m->data ? m->data : m->out->data();
  std::memcpy(buf, src + m->pos, count);
  m->pos += count;
  return tmsize_t(count);
}

tmsize_t MemWrite(thandle_t h, void* buf, tmsize_t n) {
  auto* m = static_cast<Memory*>(h);
  if (!m->out || n < 0) return -1;
  try {
    if (m->pos + uint64_t(n) > m->out->size()) m->out->resize(m->pos + uint64_t(n));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  std::memcpy(m->out->data() + m->pos, buf, std::size_t(n));
  m->pos += uint64_t(n);
  m->size = m->out->size();
  return n;
}

// Never beyond the end when reading; a writer may seek past its end.
toff_t MemSeek(thandle_t h, toff_t offset, int whence) {
  auto* m = static_cast<Memory*>(h);
  uint64_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->size : 0;
  if (offset > UINT64_MAX - base) return toff_t(-1);
  uint64_t target = base + offset;
  if (m->data && target > m->size) return toff_t(-1);
  if (m->out && target > m->out->size()) {
    try {
      m->out->resize(target);
    } catch (const std::bad_alloc&) {
      return toff_t(-1);
    }
    m->size = target;
  }
  m->pos = target;
  return m->pos;
}

int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<Memory*>(h)->size; }
int MemMap(thandle_t, void**, toff_t*) { return 0; }
void MemUnmap(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr Open(Memory& m, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kTiffAllocLimit);
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  TIFF* t = TIFFClientOpenExt("memory", mode, &m, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap,
                              MemUnmap, options);
  TIFFOpenOptionsFree(options);
  return TiffPtr(t);
}

}  // namespace

bool TiffAccepts(BitmapType type) {
  return type == kBgr || type == kRgb || type == kGrey || type == kBgra || type == kRgba || type == kColors;
}

int DecodeTiff(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info) {
  Memory m;
  m.data = data;
  m.size = size;
  TiffPtr tif = Open(m, "rm");
  if (!tif) return kImgBadData;
  tdir_t pages = TIFFNumberOfDirectories(tif.get());
  info.numberOfImages = int(pages);
  if (params.imageWanted >= int(pages)) return pages ? kImgNoSuchPage : kImgBadData;
  if (params.imageWanted > 0 && !TIFFSetDirectory(tif.get(), tdir_t(params.imageWanted))) return kImgBadData;
  uint32_t width = 0, height = 0;
  uint16_t samples = 1, bits = 1, photometric = PHOTOMETRIC_MINISBLACK, extraCount = 0;
  uint16_t* extra = nullptr;
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
    return kImgBadData;
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  info.width = int(std::min<uint32_t>(width, INT_MAX));
  info.height = int(std::min<uint32_t>(height, INT_MAX));
  info.components = samples;
  info.bitsPerComponent = bits;
  if (int e = CheckReadSize(width, height)) return e;
  if (!out) return kImgOk;

  char message[1024];
  if (!TIFFRGBAImageOK(tif.get(), message)) return kImgUnsupported;
  bool grey = samples == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
  bool alpha = extraCount > 0 && !(params.flags & kLoadSkipAlpha) && !grey;
  bool unassociated = extraCount > 0 && extra && extra[0] == EXTRASAMPLE_UNASSALPHA;
  bool bgr = params.colorModel == kBgr;
  BitmapType type = grey ? kGrey : alpha ? (bgr ? kBgra : kRgba) : (bgr ? kBgr : kRgb);
  std::unique_ptr<uint32_t[]> raster;
  try {
    raster = std::make_unique_for_overwrite<uint32_t[]>(std::size_t(width) * height);
  } catch (const std::bad_alloc&) {
    return kImgNoMemory;
  }
  if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster.get(), ORIENTATION_TOPLEFT, 1))
    return kImgBadData;
  Bitmap b;
  if (int e = NewDecodedBitmap(b, type, int(width), int(height), params, false)) return e;
  int bpp = BytesPerPixel(type);
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t* s = raster.get() + std::size_t(y) * width;
    uint8_t* o = b.Row(params.origin == kOriginBottomLeft ? int(height - 1 - y) : int(y));
    for (uint32_t x = 0; x < width; ++x, o += bpp) {
      uint32_t p = s[x];
      uint32_t r = TIFFGetR(p), g = TIFFGetG(p), bl = TIFFGetB(p), a = TIFFGetA(p);
      if (unassociated && a != 255) {
        // The RGBA reader premultiplied the colours by alpha; undo that.
        r = a ? std::min<uint32_t>(255, (r * 255 + a / 2) / a) : 0;
        g = a ? std::min<uint32_t>(255, (g * 255 + a / 2) / a) : 0;
        bl = a ? std::min<uint32_t>(255, (bl * 255 + a / 2) / a) : 0;
      }
      if (grey) {
        o[0] = uint8_t(r);
        continue;
      }
      o[0] = uint8_t(bgr ? bl : r);
      o[1] = uint8_t(g);
      o[2] = uint8_t(bgr ? r : bl);
      if (alpha) o[3] = uint8_t(a);
    }
  }
  *out = std::move(b);
  return kImgOk;
}

int EncodeTiff(const Bitmap& b, const SaveParams& params, std::vector<uint8_t>& out) {
  std::vector<uint8_t> bytes;
  Memory m;
  m.out = &bytes;
  TiffPtr tif = Open(m, "w");
  if (!tif) return kImgNoMemory;
  int samples = BytesPerPixel(b.type);
  bool swap = b.type == kBgr || b.type == kBgra;
  uint16_t compression = params.compression == kCompressionRle   ? COMPRESSION_PACKBITS
                         : params.compression == kCompressionLzw ? COMPRESSION_LZW
                                                                 : COMPRESSION_NONE;
  TIFF* t = tif.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(b.width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(b.height));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
  std::vector<uint16_t> map;
  if (b.type == kGrey) {
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  } else if (b.type == kColors) {
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    map.assign(3 * 256, 0);
    for (std::size_t i = 0; i < 256 && i * 3 + 2 < b.palette.size(); ++i) {
      map[i] = uint16_t(b.palette[i * 3 + 2] * 257);
      map[256 + i] = uint16_t(b.palette[i * 3 + 1] * 257);
      map[512 + i] = uint16_t(b.palette[i * 3] * 257);
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
  } else {
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    if (samples == 4) {
      uint16_t kind = EXTRASAMPLE_UNASSALPHA;
      TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
  }
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
  std::vector<uint8_t> row(std::size_t(b.width) * samples);
  for (int y = 0; y < b.height; ++y) {
    std::memcpy(row.data(), b.TopRow(y), row.size());
    if (swap) {
      for (std::size_t x = 0; x < row.size(); x += samples) std::swap(row[x], row[x + 2]);
    }
    if (TIFFWriteScanline(t, row.data(), uint32_t(y), 0) < 0) return kImgFileWrite;
  }
  if (!TIFFWriteDirectory(t)) return kImgFileWrite;
  tif.reset();
  out = std::move(bytes);
  return kImgOk;
}

}  // namespace tk::img::detail
