#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "quadcalc/quadcalc.h"
#include "tests/quadcalc/test_host.h"

namespace tk {
namespace {

constexpr int64_t k37 = int64_t{1} << 37;
constexpr int64_t k38 = int64_t{1} << 38;

TEST(QuadcalcNoContext, ScreenConversionsGiveZero) {
  ASSERT_EQ(InitQuadcalc(nullptr), nullptr);
  EXPECT_EQ(ScreenX2G(10), 0);
  EXPECT_EQ(ScreenY2G(10), 0);
  EXPECT_EQ(G2ScreenX(k37), 0);
  EXPECT_EQ(G2ScreenY(k37), 0);
  struct {
    int64_t p[9];
  } points[2] = {};
  EXPECT_EQ(MakeTrackPoints(1, 0, nullptr, points, 2), nullptr);
}

using QuadcalcScreen = QuadcalcHostTest;

TEST_F(QuadcalcScreen, InitQuadcalcChecksTheRecordSize) {
  QuadcalcContext other = ctx_;
  other.Size = 120;
  other.CenterX = 0;
  const char *text = InitQuadcalc(&other);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text), "INTF size mitsmatch: 120 but 152 expected");
  EXPECT_EQ(ScreenX2G(TestView::width / 2), kCenter) << "the earlier record is kept";

  ASSERT_EQ(InitQuadcalc(nullptr), nullptr);
  EXPECT_EQ(ScreenX2G(TestView::width / 2), 0) << "a null record is forgotten";
}

TEST_F(QuadcalcScreen, ConvertsAroundTheCentre) {
  SetView(800, 600, 1024);
  EXPECT_EQ(ScreenX2G(400), k37);
  EXPECT_EQ(ScreenX2G(0), k37 - 400 * 1024);
  EXPECT_EQ(G2ScreenX(k37 - 400 * 1024), 0);
  EXPECT_EQ(ScreenY2G(300), k37);
  EXPECT_EQ(ScreenY2G(0), k37 + 300 * 1024);  // screen y grows southwards
  EXPECT_EQ(ScreenY2G(600), k37 - 300 * 1024);
  EXPECT_EQ(G2ScreenY(k37 + 300 * 1024), 0);
  EXPECT_EQ(G2ScreenY(k37 - 300 * 1024), 600);

  // Quotients truncate towards zero; odd extents halve towards zero.
  EXPECT_EQ(G2ScreenX(k37 + 1023), 400);
  EXPECT_EQ(G2ScreenX(k37 - 1023), 400);
  EXPECT_EQ(G2ScreenX(k37 - 1025), 399);
  EXPECT_EQ(G2ScreenY(k37 - 1025), 301);
  SetView(801, 601, 1024);
  EXPECT_EQ(ScreenX2G(400), k37);
  EXPECT_EQ(ScreenY2G(300), k37);
}

TEST_F(QuadcalcScreen, ScreenPointsBeyondTheWorldAreLimited) {
  SetView(800, 600, int64_t{1} << 30);
  EXPECT_EQ(ScreenX2G(INT32_MAX), k38);
  EXPECT_EQ(ScreenX2G(INT32_MIN), 0);
  EXPECT_EQ(ScreenY2G(INT32_MIN), k38);
  EXPECT_EQ(ScreenY2G(INT32_MAX), 0);
  ctx_.PixelUnitsX = INT64_MAX;  // garbage: still limited, never undefined
  EXPECT_EQ(ScreenX2G(401), k38);
  EXPECT_EQ(ScreenX2G(399), 0);
}

TEST_F(QuadcalcScreen, OddUnitsDoNotFault) {
  ctx_.PixelUnitsX = ctx_.PixelUnitsY = 0;  // would divide by zero
  EXPECT_EQ(G2ScreenX(k37 + 5000), 0);
  EXPECT_EQ(G2ScreenY(k37 + 5000), 0);
  EXPECT_EQ(ScreenX2G(7), k37);

  // Differences beyond int64 keep the low 32 bits of the exact screen value.
  ctx_.PixelUnitsX = 1;
  EXPECT_EQ(G2ScreenX(INT64_MIN), TestView::width / 2);
  ctx_.PixelUnitsX = -1;
  ctx_.CenterX = 0;
  EXPECT_EQ(G2ScreenX(INT64_MIN), TestView::width / 2);
}

}  // namespace
}  // namespace tk
