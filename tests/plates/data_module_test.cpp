#include "terrakon/plates/data_module.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/imagelib/imagelib.h"

namespace tk {
namespace {

TEST(DataModule, PlateDrawingHeaderBytes) {
  PlateDrawingHeader h;
  // size 40, 256 x 256, 1 plane, 24 bits, uncompressed, 196608 bytes, resolution 1.
  const uint8_t expected[40] = {40, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                                0, 0, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(&h, expected, 40), 0);
}

int32_t Width() { return 1000; }

TEST(DataModule, ViewRecordStartValues) {
  QuadcalcContext v;
  std::memset(&v, 0x55, sizeof v);
  InitViewRecord(v, ViewCallbacks{});
  EXPECT_EQ(int32_t(v.Size), int32_t(sizeof(QuadcalcContext)));
  // Copies: the record is packed, and a reference to a field may be misaligned.
  EXPECT_EQ(int64_t(v.CenterX), int64_t{1} << 37);
  EXPECT_EQ(int64_t(v.CenterY), int64_t{1} << 37);
  EXPECT_EQ(int64_t(v.SelX | v.SelY | v.SelX1 | v.SelY1), 0);
  EXPECT_EQ(int64_t(v.PlateUnitsX), 1);
  EXPECT_EQ(int64_t(v.PixelUnitsY), 1);
  EXPECT_EQ(int32_t(v.Zoom), -1);
  EXPECT_EQ(int(v.DegType), 0);
  EXPECT_EQ(int(v.CoordSys), -100);
  EXPECT_EQ(int32_t(v.DatumNum), -1);
  // The stand-ins answer an empty view; the heap callbacks work.
  EXPECT_EQ(v.GetViewWidth(), 0);
  int64_t rect[4] = {1, 2, 3, 4};
  v.GetViewRect(rect);
  EXPECT_EQ(rect[0] | rect[1] | rect[2] | rect[3], 0);
  void* p = v.MemRealloc(nullptr, 16);
  p = v.MemRealloc(p, 64);
  ASSERT_NE(p, nullptr);
  v.MemFree(p);
}

TEST(DataModule, CreateStartsTheLayersAndHandsOverTheRecord) {
  {
    TData data;
    ViewCallbacks callbacks;
    callbacks.GetViewWidth = Width;
    std::string fatal;
    ASSERT_TRUE(data.Create(callbacks, &fatal)) << fatal;
    EXPECT_TRUE(img::ImageLibraryLoaded());
    EXPECT_EQ(data.plateHeader.biSizeImage, 196608u);
    // The library computes through our record: the centre is mid-width.
    EXPECT_EQ(G2ScreenX(data.view.CenterX), 500);
  }
  EXPECT_EQ(G2ScreenX(int64_t{1} << 37), 0);  // forgotten with the module
}

}  // namespace
}  // namespace tk
