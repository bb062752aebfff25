// Calibration files against GDAL, which places images by them
// independently of us: the corners it reports from our OziExplorer map file
// and from our world file must be ours. Skipped when gdalinfo is absent.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "quadcalc/quadcalc.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/imageexport/calibration_formats.h"
#include "terrakon/imageexport/world_file.h"
#include "tests/imageexport/export_fixture.h"

namespace tk {
namespace {

bool HaveGdalInfo() { return std::system("command -v gdalinfo >/dev/null 2>&1") == 0; }

std::string RunCommand(const std::string& command) {
  std::string out;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

// The numbers of a JSON array named key, e.g. "upperLeft":[ -1.5, 2.0 ].
std::vector<double> JsonPair(const std::string& json, const std::string& key) {
  std::smatch m;
  const std::regex pair("\"" + key + "\":\\s*\\[\\s*([-0-9.eE+]+),\\s*([-0-9.eE+]+)\\s*\\]");
  if (!std::regex_search(json, m, pair)) return {};
  return {std::stod(m[1]), std::stod(m[2])};
}

class GdalInteropTest : public testing::ExportTest {
 protected:
  void SetUp() override {
    if (!HaveGdalInfo()) GTEST_SKIP() << "gdalinfo is not installed (scripts/deps.sh installs gdal-bin)";
    ExportTest::SetUp();
    settings::ImgFormat.Set(settings_.link, img::kFormatJpeg);
    // Plates 300 ... 302, 400 ... 401 of level 10 (with the overlaps east and
    // north: 300 ... 303, 400 ... 402).
    settings::OverLeft.Set(settings_.link, false);
    settings::OverBottom.Set(settings_.link, false);
    PutPlate(300, 400, 10, 10, 200, 30);
    Plan(10, 300, 400, 302, 401);
    u_ = PlateUnits(10);
  }
  int64_t u_ = 0;
  const std::string image_ = "/z10_001_001.jpg";
};

TEST_F(GdalInteropTest, GdalPlacesTheImageByOurMapFile) {
  exporter_.SetExportRunning(true);
  const std::string info = RunCommand("gdalinfo -json '" + out_ + "/z10_001_001.map' 2>&1 | tr -d '\\n '");
  ASSERT_NE(info.find("\"driverShortName\":\"MAP\""), std::string::npos) << info;
  ASSERT_NE(info.find("z10_001_001.jpg"), std::string::npos) << info;
  // GDAL turns the corners into its own Mercator; in degrees they are ours.
  std::smatch m;
  const std::string number = "(-?[0-9.]+)";
  const std::regex corners("\"wgs84Extent\":\\{\"type\":\"Polygon\",\"coordinates\":\\[\\[\\[" + number + "," +
                           number + "\\],\\[" + number + "," + number + "\\],\\[" + number + "," + number + "\\]");
  ASSERT_TRUE(std::regex_search(info, m, corners)) << info;
  const double west = Google2X(300 * u_) - 180, east = Google2X(304 * u_) - 180;
  const double north = Google2Y(403 * u_), south = Google2Y(400 * u_);
  const double expected[6] = {west, north, west, south, east, south};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(std::stod(m[i + 1]), expected[i], 1e-6) << i;
}

TEST_F(GdalInteropTest, GdalReadsTheWebMercatorExtentFromOurWorldFile) {
  settings::TopoFormat.Set(settings_.link, kWorldFileFormat);
  exporter_.SetExportRunning(true);
  ASSERT_TRUE(std::filesystem::exists(out_ + "/z10_001_001.jgw"));
  const std::string info = RunCommand("gdalinfo -json '" + out_ + image_ + "' 2>&1 | tr -d '\\n'");
  const std::vector<double> ul = JsonPair(info, "upperLeft"), lr = JsonPair(info, "lowerRight");
  ASSERT_EQ(ul.size(), 2u) << info;
  ASSERT_EQ(lr.size(), 2u) << info;
  EXPECT_NEAR(ul[0], WebMercatorMetres(double(300 * u_)), 1e-3);
  EXPECT_NEAR(ul[1], WebMercatorMetres(double(403 * u_)), 1e-3);
  EXPECT_NEAR(lr[0], WebMercatorMetres(double(304 * u_)), 1e-3);
  EXPECT_NEAR(lr[1], WebMercatorMetres(double(400 * u_)), 1e-3);
  EXPECT_NE(info.find("Pseudo-Mercator"), std::string::npos) << info;
}

}  // namespace
}  // namespace tk
