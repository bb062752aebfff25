// TIFF rows through libtiff: RGB strips, PackBits, LZW or none; BigTIFF when
// the picture may pass 4 GiB.
#include <cerrno>
#include <cstdio>
#include <vector>

#include <tiffio.h>

#include "terrakon/imageexport/row_writers.h"

namespace tk {
namespace {

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TiffRowWriter final : public RowWriter {
 public:
  ~TiffRowWriter() override {
    if (tif_) TIFFClose(tif_);
  }

  int Start(const std::string& path, int width, int height, img::Compression compression) {
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return img::kImgNoMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    // libtiff opens with O_CREAT | O_TRUNC, so the name is claimed first.
    std::FILE* claim = CreateNewFile(path);
    if (!claim) {
      TIFFOpenOptionsFree(options);
      return img::kImgFileOpen;
    }
    std::fclose(claim);
    tif_ = TIFFOpenExt(path.c_str(), bytes > (3ull << 30) ? "w8" : "w", options);
    TIFFOpenOptionsFree(options);
    if (!tif_) return img::kImgFileOpen;
    const uint16_t method = compression == img::kCompressionRle   ? COMPRESSION_PACKBITS
                            : compression == img::kCompressionLzw ? COMPRESSION_LZW
                                                                  : COMPRESSION_NONE;
    TIFFSetField(tif_, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tif_, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tif_, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif_, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif_, TIFFTAG_COMPRESSION, method);
    TIFFSetField(tif_, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif_, 0));
    row_.resize(static_cast<std::size_t>(width) * 3);
    return img::kImgOk;
  }

  int WriteRow(const uint8_t* bgr) override {
    for (std::size_t i = 0; i < row_.size(); i += 3) {
      row_[i] = bgr[i + 2];
      row_[i + 1] = bgr[i + 1];
      row_[i + 2] = bgr[i];
    }
    if (TIFFWriteScanline(tif_, row_.data(), next_++, 0) < 0) return img::kImgFileWrite;
    return img::kImgOk;
  }

  int Finish() override {
    const bool written = TIFFWriteDirectory(tif_) != 0;
    TIFF* t = tif_;
    tif_ = nullptr;
    TIFFClose(t);
    return written ? img::kImgOk : img::kImgFileWrite;
  }

 private:
  TIFF* tif_ = nullptr;
  std::vector<uint8_t> row_;
  uint32_t next_ = 0;
};

}  // namespace

int OpenTiffRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                      std::unique_ptr<RowWriter>* writer) {
  auto w = std::make_unique<TiffRowWriter>();
  if (int e = w->Start(path, width, height, params.compression)) return e;
  *writer = std::move(w);
  return img::kImgOk;
}

}  // namespace tk
