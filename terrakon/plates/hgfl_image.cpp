#include "terrakon/plates/hgfl_image.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

#include "common/error.h"

namespace tk {
namespace {

bool Fail(const char* text) {
  SetErrorText("%s", text);
  return false;
}

bool FailImage(int code) { return Fail(img::ImageErrorText(code)); }

bool ReadFileBytes(const std::string& name, std::vector<uint8_t>& bytes) {
  errno = 0;
  std::ifstream in(name, std::ios::binary | std::ios::ate);
  if (!in) {
    SetLastError(errno ? errno : kErrorFileNotFound);
    return false;
  }
  std::streamoff size = in.tellg();
  if (size < 0) return FailImage(img::kImgFileRead);
  if (size > img::kMaxFileBytes) return FailImage(img::kImgTooLarge);
  bytes.resize(std::size_t(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return FailImage(img::kImgFileRead);
  return true;
}

void PutInt32(std::ostream& out, int32_t v) {
  uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(uint32_t(v) >> 24)};
  out.write(reinterpret_cast<const char*>(b), 4);
}

bool GetInt32(std::istream& in, int32_t& v) {
  uint8_t b[4];
  if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
  v = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  return true;
}

// The extension of the file name itself, not of a folder on its path.
std::string Extension(const std::string& name) {
  std::size_t slash = name.find_last_of('/');
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return name.substr(dot + 1);
}

}  // namespace

void HGFLImage::Empty() {
  img::FreeBitmap(bitmap_);
  bytes_.clear();
  format_ = -1;
  page_ = 0;
  pages_ = 0;
}

void HGFLImage::Changed() const {
  if (OnChange) OnChange();
}

bool HGFLImage::Decode(std::vector<uint8_t> bytes, int format, int page) {
  img::LoadParams p = img::DefaultLoadParams();
  p.flags |= img::kLoadSkipAlpha;
  p.formatIndex = format;
  p.imageWanted = page;
  p.origin = img::kOriginBottomLeft;
  p.linePadding = 4;
  img::Bitmap bitmap;
  img::FileInfo info;
  if (int e = img::LoadBitmapFromMemory(bytes.data(), bytes.size(), bitmap, p, &info)) return FailImage(e);
  if (bitmap.type != img::kBgr) {
    if (int e = img::ChangeColorDepth(bitmap, img::kToBgr)) return FailImage(e);
  }
  bitmap_ = std::move(bitmap);
  bytes_ = std::move(bytes);
  format_ = info.formatIndex;
  page_ = page;
  pages_ = info.numberOfImages;
  return true;
}

bool HGFLImage::LoadFile(const std::string& name) {
  Empty();
  if (!img::ImageLibraryLoaded()) return Fail("GFL library is not loaded");
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(name, bytes)) return false;
  if (!Decode(std::move(bytes), -1, 0)) return false;
  Changed();
  return true;
}

bool HGFLImage::SaveToFile(const std::string& name) const {
  if (!IsLoaded()) return Fail("Picture is not loaded");
  std::string ext = Extension(name);
  int format = ext.empty() ? format_ : img::FormatIndexByName(ext);
  const img::FormatInfo* info = img::Format(format);
  if (!info) return Fail("Undefined output format");
  if (!info->writable) return Fail("Selected format is read only");
  img::SaveParams p = img::DefaultSaveParams();
  p.flags |= img::kSaveAnyway;
  p.formatIndex = format;
  p.quality = properties.JPGQuality;
  p.compressionLevel = properties.PNGCompression;
  p.interlaced = properties.Interlaced;
  p.progressive = properties.Progressive;
  if (int e = img::SaveBitmap(name.c_str(), bitmap_, p)) return FailImage(e);
  return true;
}

bool HGFLImage::LoadFromStream(std::istream& in) {
  int32_t format = 0, count = 0;
  if (!GetInt32(in, format)) return Fail("Picture stream is truncated");
  if (format == -1) {
    Empty();
    Changed();
    return true;
  }
  if (format < -1 || format >= img::FormatCount()) return Fail("Unknown image format");
  if (!GetInt32(in, count)) return Fail("Picture stream is truncated");
  if (count == 0) {
    Empty();
    Changed();
    return true;
  }
  if (count < 0 || count > img::kMaxFileBytes) return Fail("Picture stream is corrupt");
  std::vector<uint8_t> bytes;
  // Grown as bytes arrive, so a corrupt count cannot make us allocate it.
  constexpr std::size_t kStep = 1 << 20;
  while (bytes.size() < std::size_t(count)) {
    std::size_t done = bytes.size(), step = std::min<std::size_t>(kStep, std::size_t(count) - done);
    bytes.resize(done + step);
    if (!in.read(reinterpret_cast<char*>(bytes.data() + done), std::streamsize(step)))
      return Fail("Picture stream is truncated");
  }
  int page = page_;
  Empty();
  if (!Decode(std::move(bytes), format, page)) return false;
  Changed();
  return true;
}

bool HGFLImage::SaveToStream(std::ostream& out) const {
  if (!IsLoaded()) {
    PutInt32(out, -1);
  } else {
    PutInt32(out, format_);
    PutInt32(out, int32_t(bytes_.size()));
    out.write(reinterpret_cast<const char*>(bytes_.data()), std::streamsize(bytes_.size()));
  }
  if (!out) return Fail("Cannot write the picture stream");
  return true;
}

bool HGFLImage::Assign(const HGFLImage& other) {
  if (&other == this) return true;
  img::Bitmap copy;
  if (!other.bitmap_.empty()) {
    if (int e = img::CloneBitmap(other.bitmap_, copy)) return FailImage(e);
  }
  bitmap_ = std::move(copy);
  bytes_ = other.bytes_;
  format_ = other.format_;
  page_ = other.page_;
  pages_ = other.pages_;
  properties = other.properties;
  Changed();
  return true;
}

bool HGFLImage::SetPage(int page) {
  if (!IsLoaded()) return true;
  if (page >= pages_) page = pages_ - 1;
  if (page < 0) page = 0;
  if (page == page_) return true;
  if (!Decode(bytes_, format_, page)) return false;
  Changed();
  return true;
}

}  // namespace tk
