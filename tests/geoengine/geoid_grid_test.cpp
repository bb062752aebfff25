#include "platform/geoengine/geoid_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/geoengine/gtx_bytes.h"

namespace tk {
namespace {

// A global grid of 90-degree cells: 3 rows (90 S, 0, 90 N) of 4 columns
// (180 W, 90 W, 0, 90 E); the height is 10 * row + column.
const testing::GtxHeader kCoarse{-90, -180, 90, 90, 3, 4};
const std::vector<float> kCoarseHeights{0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23};

class GeoidGridTest : public ::testing::Test {
 protected:
  void TearDown() override { UnloadGeoid(); }

  static void Load(const std::string& file) {
    ASSERT_EQ(InitializeGeoidPtr(file.data(), file.size()), 0);
  }
  static double Height(double lat, double lon180) {
    double h = -1e9;
    EXPECT_EQ(GetGeoidHeightG(lat, lon180, &h), 0) << lat << " " << lon180;
    return h;
  }
};

TEST_F(GeoidGridTest, Egm96MatchesItsNodesAndPublishedValues) {
  const std::string file = testing::ReadWholeFile(ProgramRelativePath("data/egm96.grd"));
  ASSERT_EQ(file.size(), 4153000u) << "the build copies egm96_15.gtx to bin/data/egm96.grd";
  ASSERT_TRUE(CheckGeoidPtr(file.data(), file.size()));
  Load(file);
  // Node (row, col) lies at latitude -90 + row / 4 and longitude -180 + col / 4.
  const int nodes[][2] = {{0, 0}, {360, 720}, {543, 151}, {720, 1439}, {200, 1000}};
  for (const auto& n : nodes) {
    EXPECT_EQ(Height(-90 + n[0] * 0.25, n[1] * 0.25), testing::GtxNode(file, 1440, n[0], n[1]))
        << n[0] << " " << n[1];
  }
  // The test points published with NGA's EGM96 geoid software (latitude,
  // longitude east 0 ... 360, height [m]); the grid interpolation stays within 0.1 m.
  const double published[][3] = {
      {38.6281550, 269.7791550, -31.628}, {-14.6212170, 305.0211140, -2.969},
      {46.8743190, 102.4487290, -43.575}, {-23.6174460, 133.8747120, 15.871},
      {38.6254730, 359.9995000, 50.066},  {-0.4667440, 0.0023000, 17.329},
  };
  for (const auto& p : published) {
    const double lon = p[1] > 180 ? p[1] - 360 : p[1];
    EXPECT_NEAR(Height(p[0], lon + 180), p[2], 0.1) << p[0] << " " << p[1];
  }
}

TEST_F(GeoidGridTest, InterpolatesBilinearlyAndWrapsAt360) {
  Load(testing::GtxFile(kCoarse, kCoarseHeights));
  EXPECT_DOUBLE_EQ(Height(0, 180), 12);       // the prime meridian is internal 180
  EXPECT_DOUBLE_EQ(Height(45, 45), 15.5);     // middle of the cell of nodes 10, 11, 20, 21
  EXPECT_DOUBLE_EQ(Height(90, 270), 23);
  EXPECT_DOUBLE_EQ(Height(-90, 0), 0);
  // East of the last column the cell closes over the first one.
  EXPECT_DOUBLE_EQ(Height(0, 315), 11.5);
  EXPECT_DOUBLE_EQ(Height(0, 360), Height(0, 0));
  EXPECT_DOUBLE_EQ(Height(0, 360 + 90), Height(0, 90));
  EXPECT_DOUBLE_EQ(Height(0, -45), 11.5);
}

TEST_F(GeoidGridTest, RepeatedLastColumnAndRegionalGrids) {
  // 5 columns of 90 degrees: the last one repeats the first.
  std::vector<float> h{0, 1, 2, 3, 0, 10, 11, 12, 13, 10, 20, 21, 22, 23, 20};
  Load(testing::GtxFile({-90, -180, 90, 90, 3, 5}, h));
  EXPECT_DOUBLE_EQ(Height(0, 315), 11.5);
  EXPECT_DOUBLE_EQ(Height(0, 360), 10);
  // A regional grid of 10 x 10 degrees has no answer outside.
  Load(testing::GtxFile({40, 10, 10, 10, 2, 2}, {1, 2, 3, 4}));
  EXPECT_DOUBLE_EQ(Height(45, 195), 2.5);
  double v;
  EXPECT_NE(GetGeoidHeightG(45, 189, &v), 0);
  EXPECT_NE(GetGeoidHeightG(39, 195, &v), 0);
}

TEST_F(GeoidGridTest, NoModelOrNoDataGivesNoAnswer) {
  double v;
  EXPECT_NE(GetGeoidHeightG(0, 180, &v), 0);
  std::vector<float> h = kCoarseHeights;
  h[5] = -88.8888f;  // GTX marker of a missing value
  h[6] = std::nanf("");
  Load(testing::GtxFile(kCoarse, h));
  EXPECT_NE(GetGeoidHeightG(45, 105, &v), 0);
  EXPECT_NE(GetGeoidHeightG(-45, 135, &v), 0);
  EXPECT_DOUBLE_EQ(Height(45, 315), 16.5);  // nodes 13, 10, 23, 20
  EXPECT_NE(GetGeoidHeightG(std::nan(""), 0, &v), 0);
  EXPECT_NE(GetGeoidHeightG(91, 0, &v), 0);
}

TEST_F(GeoidGridTest, BrokenFilesAreRefusedAndKeepTheModel) {
  Load(testing::GtxFile(kCoarse, kCoarseHeights));
  const std::string good = testing::GtxFile(kCoarse, kCoarseHeights);
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"short", good.substr(0, 39)},
      {"header only", good.substr(0, 40)},
      {"one byte more", good + "x"},
      {"one value less", good.substr(0, good.size() - 4)},
      {"no rows", testing::GtxFile({-90, -180, 90, 90, 0, 4}, {})},
      {"negative columns", testing::GtxFile({-90, -180, 90, 90, 3, -4}, kCoarseHeights)},
      {"huge", testing::GtxFile({-90, -180, 1e-6, 1e-6, 0x7FFFFFFF, 0x7FFFFFFF}, {})},
      {"nan step", testing::GtxFile({-90, -180, std::nan(""), 90, 3, 4}, kCoarseHeights)},
      {"negative step", testing::GtxFile({90, -180, -90, 90, 3, 4}, kCoarseHeights)},
      {"beyond the pole", testing::GtxFile({-80, -180, 90, 90, 3, 4}, kCoarseHeights)},
      {"more than the globe", testing::GtxFile({-90, -180, 90, 150, 3, 4}, kCoarseHeights)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(CheckGeoidPtr(c.file.data(), c.file.size())) << c.what;
    EXPECT_NE(InitializeGeoidPtr(c.file.data(), c.file.size()), 0) << c.what;
  }
  EXPECT_FALSE(CheckGeoidPtr(nullptr, 100));
  EXPECT_DOUBLE_EQ(Height(45, 45), 15.5);
}

}  // namespace
}  // namespace tk
