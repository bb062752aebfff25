#include "terrakon/plates/plate_key.h"

#include <gtest/gtest.h>

#include <random>

#include "quadcalc/quadcalc.h"

namespace tk {
namespace {

constexpr int64_t kHalf = kWorldSize / 2;

TEST(PlateKey, KeysOfCornerPlates) {
  struct Case {
    int64_t column, row;
    int zoom;
    const char* key;
  } cases[] = {
      {0, 0, 1, "t"},  {1, 0, 1, "s"},  {0, 1, 1, "q"},  {1, 1, 1, "r"},
      {0, 3, 2, "qq"}, {3, 0, 2, "ss"}, {3, 3, 2, "rr"}, {0, 0, 2, "tt"},
      {0, 0, 0, ""},   {(int64_t{1} << 30) - 1, (int64_t{1} << 30) - 1, 30,
                        "rrrrrrrrrrrrrrrrrrrrrrrrrrrrrr"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlateKeyText(c.column, c.row, c.zoom), c.key)
        << c.column << "," << c.row << " at " << c.zoom;
  }
}

TEST(PlateKey, LevelAboveThirtyCannotOverflowTheBuffer) {
  char buffer[kPlateKeyBytes + 1];
  buffer[kPlateKeyBytes] = 'X';
  MakePlateKey(buffer, 0, 0, 64);
  EXPECT_EQ(std::string(buffer).size(), 30u);
  EXPECT_EQ(buffer[kPlateKeyBytes], 'X');
}

TEST(PlateKey, RectOfKeys) {
  EXPECT_EQ(PlateKeyRect("q"), (PixelRect{0, kHalf, kHalf, kWorldSize}));
  EXPECT_EQ(PlateKeyRect("s"), (PixelRect{kHalf, 0, kWorldSize, kHalf}));
  EXPECT_EQ(PlateKeyRect(""), (PixelRect{0, 0, kWorldSize, kWorldSize}));
  EXPECT_EQ(PlateKeyRect("qxr"), PlateKeyRect("qr"));
  const PixelRect deepest = PlateKeyRect(std::string(30, 't'));
  EXPECT_EQ(deepest, (PixelRect{0, 0, 256, 256}));
}

// The key built from the plate numbers of a point covers that point, and its
// rectangle is exactly one plate of that level.
TEST(PlateKey, KeyOfPointCoversPoint) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int64_t> coordinate(0, kWorldSize - 1);
  for (int i = 0; i < 2000; ++i) {
    const int zoom = 1 + i % kMaxZoom;
    const int64_t x = coordinate(random), y = coordinate(random);
    char key[kPlateKeyBytes];
    MakePlateKey(key, GetPlateX2Num(x, zoom), GetPlateY2Num(y, zoom), zoom);
    ASSERT_EQ(std::string(key).size(), static_cast<size_t>(zoom));
    const PixelRect r = PlateKeyRect(key);
    ASSERT_TRUE(r.X1 <= x && x < r.X2 && r.Y1 <= y && y < r.Y2) << key;
    ASSERT_EQ(r.X2 - r.X1, PlateUnits(zoom));
    ASSERT_EQ(r.Y2 - r.Y1, PlateUnits(zoom));
  }
}

}  // namespace
}  // namespace tk
