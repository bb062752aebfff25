#include "terrakon/imageexport/export_texts.h"

#include <gtest/gtest.h>

#include "platform/imagelib/imagelib.h"
#include "terrakon/imageexport/export_settings.h"
#include "tests/geodesy/geodesy_fixture.h"

namespace tk {
namespace {

TEST(ExportSettings, DefaultsFolderSlashesAndRanges) {
  testing::Settings s;
  ExportSettings d = ReadExportSettings(s.link);
  EXPECT_EQ(d.imageFormat, -1);
  EXPECT_EQ(d.quality, 90);
  EXPECT_EQ(d.compressionLevel, 7);
  EXPECT_TRUE(d.progressive);
  EXPECT_EQ(d.compression, 1);
  EXPECT_EQ(d.topoExtension, "map");
  EXPECT_TRUE(d.limitSize);
  EXPECT_EQ(d.maxWidth, 10);
  EXPECT_EQ(d.top, 1);
  EXPECT_EQ(s.link.LinkItem()->FindItem("ImgSaveWin/NOverBottom")->GetInt("", 0), 1);  // created by the read

  settings::ImgOut.Set(s.link, "/data/out//");
  settings::TopoOut.Set(s.link, "/");
  settings::MaxW.Set(s.link, 500);
  settings::BmpQuality.Set(s.link, 0);
  settings::ImgOver.Set(s.link, 9);
  ExportSettings r = ReadExportSettings(s.link);
  EXPECT_EQ(r.imageFolder, "/data/out");
  EXPECT_EQ(r.topoFolder, "/");
  EXPECT_EQ(r.maxWidth, 50);
  EXPECT_EQ(r.quality, 1);
  EXPECT_EQ(r.imagePolicy, kAskExisting);

  r.topoSameAsImages = false;
  r.topoFolder = "/maps";
  WriteExportSettings(s.link, r);
  EXPECT_EQ(ReadExportSettings(s.link).CalibrationFolder(), "/maps");
  r.topoSameAsImages = true;
  EXPECT_EQ(r.CalibrationFolder(), "/data/out");
}

TEST(ExportTexts, ImagesColumnAndSizeLabel) {
  ZoomPlanLevel level;
  level.xLow = 100, level.xHigh = 124, level.yLow = 200, level.yHigh = 211;  // 25 x 12 plates
  ExportSettings s;
  EXPECT_EQ(ImagesText(level, s), "6 (3x2), 2560x2560, 157.286M(~7.200M)");
  EXPECT_EQ(MaxSizeText(s), "Max size: 3072x3072");
  s.overlapLeft = false;
  s.bottom = 3;
  EXPECT_EQ(MaxSizeText(s), "Max size: 2816x3584");
  s.limitSize = false;
  EXPECT_EQ(ImagesText(level, s), "1, 6400x3072, 78.643M(~3.600M)");
  EXPECT_EQ(MaxSizeText(s), "");

  const auto formats = ExportImageFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats[0].index, img::kFormatJpeg);
  EXPECT_EQ(formats[0].text, "jpeg - JPEG / JFIF");
  EXPECT_STREQ(ExportButtonCaption(true), "Canc&el");
  EXPECT_STREQ(ExportButtonCaption(false), "&Export");
}

}  // namespace
}  // namespace tk
