// The layer's front: error texts, the format table, detection, loading from
// files and memory, saving, and the start and end of the layer.
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <turbojpeg.h>
#include <unistd.h>
#include <webp/decode.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/imagelib/codec.h"

namespace tk::img {
namespace {

struct Codec {
  FormatInfo info;
  detail::Decoder decode;
  detail::Encoder encode;
  bool (*accepts)(BitmapType);
};

const Codec kCodecs[] = {
    {{"jpeg", "jpg", "JPEG / JFIF", true, true}, detail::DecodeJpeg, detail::EncodeJpeg, detail::JpegAccepts},
    {{"png", "png", "Portable Network Graphics", true, true}, detail::DecodePng, detail::EncodePng,
     detail::PngAccepts},
    {{"bmp", "bmp", "Windows Bitmap", true, true}, detail::DecodeBmp, detail::EncodeBmp, detail::BmpAccepts},
    {{"tiff", "tif", "Tagged Image File Format", true, true}, detail::DecodeTiff, detail::EncodeTiff,
     detail::TiffAccepts},
    {{"webp", "webp", "WebP", true, true}, detail::DecodeWebp, detail::EncodeWebp, detail::WebpAccepts},
};
constexpr int kCodecCount = int(sizeof kCodecs / sizeof kCodecs[0]);

std::atomic<bool> g_loaded{false};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

int CheckLoadParams(const LoadParams& p) {
  bool padding = p.linePadding == 1 || p.linePadding == 2 || p.linePadding == 4 || p.linePadding == 8 ||
                 p.linePadding == 16;
  if (!padding || (p.colorModel != kBgr && p.colorModel != kRgb) ||
      (p.origin != kOriginTopLeft && p.origin != kOriginBottomLeft) || p.imageWanted < 0 ||
      p.formatIndex < -1 || p.formatIndex >= kCodecCount || p.scaleWidth < 0 || p.scaleHeight < 0)
    return kImgBadParameters;
  return kImgOk;
}

// Reads a whole file into memory, refusing files above kMaxFileBytes.
int ReadWholeFile(const char* path, std::unique_ptr<uint8_t[]>& bytes, std::size_t& size) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kImgFileOpen;
  struct stat st;
  int result = kImgOk;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    result = kImgFileRead;
  } else if (st.st_size > kMaxFileBytes) {
    result = kImgTooLarge;
  } else {
    size = std::size_t(st.st_size);
    try {
      bytes = std::make_unique_for_overwrite<uint8_t[]>(size ? size : 1);
    } catch (const std::bad_alloc&) {
      result = kImgNoMemory;
    }
    std::size_t done = 0;
    while (result == kImgOk && done < size) {
      ssize_t n = read(fd, bytes.get() + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        result = kImgFileRead;  // shrank under us, or an I/O error
        break;
      }
      done += std::size_t(n);
    }
  }
  close(fd);
  return result;
}

int WriteAll(int fd, const uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return kImgFileWrite;
    data += n;
    size -= std::size_t(n);
  }
  return kImgOk;
}

}  // namespace

const char* ImageErrorText(int code) {
  switch (code) {
    case kImgOk: return "No error";
    case kImgFileOpen: return "Cannot open file";
    case kImgNoMemory: return "Not enough memory";
    case kImgUnknownFormat: return "Unknown image format";
    case kImgFileRead: return "Error reading file";
    case kImgFileWrite: return "Error writing file";
    case kImgBadData: return "Image data is corrupt or truncated";
    case kImgTooLarge: return "Image is too large (limits: 30000 pixels a side, 64 megapixels)";
    case kImgBadParameters: return "Bad parameters";
    case kImgNotWritable: return "Format cannot be written";
    case kImgLayout: return "Format cannot hold this pixel layout";
    case kImgNoSuchPage: return "No such page in the file";
    case kImgUnsupported: return "Unsupported variant of the image format";
    case kImgSizeLimit: return "Bitmap size is beyond what this operation supports";
  }
  return "Unknown error";
}

int FormatCount() { return kCodecCount; }

const FormatInfo* Format(int index) {
  return index >= 0 && index < kCodecCount ? &kCodecs[index].info : nullptr;
}

int FormatIndexByName(std::string_view text) {
  for (int i = 0; i < kCodecCount; ++i) {
    if (EqualNoCase(text, kCodecs[i].info.name) || EqualNoCase(text, kCodecs[i].info.suffix)) return i;
  }
  return -1;
}

int DetectFormat(const void* data, std::size_t size) {
  const auto* b = static_cast<const uint8_t*>(data);
  if (!b) return -1;
  if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return kFormatJpeg;
  if (size >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0) return kFormatPng;
  if (size >= 2 && b[0] == 'B' && b[1] == 'M') return kFormatBmp;
  if (size >= 4 && (std::memcmp(b, "II*\0", 4) == 0 || std::memcmp(b, "MM\0*", 4) == 0 ||
                    std::memcmp(b, "II+\0", 4) == 0 || std::memcmp(b, "MM\0+", 4) == 0))
    return kFormatTiff;
  if (size >= 12 && std::memcmp(b, "RIFF", 4) == 0 && std::memcmp(b + 8, "WEBP", 4) == 0) return kFormatWebp;
  return -1;
}

