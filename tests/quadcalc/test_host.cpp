#include "tests/quadcalc/test_host.h"

namespace tk {

int32_t TestView::width = 0, TestView::height = 0;
int TestView::widthCalls = 0, TestView::heightCalls = 0, TestView::clientRectCalls = 0;

namespace {

int32_t ViewWidth() {
  ++TestView::widthCalls;
  return TestView::width;
}
int32_t ViewHeight() {
  ++TestView::heightCalls;
  return TestView::height;
}
void ClientRect(int32_t *r) {
  ++TestView::clientRectCalls;
  r[0] = 0, r[1] = 0, r[2] = TestView::width, r[3] = TestView::height;
}

}  // namespace

void QuadcalcHostTest::SetView(int32_t width, int32_t height, int64_t pixelUnits) {
  TestView::width = width, TestView::height = height;
  ctx_.PixelUnitsX = ctx_.PixelUnitsY = pixelUnits;
  ctx_.PlateUnitsX = ctx_.PlateUnitsY = pixelUnits * 256;
}

void QuadcalcHostTest::SetUp() {
  ctx_ = {};
  ctx_.Size = sizeof(QuadcalcContext);
  ctx_.CenterX = ctx_.CenterY = kCenter;
  ctx_.Zoom = 20;
  ctx_.GetViewWidth = ViewWidth;
  ctx_.GetViewHeight = ViewHeight;
  ctx_.GetClientRect = ClientRect;
  SetView(1000, 800, 1024);
  TestView::widthCalls = TestView::heightCalls = TestView::clientRectCalls = 0;
  ASSERT_EQ(InitQuadcalc(&ctx_), nullptr);
}

void QuadcalcHostTest::TearDown() {
  DeleteTrackPoints();
  InitQuadcalc(nullptr);
}

}  // namespace tk
