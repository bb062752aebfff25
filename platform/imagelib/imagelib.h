// The image layer: decoding, converting and encoding bitmaps in JPEG, PNG,
// BMP, TIFF and WebP. Plain C++ over TurboJPEG, libpng, libtiff and libwebp.
//
// Operations return 0 or an error code; ImageErrorText names the code. Every
// function is safe to call from several threads at once. Readers refuse
// images above kMaxImageSide pixels a side or kMaxImagePixels in all, and
// never read outside the bytes they were given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tk::img {

// Error codes.
enum : int {
  kImgOk = 0,
  kImgFileOpen = 1,
  kImgNoMemory = 2,
  kImgUnknownFormat = 3,
  kImgFileRead = 4,
  kImgFileWrite = 5,
  kImgBadData = 6,         // corrupt or truncated
  kImgTooLarge = 7,        // beyond the reader's limits
  kImgBadParameters = 8,
  kImgNotWritable = 9,
  kImgLayout = 10,         // the format cannot hold the bitmap's layout
  kImgNoSuchPage = 11,
  kImgUnsupported = 12,    // a variant of the format that is not decoded
  kImgSizeLimit = 13,      // a bitmap too large to allocate or to encode
};
const char* ImageErrorText(int code);

inline constexpr int kMaxImageSide = 30000;                 // pixels
inline constexpr int64_t kMaxImagePixels = 64ll << 20;      // 64 megapixels
inline constexpr int kMaxBitmapSide = 65535;                // allocation, pixels
inline constexpr int64_t kMaxBitmapBytes = 1ll << 30;       // allocation
inline constexpr int64_t kMaxFileBytes = 256ll << 20;       // files read whole

// Pixel layouts (the numbers are those that logs and callers print).
enum BitmapType : uint16_t {
  kBinary = 1,   // one byte per pixel, index into a two-entry palette
  kGrey = 2,     // one byte per pixel
  kColors = 4,   // one byte per pixel, index into the palette
  kRgb = 16,
  kRgba = 32,
  kBgr = 64,     // what plates and drawing use
  kAbgr = 128,
  kBgra = 256,
  kArgb = 512,
  kCmyk = 1024,  // 0 means no ink
};
int BytesPerPixel(BitmapType type);  // 0 for an unknown type

// Row order in memory.
enum Origin : uint8_t { kOriginTopLeft = 0, kOriginBottomLeft = 16 };

// Owns its pixels; move-only. Rows are bytesPerLine apart, each padded with
// zero bytes to a multiple of linePadding. Row(0) is the top row for
// kOriginTopLeft and the bottom row for kOriginBottomLeft.
struct Bitmap {
  BitmapType type = kBgr;
  Origin origin = kOriginTopLeft;
  int width = 0;
  int height = 0;
  int linePadding = 1;
  int bytesPerLine = 0;
  std::vector<uint8_t> palette;  // 3 bytes per entry: blue, green, red
  std::unique_ptr<uint8_t[]> data;
  std::size_t dataSize = 0;      // bytesPerLine * height

  bool empty() const { return !data; }
  uint8_t* Row(int y) { return data.get() + std::size_t(y) * bytesPerLine; }
  const uint8_t* Row(int y) const { return data.get() + std::size_t(y) * bytesPerLine; }
  // Row y counted from the top, whatever the origin.
  const uint8_t* TopRow(int y) const { return Row(origin == kOriginBottomLeft ? height - 1 - y : y); }
};

// Allocates a zero-filled bitmap; linePadding 1, 2, 4, 8 or 16; palette types
// get a grey ramp (binary: black and white).
int AllocBitmap(Bitmap& out, BitmapType type, int width, int height, int linePadding,
                Origin origin = kOriginTopLeft);
int CloneBitmap(const Bitmap& source, Bitmap& out);
void FreeBitmap(Bitmap& bitmap);

