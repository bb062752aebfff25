#include "terrakon/geodesy/geoid.h"

#include <gtest/gtest.h>

#include "common/paths.h"
#include "platform/geoengine/geoid_grid.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/config/settings_table.h"
#include "tests/geodesy/geodesy_fixture.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kLoading = "Loading EGM96 height data...";

// A GTX grid of 2 x 2 cells of 180 x 90 degrees: heights 1 at 180 W,
// 5 at the prime meridian, the same in every row.
std::string SmallGrid() {
  std::string out;
  auto put = [&](uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  for (double d : {-90.0, -180.0, 90.0, 180.0}) put(std::bit_cast<uint64_t>(d), 8);
  put(3, 4);
  put(2, 4);
  for (int row = 0; row < 3; ++row)
    for (float f : {1.0f, 5.0f}) put(std::bit_cast<uint32_t>(f), 4);
  return out;
}

class GeoidTest : public ::testing::Test {
 protected:
  void SetUp() override { UnloadGeoid(); }
  void TearDown() override { UnloadGeoid(); }

  Lines Load(const std::string& path) {
    settings::EGMHeight.Set(settings.link, path);
    testing::LogCapture log;
    LoadGeoid(settings.link);
    return log.Lines();
  }

  testing::Settings settings;
  testing::TempDir dir;
};

TEST_F(GeoidTest, TheDefaultFindsTheGridTheBuildCopied) {
  testing::LogCapture log;
  LoadGeoid(settings.link);
  EXPECT_EQ(log.Lines(), Lines{kLoading});
  EXPECT_EQ(settings::EGMHeight.Get(settings.link), "data/egm96.grd");
  // Near Moscow the geoid lies some 14 m above the ellipsoid.
  PixelPoint p{X2Google(180 + 37.6), Y2Google(55.75)};
  const std::string text = GeoidHeightText(p);
  ASSERT_EQ(text.substr(0, 7), "Geoid: ") << text;
  EXPECT_NEAR(std::stod(text.substr(7)), 14.0, 1.5) << text;
  EXPECT_EQ(text.substr(text.size() - 2), " m");
}

TEST_F(GeoidTest, SwitchedOffTouchesNothing) {
  settings::LoadEGM.Set(settings.link, false);
  EXPECT_EQ(Load("/nonexistent"), Lines{});
  EXPECT_EQ(GeoidHeightText({0, 0}), "<error>");
}

TEST_F(GeoidTest, EveryFailureIsOneLogLine) {
  testing::WriteWholeFile(dir.File("bad.grd"), "not a grid at all, not even 40 bytes long......");
  testing::WriteWholeFile(dir.File("empty.grd"), "");
  const struct {
    std::string path;
    std::string line;
  } cases[] = {
      {"", "EGM height data file is not set!"},
      {dir.File("missing.grd"), "EGM height data file not found!"},
      {dir.path(), "EGM height data file can not be loaded: Is a directory"},
      {dir.File("empty.grd"), "EGM height data file can not be loaded: Invalid argument"},
      {dir.File("bad.grd"), "EGM height data has bad or uknown format"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Load(c.path), (Lines{kLoading, c.line})) << c.path;
    EXPECT_EQ(GeoidHeightText({1, 1}), "<error>");
  }
}

TEST_F(GeoidTest, QueriesUseTheInternalLongitude) {
  testing::WriteWholeFile(dir.File("small.grd"), SmallGrid());
  ASSERT_EQ(Load(dir.File("small.grd")), Lines{kLoading});
  // The prime meridian is queried as 180, where the grid holds 5.
  EXPECT_EQ(GeoidHeightText({kWorldSize / 2, kWorldSize / 2}), "Geoid:     5.00 m");
  EXPECT_EQ(GeoidHeightText({0, kWorldSize / 2}), "Geoid:     1.00 m");
  EXPECT_EQ(GeoidHeightText({kWorldSize / 4, kWorldSize / 2}), "Geoid:     3.00 m");
}

}  // namespace
}  // namespace tk
