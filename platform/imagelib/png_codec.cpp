// PNG through libpng. libpng reports errors by longjmp, so each job keeps its
// C++ objects in a record owned by the caller and the frame that calls
// setjmp holds nothing that needs destroying.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/imagelib/codec.h"

namespace tk::img::detail {
namespace {

constexpr png_alloc_size_t kChunkLimit = 16u << 20;  // bytes of one ancillary chunk

[[noreturn]] void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarn(png_structp, png_const_charp) {}

struct ReadCursor {
  const uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

void PngRead(png_structp png, png_bytep target, png_size_t count) {
  auto* c = static_cast<ReadCursor*>(png_get_io_ptr(png));
  if (count > c->size - c->pos) png_error(png, "truncated");
  std::memcpy(target, c->data + c->pos, count);
  c->pos += count;
}

struct ReadJob {
  png_structp png = nullptr;
  png_infop pinfo = nullptr;
  ReadCursor cursor{};
  const LoadParams* params = nullptr;
  FileInfo* info = nullptr;
  bool wantPixels = false;
  Bitmap bitmap;
  std::vector<png_bytep> rows;
  ~ReadJob() { png_destroy_read_struct(&png, pinfo ? &pinfo : nullptr, nullptr); }
};

// Sets up the transformations that give our layouts; returns the layout.
BitmapType ChooseLayout(ReadJob& j, int colorType, int bitDepth) {
  png_structp png = j.png;
  bool skipAlpha = j.params->flags & kLoadSkipAlpha;
  bool bgr = j.params->colorModel == kBgr;
  bool trns = png_get_valid(png, j.pinfo, PNG_INFO_tRNS);
  if (bitDepth == 16) png_set_strip_16(png);
  BitmapType layout = kBgr;
  switch (colorType) {
    case PNG_COLOR_TYPE_PALETTE:
      if (trns && !skipAlpha) {
        png_set_palette_to_rgb(png);
        png_set_tRNS_to_alpha(png);
        layout = bgr ? kBgra : kRgba;
      } else {
        if (bitDepth < 8) png_set_packing(png);
        layout = kColors;
      }
      break;
    case PNG_COLOR_TYPE_GRAY:
      if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
      if (trns && !skipAlpha) {
        png_set_tRNS_to_alpha(png);
        png_set_gray_to_rgb(png);
        layout = bgr ? kBgra : kRgba;
      } else {
        layout = kGrey;
      }
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      if (skipAlpha) {
        png_set_strip_alpha(png);
        layout = kGrey;
      } else {
        png_set_gray_to_rgb(png);
        layout = bgr ? kBgra : kRgba;
      }
      break;
    case PNG_COLOR_TYPE_RGB:
      if (trns && !skipAlpha) {
        png_set_tRNS_to_alpha(png);
        layout = bgr ? kBgra : kRgba;
      } else {
        layout = bgr ? kBgr : kRgb;
      }
      break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      if (skipAlpha) {
        png_set_strip_alpha(png);
        layout = bgr ? kBgr : kRgb;
      } else {
        layout = bgr ? kBgra : kRgba;
      }
      break;
  }
  if (bgr && BytesPerPixel(layout) >= 3) png_set_bgr(png);
  return layout;
}

int ReadInner(ReadJob& j) {
  if (setjmp(png_jmpbuf(j.png))) return kImgBadData;
  png_set_read_fn(j.png, &j.cursor, PngRead);
  png_set_chunk_malloc_max(j.png, kChunkLimit);
  png_set_chunk_cache_max(j.png, 1000);
  png_read_info(j.png, j.pinfo);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(j.png, j.pinfo, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  j.info->width = int(width);
  j.info->height = int(height);
  j.info->components = png_get_channels(j.png, j.pinfo);
  j.info->bitsPerComponent = bitDepth;
  j.info->numberOfImages = 1;
  if (int e = CheckReadSize(width, height)) return e;
  if (!j.wantPixels) return kImgOk;
  if (j.params->imageWanted != 0) return kImgNoSuchPage;

  BitmapType layout = ChooseLayout(j, colorType, bitDepth);
  if (interlace != PNG_INTERLACE_NONE) png_set_interlace_handling(j.png);
  png_read_update_info(j.png, j.pinfo);
  if (png_get_rowbytes(j.png, j.pinfo) != std::size_t(width) * BytesPerPixel(layout)) return kImgUnsupported;

  if (int e = NewDecodedBitmap(j.bitmap, layout, int(width), int(height), *j.params, false)) return e;
  if (layout == kColors) {
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(j.png, j.pinfo, &palette, &count) != PNG_INFO_PLTE || count <= 0) return kImgBadData;
    j.bitmap.palette.resize(std::size_t(count) * 3);
    for (int i = 0; i < count; ++i) {
      j.bitmap.palette[i * 3] = palette[i].blue;
      j.bitmap.palette[i * 3 + 1] = palette[i].green;
      j.bitmap.palette[i * 3 + 2] = palette[i].red;
    }
  }
  j.rows.resize(height);
  bool bottomUp = j.params->origin == kOriginBottomLeft;
  for (png_uint_32 y = 0; y < height; ++y) j.rows[y] = j.bitmap.Row(bottomUp ? int(height - 1 - y) : int(y));
  png_read_image(j.png, j.rows.data());
  return kImgOk;
}

struct WriteJob {
  png_structp png = nullptr;
  png_infop pinfo = nullptr;
  const Bitmap* bitmap = nullptr;
  const SaveParams* params = nullptr;
  std::vector<uint8_t>* out = nullptr;
  std::vector<png_bytep> rows;
  std::vector<png_color> palette;
  ~WriteJob() { png_destroy_write_struct(&png, pinfo ? &pinfo : nullptr); }
};

void PngWrite(png_structp png, png_bytep data, png_size_t count) {
  auto* j = static_cast<WriteJob*>(png_get_io_ptr(png));
  try {
    j->out->insert(j->out->end(), data, data + count);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void PngFlush(png_structp) {}

int WriteInner(WriteJob& j) {
  if (setjmp(png_jmpbuf(j.png))) return kImgFileWrite;
  const Bitmap& b = *j.bitmap;
  png_set_write_fn(j.png, &j, PngWrite, PngFlush);
  int colorType = PNG_COLOR_TYPE_RGB;
  switch (b.type) {
    case kGrey: colorType = PNG_COLOR_TYPE_GRAY; break;
    case kColors:
    case kBinary: colorType = PNG_COLOR_TYPE_PALETTE; break;
    case kBgra:
    case kRgba: colorType = PNG_COLOR_TYPE_RGB_ALPHA; break;
    default: break;
  }
  int level = j.params->compressionLevel < 0 ? 0 : j.params->compressionLevel > 9 ? 9 : j.params->compressionLevel;
  png_set_compression_level(j.png, level);
  png_set_IHDR(j.png, j.pinfo, png_uint_32(b.width), png_uint_32(b.height), 8, colorType,
               j.params->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(j.png, j.pinfo, j.palette.data(), int(j.palette.size()));
  }
  png_write_info(j.png, j.pinfo);
  if (b.type == kBgr || b.type == kBgra) png_set_bgr(j.png);
  png_write_image(j.png, j.rows.data());
  png_write_end(j.png, j.pinfo);
  return kImgOk;
}

}  // namespace

bool PngAccepts(BitmapType type) {
  return type == kBgr || type == kRgb || type == kGrey || type == kBgra || type == kRgba || type == kColors ||
         type == kBinary;
}

int DecodePng(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info) {
  ReadJob j;
  j.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
  if (!j.png) return kImgNoMemory;
  j.pinfo = png_create_info_struct(j.png);
  if (!j.pinfo) return kImgNoMemory;
  j.cursor = {data, size, 0};
  j.params = &params;
  j.info = &info;
  j.wantPixels = out != nullptr;
  int e;
  try {
    e = ReadInner(j);
  } catch (const std::bad_alloc&) {
    e = kImgNoMemory;
  }
  if (e == kImgOk && out) *out = std::move(j.bitmap);
  return e;
}

int EncodePng(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out) {
  WriteJob j;
  j.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
  if (!j.png) return kImgNoMemory;
  j.pinfo = png_create_info_struct(j.png);
  if (!j.pinfo) return kImgNoMemory;
  j.bitmap = &bitmap;
  j.params = &params;
  j.out = &out;
  j.rows.resize(bitmap.height);
  for (int y = 0; y < bitmap.height; ++y) j.rows[y] = const_cast<png_bytep>(bitmap.TopRow(y));
  if (bitmap.type == kColors || bitmap.type == kBinary) {
    std::size_t count = std::min<std::size_t>(bitmap.palette.size() / 3, 256);
    if (count == 0) return kImgBadParameters;
    j.palette.resize(count);
    for (std::size_t i = 0; i < count; ++i)
      j.palette[i] = {bitmap.palette[i * 3 + 2], bitmap.palette[i * 3 + 1], bitmap.palette[i * 3]};
  }
  return WriteInner(j);
}

}  // namespace tk::img::detail
