// Set-up of the export tests: a disk cache of their own with plates put
// where a test wants them, the main settings, a scripted user, an output
// folder and the log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/imagelib/imagelib.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/imageexport/export_settings.h"
#include "terrakon/imageexport/image_export.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"
#include "tests/geodesy/geodesy_fixture.h"
#include "tests/imagelib/test_images.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace tk::testing {

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCacheDirectory(cache_.path());
    CacheClear();
    SetCacheLimit(100);
    Switches().memoryCacheInUse = true;
    Switches().useCache = true;
    Switches().delUnknownImages = false;
    out_ = dir_.path() + "/out";
    std::filesystem::create_directories(out_);
    settings::ImgOut.Set(settings_.link, out_);
    settings::ImgFormat.Set(settings_.link, img::kFormatPng);  // lossless: pixels can be compared
    settings::TopoFormat.Set(settings_.link, 0);
    settings::BmpInterlaced.Set(settings_.link, false);
    settings::BmpCompressionLevel.Set(settings_.link, 1);  // big test images encode fast
    exporter_.SetProgressPeriod(std::chrono::milliseconds(0));
  }
  void TearDown() override { CacheClear(); }

  // A plate of one colour in the disk cache (stored as PNG, decoded by content).
  void PutPlate(int64_t column, int64_t row, int zoom, uint8_t blue, uint8_t green, uint8_t red) {
    const std::string key = PlateKeyText(column, row, zoom);
    ASSERT_TRUE(MakePlateDirs(key));
    WriteFile(PlatePath(key), Encode(SolidPicture(256, 256, blue, green, red), img::kFormatPng));
  }
  // Ticks level zoom only and plans the plates columns x1 ... x2, rows y1 ... y2.
  void Plan(int zoom, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    const int64_t u = PlateUnits(zoom);
    ZoomTicks ticks{};
    ticks[zoom - 1] = true;
    exporter_.BuildPlan({x1 * u, y2 * u + u - 1, x2 * u + u - 1, y1 * u}, ticks);
  }
  std::vector<std::string> OutFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  bool Logged(const std::string& line) const {
    for (const std::string& l : log_.Lines())
      if (l == line) return true;
    return false;
  }
  // The pixel (blue, green, red) at x, y from the top of a decoded file.
  static std::array<uint8_t, 3> Pixel(const img::Bitmap& b, int x, int y) {
    const uint8_t* p = b.TopRow(y) + x * 3;
    return {p[0], p[1], p[2]};
  }
  static img::Bitmap Decode(const std::string& path) {
    img::Bitmap b;
    img::LoadParams params = img::DefaultLoadParams();
    EXPECT_EQ(img::LoadBitmap(path.c_str(), b, params, nullptr), img::kImgOk) << path;
    return b;
  }

  TempDir dir_, cache_;
  std::string out_;
  Settings settings_;
  ScriptedUi ui_;
  LogCapture log_;
  ImageExport exporter_{&settings_.link, nullptr};
};

}  // namespace tk::testing
