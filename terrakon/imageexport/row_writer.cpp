#include "terrakon/imageexport/row_writer.h"

#include "terrakon/imageexport/row_writers.h"

namespace tk {

bool CanWriteRows(int formatIndex) {
  return formatIndex == img::kFormatJpeg || formatIndex == img::kFormatPng || formatIndex == img::kFormatTiff;
}

int OpenRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                  std::unique_ptr<RowWriter>* writer) {
  if (width <= 0 || height <= 0) return img::kImgBadParameters;
  switch (params.formatIndex) {
    case img::kFormatJpeg: return OpenJpegRowWriter(path, width, height, params, writer);
    case img::kFormatPng: return OpenPngRowWriter(path, width, height, params, writer);
    case img::kFormatTiff: return OpenTiffRowWriter(path, width, height, params, writer);
  }
  return img::kImgNotWritable;
}

}  // namespace tk
