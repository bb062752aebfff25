// Internals shared by the format codecs of the image layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/imagelib/imagelib.h"

namespace tk::img::detail {

// Rows of width pixels of bpp bytes, padded to a multiple of padding.
int64_t PaddedLine(int64_t width, int bpp, int padding);

// kImgTooLarge when a decoded image of that size is beyond the reader limits.
int CheckReadSize(int64_t width, int64_t height);

// Allocates the pixels of a decoded image: type, sizes, padding and origin
// from the load parameters; rows not zeroed except their padding, unless
// zeroFill.
int NewDecodedBitmap(Bitmap& out, BitmapType type, int width, int height, const LoadParams& params,
                     bool zeroFill);

// Decoders: out null reads the header only (info filled either way).
using Decoder = int (*)(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out,
                        FileInfo& info);
int DecodeJpeg(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info);
int DecodePng(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info);
int DecodeBmp(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info);
int DecodeTiff(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info);
int DecodeWebp(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info);

// Encoders get a bitmap in a layout that Accepts() said yes to.
using Encoder = int (*)(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out);
int EncodeJpeg(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out);
int EncodePng(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out);
int EncodeBmp(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out);
int EncodeTiff(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out);
int EncodeWebp(const Bitmap& bitmap, const SaveParams& params, std::vector<uint8_t>& out);

bool JpegAccepts(BitmapType type);
bool PngAccepts(BitmapType type);
bool BmpAccepts(BitmapType type);
bool TiffAccepts(BitmapType type);
bool WebpAccepts(BitmapType type);

// Palette entry i as blue, green, red; black beyond the palette.
inline void PaletteBgr(const Bitmap& bitmap, unsigned index, uint8_t* bgr) {
  if (std::size_t(index) * 3 + 2 < bitmap.palette.size()) {
    bgr[0] = bitmap.palette[index * 3];
    bgr[1] = bitmap.palette[index * 3 + 1];
    bgr[2] = bitmap.palette[index * 3 + 2];
  } else {
    bgr[0] = bgr[1] = bgr[2] = 0;
  }
}

}  // namespace tk::img::detail
