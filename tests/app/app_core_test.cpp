#include <gtest/gtest.h>

#include "terrakon/app/navigation.h"
#include "terrakon/app/paint_grid.h"
#include "terrakon/app/plate_blit.h"
#include "terrakon/app/selection_brush.h"
#include "terrakon/app/selection_edit.h"
#include "terrakon/app/selection_rows.h"
#include "terrakon/plates/pixel_space.h"
#include "terrakon/plates/plate_ref.h"

#include <climits>
#include <vector>

namespace tk {
namespace {

TEST(Navigation, LimitsAndNotches) {
  EXPECT_EQ(ClampZoom(31), 30);
  EXPECT_EQ(ClampZoom(0), 1);
  EXPECT_EQ(ClampZoomOffset(9), 5);
  EXPECT_EQ(ClampZoomOffset(-2), 0);
  EXPECT_EQ(ClampToWorld(-5), 0);
  EXPECT_EQ(ClampToWorld(kWorldSize + 1), kWorldSize);
  struct Row { int delta, notches; };
  for (const Row& r : {Row{-1, -1}, Row{121, 2}, Row{120, 1}, Row{-240, -2}, Row{0, 0}, Row{-241, -3}})
    EXPECT_EQ(WheelNotches(r.delta), r.notches) << r.delta;
}

TEST(Navigation, CacheNeedAndCorrectionShift) {
  // ((1 x 912) / 256 + 1) x ((1 x 470) / 256 + 1) x 3 / 2 = 4 x 2 x 1.5
  EXPECT_EQ(NeededCachePlates(0, 912, 470), 12);
  EXPECT_EQ(NeededCachePlates(3, 1920, 1080), (60 + 1) * (33 + 1) * 3 / 2);
  EXPECT_EQ(CorrectionShift(20, 0), 10);
  EXPECT_EQ(CorrectionShift(30, 5), 0);  // never negative
  EXPECT_EQ(MainTitle(28, 4), "Terrakon: 30 (28+4)");
}

// The copy flips the bottom-up rows, swaps BGR into XRGB and writes nothing
// outside the clip and the target, whatever the plate's position.
TEST(PlateBlit, FlipsWidensAndClips) {
  std::vector<uint8_t> plate(kPlateImageBytes);
  for (std::size_t i = 0; i < plate.size(); ++i) plate[i] = static_cast<uint8_t>(i * 7 + i / 768);
  constexpr int kW = 301, kH = 190;
  constexpr uint32_t kUntouched = 0x12345678;
  struct Row { int x, y; BlitRect clip; };
  const Row rows[] = {
      {0, 0, {0, 0, kW, kH}},          {-3, -70, {0, 0, kW, kH}},  {100, 50, {0, 0, kW, kH}},
      {20, 10, {25, 13, 7, 5}},        {-255, -255, {0, 0, kW, kH}}, {10, 10, {-50, -50, 1000, 1000}},
      {kW, 0, {0, 0, kW, kH}},         {0, -256, {0, 0, kW, kH}},   {INT_MAX - 10, INT_MIN + 10, {0, 0, kW, kH}},
      {5, 5, {INT_MAX - 1, 0, INT_MAX, kH}},
  };
  for (const Row& r : rows) {
    std::vector<uint32_t> picture(kW * kH, kUntouched);
    BlitPlate(plate.data(), r.x, r.y, r.clip,
              {reinterpret_cast<uint8_t*>(picture.data()), kW * 4, kW, kH});
    int written = 0;
    for (int py = 0; py < kH; ++py)
      for (int px = 0; px < kW; ++px) {
        const int64_t u = int64_t{px} - r.x, v = int64_t{py} - r.y;
        const bool inside = u >= 0 && u < 256 && v >= 0 && v < 256 && px >= r.clip.x &&
                            px < int64_t{r.clip.x} + r.clip.width && py >= r.clip.y &&
                            py < int64_t{r.clip.y} + r.clip.height;
        uint32_t expected = kUntouched;
        if (inside) {
          const uint8_t* bgr = &plate[(255 - v) * kPlateLineBytes + u * 3];
          expected = 0xFF000000u | uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
          ++written;
        }
        ASSERT_EQ(picture[py * kW + px], expected) << r.x << "," << r.y << " at " << px << "," << py;
      }
    if (r.x == 100 && r.y == 50) {
      EXPECT_EQ(written, 201 * 140);
    }
  }
}

TEST(SelectionEdit, HitTestTable) {
  const SelectionRect s{100, 200, 300, 50};  // west, north, east, south
  struct Row { int64_t x, y; HitHandle expected; };
  const Row rows[] = {
      {100, 50, kHitBottomLeft}, {300, 50, kHitBottomRight}, {300, 200, kHitTopRight}, {100, 200, kHitTopLeft},
      {100, 120, kHitLeft},      {300, 120, kHitRight},      {200, 50, kHitBottom},    {200, 200, kHitTop},
      {200, 120, kHitNothing},   {400, 120, kHitNothing},    {200, 300, kHitNothing},
  };
  for (const Row& r : rows) EXPECT_EQ(SelectionHitTest(s, r.x - 3, r.y - 3, r.x + 3, r.y + 3), r.expected) << r.x << "," << r.y;
}

TEST(SelectionEdit, NewSelectionGrowsEastAndSouthOnly) {
  SelectionRect s{1000, 1000, 1000, 1000};
  DragSelection(s, kHitNothing, 500, 400);  // west and south of the press
  EXPECT_EQ(s.SelX1 - s.SelX, 0);
  EXPECT_EQ(s.SelY1, 400);
  DragSelection(s, kHitNothing, 1500, 2000);  // east and north
  EXPECT_EQ(s.SelX1, 1500);
  EXPECT_EQ(s.SelY, s.SelY1);  // north of the press: zero height
  s = {0, 0, 0, 0};
  DragSelection(s, kHitRight, kWorldSize + 50, 0);
  EXPECT_EQ(s.SelX1, kWorldSize);
}

TEST(SelectionRows, ZeroWidthAndWholeWorld) {
  const SelectionRow thin = MakeSelectionRow({5000, 9000, 5000, 1000}, 12);
  EXPECT_GE(thin.plateCount, 1u);
  EXPECT_EQ(thin.image.substr(0, 2), "0 ");
  const SelectionRow world = MakeSelectionRow({0, kWorldSize, kWorldSize, 0}, 1);
  EXPECT_EQ(world.plates, "0,0-1,1");
  EXPECT_EQ(world.nPlates, "4");
  EXPECT_EQ(world.image, "262144 (512 x 512)");
  EXPECT_EQ(world.avgSize, "42.400K");
  LevelTicks ticks{};
  EXPECT_FALSE(AnyTicked(ticks));
  EXPECT_EQ(SelectionSummary({0, kWorldSize, kWorldSize, 0}, ticks), "0 x 0 / 274877906944 x 274877906944\nAvg size: 0");
  ticks[0] = true;
  EXPECT_EQ([&] { std::string t = SelectionSummary({0, kWorldSize, kWorldSize, 0}, ticks); return t.substr(t.find('\n') + 1); }(), "Avg size: 42.400K");
}

TEST(PaintGrid, AncestorPartsAndPlaceholders) {
  struct Row { const char* key; int up; AncestorPart part; };
  const Row rows[] = {
      {"tq", 1, {0, 128, 128}}, {"tr", 1, {128, 128, 128}}, {"ts", 1, {128, 0, 128}},
      {"tt", 1, {0, 0, 128}},   {"qrs", 2, {192, 128, 64}},
  };
  for (const Row& r : rows) {
    const AncestorPart p = AncestorPartOf(r.key, r.up);
    EXPECT_EQ(p.left, r.part.left) << r.key;
    EXPECT_EQ(p.bottom, r.part.bottom) << r.key;
    EXPECT_EQ(p.size, r.part.size) << r.key;
  }
  EXPECT_EQ(PlaceholderText(PlateNotFound, 3, 4, "qrst"), "Not found (404)\n3x4\nqrst");
  EXPECT_EQ(PlaceholderText(PlateQueued, 3, 4, "qrst"), "Cached to load...\n3x4\nqrst");
  EXPECT_EQ(PlaceholderText(PlateRef(), 3, 4, "qrst"), "3x4\nqrst");
}

TEST(SelectionBrush, BuiltInStripAndPhases) {
  const SelectionBrushStrip s = SelectionBrushStrip::BuiltIn();
  EXPECT_EQ(s.width(), 6);
  EXPECT_EQ(s.phases(), 4);
  EXPECT_EQ(s.Pixel(2, 0), 0u);
  EXPECT_EQ(s.Pixel(3, 0), 0u);
  EXPECT_EQ(s.Pixel(0, 0), 0xC0C0C0u);
  EXPECT_EQ(s.FirstPhase(5), 1);
  EXPECT_EQ(s.SecondPhase(5), 2);
  SelectionBrushStrip copy = s;
  EXPECT_FALSE(copy.Assign(17, 20, std::vector<uint32_t>(17 * 20)));  // too wide
  EXPECT_FALSE(copy.Assign(8, 8, std::vector<uint32_t>(64)));         // no phase
  EXPECT_EQ(copy.width(), 6);
}

}  // namespace
}  // namespace tk