LoadParams DefaultLoadParams() { return LoadParams(); }
SaveParams DefaultSaveParams() { return SaveParams(); }

int LoadBitmapFromMemory(const void* data, std::size_t size, Bitmap& out, const LoadParams& params,
                         FileInfo* info) {
  if (int e = CheckLoadParams(params)) return e;
  if (!data && size) return kImgBadParameters;
  int format = params.formatIndex >= 0 ? params.formatIndex : DetectFormat(data, size);
  if (format < 0) return kImgUnknownFormat;
  FileInfo fileInfo;
  fileInfo.formatIndex = format;
  fileInfo.fileSize = size;
  fileInfo.numberOfImages = 1;
  Bitmap bitmap;
  int e = kCodecs[format].decode(static_cast<const uint8_t*>(data), size, params, &bitmap, fileInfo);
  if (e) return e;
  out = std::move(bitmap);
  if (info) *info = fileInfo;
  return kImgOk;
}

int LoadBitmap(const char* path, Bitmap& out, const LoadParams& params, FileInfo* info) {
  if (!path) return kImgBadParameters;
  if (int e = CheckLoadParams(params)) return e;
  std::unique_ptr<uint8_t[]> bytes;
  std::size_t size = 0;
  if (int e = ReadWholeFile(path, bytes, size)) return e;
  return LoadBitmapFromMemory(bytes.get(), size, out, params, info);
}

int GetFileInformation(const void* data, std::size_t size, int formatIndex, FileInfo& info) {
  if (formatIndex < -1 || formatIndex >= kCodecCount || (!data && size)) return kImgBadParameters;
  int format = formatIndex >= 0 ? formatIndex : DetectFormat(data, size);
  if (format < 0) return kImgUnknownFormat;
  FileInfo fileInfo;
  fileInfo.formatIndex = format;
  fileInfo.fileSize = size;
  fileInfo.numberOfImages = 1;
  int e = kCodecs[format].decode(static_cast<const uint8_t*>(data), size, LoadParams(), nullptr, fileInfo);
  if (e) return e;
  info = fileInfo;
  return kImgOk;
}

int SaveBitmapIntoMemory(std::vector<uint8_t>& out, const Bitmap& bitmap, const SaveParams& params) {
  if (bitmap.empty() || BytesPerPixel(bitmap.type) == 0) return kImgBadParameters;
  if (params.formatIndex < 0 || params.formatIndex >= kCodecCount) return kImgBadParameters;
  const Codec& codec = kCodecs[params.formatIndex];
  if (!codec.info.writable) return kImgNotWritable;
  const Bitmap* source = &bitmap;
  Bitmap converted;
  if (!codec.accepts(bitmap.type)) {
    if (!(params.flags & kSaveAnyway)) return kImgLayout;
    if (int e = CloneBitmap(bitmap, converted)) return e;
    if (int e = ChangeColorDepth(converted, kToBgr)) return e;
    source = &converted;
  }
  std::vector<uint8_t> encoded;
  try {
    if (int e = codec.encode(*source, params, encoded)) return e;
  } catch (const std::bad_alloc&) {
    return kImgNoMemory;
  }
  out = std::move(encoded);
  return kImgOk;
}

int SaveBitmap(const char* path, const Bitmap& bitmap, const SaveParams& params) {
  if (!path || !*path) return kImgBadParameters;
  std::vector<uint8_t> encoded;
  if (int e = SaveBitmapIntoMemory(encoded, bitmap, params)) return e;
  // A temporary beside the target, renamed over it once complete, so that a
  // failure never leaves half a file.
  static std::atomic<unsigned> counter{0};
  std::string temp = std::string(path) + "." + std::to_string(getpid()) + "-" + std::to_string(++counter) + "~";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return kImgFileOpen;
  int e = WriteAll(fd, encoded.data(), encoded.size());
  if (close(fd) != 0 && !e) e = kImgFileWrite;
  if (!e && rename(temp.c_str(), path) != 0) e = kImgFileWrite;
  if (e) unlink(temp.c_str());
  return e;
}

bool LoadImageLibrary() {
  if (g_loaded) return true;
  // The shared libraries must match the headers we were built with.
  if (png_access_version_number() / 100 != PNG_LIBPNG_VER / 100) return false;
  if (WebPGetDecoderVersion() == 0) return false;
  tjhandle probe = tjInitDecompress();
  if (!probe) return false;
  tjDestroy(probe);
  g_loaded = true;
  return true;
}

bool ImageLibraryLoaded() { return g_loaded; }

bool UnloadImageLibrary() {
  g_loaded = false;
  return true;
}

const char* ImageLibraryName() {
  static const std::string name = [] {
    std::string tiff = TIFFGetVersion();
    std::size_t at = tiff.find("Version ");
    tiff = at == std::string::npos ? "" : tiff.substr(at + 8, tiff.find_first_of("\r\n", at) - at - 8);
    char text[200];
    int webp = WebPGetDecoderVersion();
    std::snprintf(text, sizeof text, "TurboJPEG, libpng %s, libtiff %s, libwebp %d.%d.%d",
                  png_get_libpng_ver(nullptr), tiff.c_str(), (webp >> 16) & 255, (webp >> 8) & 255,
                  webp & 255);
    return std::string(text);
  }();
  return name.c_str();
}

}  // namespace tk::img
