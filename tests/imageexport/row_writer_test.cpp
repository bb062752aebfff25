#include "terrakon/imageexport/row_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/imagelib/test_images.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

// Writes a picture row by row, top row first.
int WriteRows(const std::string& path, const img::Bitmap& picture, int format) {
  img::SaveParams params = img::DefaultSaveParams();
  params.formatIndex = format;
  params.quality = 95;
  params.compression = img::kCompressionLzw;
  std::unique_ptr<RowWriter> writer;
  if (int e = OpenRowWriter(path, picture.width, picture.height, params, &writer)) return e;
  for (int y = 0; y < picture.height; ++y)
    if (int e = writer->WriteRow(picture.TopRow(y))) return e;
  return writer->Finish();
}

TEST(RowWriter, EachFormatDecodesToTheRowsWritten) {
  testing::TempDir dir;
  const img::Bitmap picture = testing::TestPicture(img::kBgr, 301, 203);  // odd sizes on purpose
  for (int format : {img::kFormatJpeg, img::kFormatPng, img::kFormatTiff}) {
    const std::string path = dir.File(std::string("p.") + img::Format(format)->suffix);
    ASSERT_EQ(WriteRows(path, picture, format), img::kImgOk) << format;
    img::Bitmap back;
    ASSERT_EQ(img::LoadBitmap(path.c_str(), back, img::DefaultLoadParams(), nullptr), img::kImgOk) << format;
    ASSERT_EQ(back.width, 301);
    ASSERT_EQ(back.height, 203);
    long total = 0;
    for (int y = 0; y < 203; ++y)
      for (int x = 0; x < 301 * 3; ++x) total += std::abs(int(back.TopRow(y)[x]) - int(picture.TopRow(y)[x]));
    // JPEG: a mean error of a level or two; the others are lossless.
    EXPECT_LE(double(total) / (301 * 203 * 3), format == img::kFormatJpeg ? 2.0 : 0.0) << format;
  }
}

TEST(RowWriter, RefusesWhatItCannotWrite) {
  testing::TempDir dir;
  img::SaveParams params = img::DefaultSaveParams();
  std::unique_ptr<RowWriter> writer;
  params.formatIndex = img::kFormatBmp;
  EXPECT_EQ(OpenRowWriter(dir.File("a.bmp"), 10, 10, params, &writer), img::kImgNotWritable);
  params.formatIndex = img::kFormatJpeg;
  EXPECT_EQ(OpenRowWriter(dir.File("a.jpg"), 70000, 10, params, &writer), img::kImgSizeLimit);
  EXPECT_EQ(OpenRowWriter(dir.File("none/a.jpg"), 10, 10, params, &writer), img::kImgFileOpen);
  EXPECT_EQ(errno, ENOENT);
  testing::WriteWholeFile(dir.File("old.png"), "keep");
  params.formatIndex = img::kFormatPng;
  EXPECT_EQ(OpenRowWriter(dir.File("old.png"), 10, 10, params, &writer), img::kImgFileOpen);  // never over a file
  EXPECT_EQ(testing::ReadWholeFile(dir.File("old.png")), "keep");
  EXPECT_TRUE(CanWriteRows(img::kFormatTiff));
  EXPECT_FALSE(CanWriteRows(img::kFormatWebp));
}

}  // namespace
}  // namespace tk
