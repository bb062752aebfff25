// Encoders that take an image row by row, so that an export of any size
// needs memory for one band of rows only: JPEG (libjpeg), PNG (libpng) and
// TIFF (libtiff). Rows are blue-green-red, 3 bytes a pixel, top row first.
//
// Progressive JPEG and interlaced PNG need the whole picture at once, so
// these writers always write sequential pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/imagelib/imagelib.h"

namespace tk {

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  // An image layer error code (img::kImgOk on success).
  virtual int WriteRow(const uint8_t* bgr) = 0;
  // Completes and closes the file; all rows must have been written.
  virtual int Finish() = 0;
};

// The image layer formats with a row writer.
bool CanWriteRows(int formatIndex);

// Creates path (which must not exist) and a writer for it, taking the
// format index, quality, compression level and compression of params. On
// failure an error code (kImgFileOpen with errno set, kImgSizeLimit for a
// size the format cannot hold, kImgNotWritable for other formats); the
// caller removes whatever was created.
int OpenRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                  std::unique_ptr<RowWriter>* writer);

}  // namespace tk
