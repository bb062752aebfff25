// The row writers of each format (see row_writer.h).
#pragma once

#include "terrakon/imageexport/row_writer.h"

namespace tk {

int OpenJpegRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                      std::unique_ptr<RowWriter>* writer);
int OpenPngRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                     std::unique_ptr<RowWriter>* writer);
int OpenTiffRowWriter(const std::string& path, int width, int height, const img::SaveParams& params,
                      std::unique_ptr<RowWriter>* writer);

// Creates the file for writing; null with errno set when it cannot.
std::FILE* CreateNewFile(const std::string& path);

}  // namespace tk