// Load flags.
inline constexpr uint32_t kLoadSkipAlpha = 1;  // images with alpha come as plain colour

struct LoadParams {
  uint32_t flags = 0;
  int formatIndex = -1;            // -1: detect by content
  int imageWanted = 0;             // page of a multi-page file
  Origin origin = kOriginTopLeft;
  BitmapType colorModel = kBgr;    // colour order of true-colour results: kBgr or kRgb
  int linePadding = 1;
  // A JPEG whose size is 2, 4 or 8 times this size is decoded straight to it;
  // 0: no scaling. The file information keeps the stored size.
  int scaleWidth = 0;
  int scaleHeight = 0;
};
LoadParams DefaultLoadParams();

struct FileInfo {
  int formatIndex = -1;
  int width = 0;             // as stored in the file
  int height = 0;
  int components = 0;        // channels in the file
  int bitsPerComponent = 0;
  int numberOfImages = 0;    // pages
  uint64_t fileSize = 0;
};

// Decode a file or a memory block. Grey and paletted images keep their
// layout (kGrey, kColors); true colour comes in colorModel order, with alpha
// as kBgra/kRgba unless kLoadSkipAlpha. The block is read in place.
int LoadBitmap(const char* path, Bitmap& out, const LoadParams& params, FileInfo* info);
int LoadBitmapFromMemory(const void* data, std::size_t size, Bitmap& out, const LoadParams& params,
                         FileInfo* info);
// Only the header: sizes, layout and pages.
int GetFileInformation(const void* data, std::size_t size, int formatIndex, FileInfo& info);

// Resize in place. Method 0: nearest pixel; 1: bilinear. Palette layouts
// always take the nearest pixel.
inline constexpr int kResizeQuick = 0;
inline constexpr int kResizeBilinear = 1;
int Resize(Bitmap& bitmap, int width, int height, int method);

// Colour conversion in place; kToBgr turns any layout into 24-bit kBgr
// (alpha dropped).
inline constexpr int kToBgr = 21;
int ChangeColorDepth(Bitmap& bitmap, int mode);

// The format table, in fixed order.
enum : int { kFormatJpeg = 0, kFormatPng, kFormatBmp, kFormatTiff, kFormatWebp };
struct FormatInfo {
  const char* name;         // short name
  const char* suffix;       // default file suffix, without the dot
  const char* description;
  bool readable;
  bool writable;
};
int FormatCount();
const FormatInfo* Format(int index);  // null out of range
// Index of the format whose name or default suffix is text (any case), or -1.
int FormatIndexByName(std::string_view text);
// Index of the format the bytes are in, or -1.
int DetectFormat(const void* data, std::size_t size);

// Save flags.
inline constexpr uint32_t kSaveAnyway = 1;  // convert a layout the format cannot hold

enum Compression : int { kCompressionNone = 0, kCompressionRle = 1, kCompressionLzw = 2 };

struct SaveParams {
  uint32_t flags = 0;
  int formatIndex = -1;
  int quality = 75;              // JPEG, WebP: 1 ... 100
  int compressionLevel = 6;      // PNG: 0 ... 9
  bool interlaced = false;       // PNG
  bool progressive = false;      // JPEG
  Compression compression = kCompressionNone;  // TIFF; RLE is PackBits
};
SaveParams DefaultSaveParams();

// Writes the whole file or nothing (the old file stays on failure).
int SaveBitmap(const char* path, const Bitmap& bitmap, const SaveParams& params);
int SaveBitmapIntoMemory(std::vector<uint8_t>& out, const Bitmap& bitmap, const SaveParams& params);

// The layer's start and end, once per process; the codecs themselves work
// without it, but callers check ImageLibraryLoaded before they rely on it.
bool LoadImageLibrary();
bool ImageLibraryLoaded();
bool UnloadImageLibrary();
// Names and versions of the libraries underneath, for messages.
const char* ImageLibraryName();

}  // namespace tk::img
