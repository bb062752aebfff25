// PNG rows through libpng; errors arrive by longjmp (see jpeg_row_writer.cpp).
#include <csetjmp>
#include <cstdio>

#include <png.h>

#include "terrakon/imageexport/row_writers.h"

namespace tk {
namespace {

void NoWarning(png_structp, png_const_charp) {}

class PngRowWriter final : public RowWriter {
 public:
  ~PngRowWriter() override {
    if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
    if (file_) std::fclose(file_);
  }

  int Start(std::FILE* file, int width, int height, int level) {
    file_ = file;
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, NoWarning);
    if (!png_) return img::kImgNoMemory;
    info_ = png_create_info_struct(png_);
    if (!info_) return img::kImgNoMemory;
    if (setjmp(png_jmpbuf(png_))) return img::kImgFileWrite;
    png_init_io(png_, file_);
    png_set_user_limits(png_, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_compression_level(png_, level);
    png_set_IHDR(png_, info_, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png_, info_);
    png_set_bgr(png_);
    return img::kImgOk;
  }

  int WriteRow(const uint8_t* bgr) override {
    if (setjmp(png_jmpbuf(png_))) return img::kImgFileWrite;
    png_write_row(png_, bgr);
    return img::kImgOk;
  }

  int Finish() override {
    if (setjmp(png_jmpbuf(png_))) return img::kImgFileWrite;
    png_write_end(png_, nullptr);
    std::FILE* f = file_;
    file_ = nullptr;
    return std::fclose(f) == 0 ? img::kImgOk : img::kImgFileWrite;
  }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::FILE* file_ = nullptr;
};

}  // namespace

int OpenPngRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                     std::unique_ptr<RowWriter>* writer) {
  if (static_cast<uint64_t>(width) * 3 > PNG_UINT_31_MAX) return img::kImgSizeLimit;
  std::FILE* f = CreateNewFile(path);
  if (!f) return img::kImgFileOpen;
  auto w = std::make_unique<PngRowWriter>();
  const int level = params.compressionLevel < 0 ? 0 : params.compressionLevel > 9 ? 9 : params.compressionLevel;
  if (int e = w->Start(f, width, height, level)) return e;
  *writer = std::move(w);
  return img::kImgOk;
}

}  // namespace tk
