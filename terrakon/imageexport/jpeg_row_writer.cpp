// JPEG rows through libjpeg(-turbo): the same 4:2:0 baseline pictures as the
// image layer's TurboJPEG encoder, without holding the picture. libjpeg
// reports errors by longjmp, so every call into it sits in a function whose
// frame holds nothing that needs destroying.
#include <fcntl.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

#include "terrakon/imageexport/row_writers.h"

namespace tk {
namespace {

struct ErrorJump {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1);
}
void NoMessage(j_common_ptr) {}

class JpegRowWriter final : public RowWriter {
 public:
  ~JpegRowWriter() override {
    if (created_) jpeg_destroy_compress(&cinfo_);
    if (file_) std::fclose(file_);
  }

  int Start(std::FILE* file, int width, int height, int quality) {
    file_ = file;
    cinfo_.err = jpeg_std_error(&error_.base);
    error_.base.error_exit = ErrorExit;
    error_.base.output_message = NoMessage;
    if (setjmp(error_.jump)) return img::kImgFileWrite;
    created_ = true;  // destroying a half-made object is safe, leaking it is not
    jpeg_create_compress(&cinfo_);
    jpeg_stdio_dest(&cinfo_, file_);
    cinfo_.image_width = static_cast<JDIMENSION>(width);
    cinfo_.image_height = static_cast<JDIMENSION>(height);
    cinfo_.input_components = 3;
    cinfo_.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo_);
    jpeg_set_quality(&cinfo_, quality, TRUE);
    jpeg_start_compress(&cinfo_, TRUE);
    return img::kImgOk;
  }

  int WriteRow(const uint8_t* bgr) override {
    JSAMPROW row = const_cast<JSAMPROW>(bgr);
    if (setjmp(error_.jump)) return img::kImgFileWrite;
    jpeg_write_scanlines(&cinfo_, &row, 1);
    return img::kImgOk;
  }

  int Finish() override {
    if (setjmp(error_.jump)) return img::kImgFileWrite;
    jpeg_finish_compress(&cinfo_);
    std::FILE* f = file_;
    file_ = nullptr;
    return std::fclose(f) == 0 ? img::kImgOk : img::kImgFileWrite;
  }

 private:
  jpeg_compress_struct cinfo_{};
  ErrorJump error_{};
  std::FILE* file_ = nullptr;
  bool created_ = false;
};

}  // namespace

std::FILE* CreateNewFile(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (!f) close(fd);
  return f;
}

int OpenJpegRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                      std::unique_ptr<RowWriter>* writer) {
  if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) return img::kImgSizeLimit;
  std::FILE* f = CreateNewFile(path);
  if (!f) return img::kImgFileOpen;
  auto w = std::make_unique<JpegRowWriter>();
  const int quality = params.quality < 1 ? 1 : params.quality > 100 ? 100 : params.quality;
  if (int e = w->Start(f, width, height, quality)) return e;
  *writer = std::move(w);
  return img::kImgOk;
}

}  // namespace tk
