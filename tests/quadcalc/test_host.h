#pragma once
// A host view for the screen conversions and track polylines: a W x H map
// area with the client rectangle 0, 0, W, H, and counters of the callbacks.
#include <gtest/gtest.h>

#include "quadcalc/quadcalc.h"

namespace tk {

struct TestView {
  static int32_t width, height;
  static int widthCalls, heightCalls, clientRectCalls;
};

class QuadcalcHostTest : public ::testing::Test {
 protected:
  static constexpr int64_t kCenter = int64_t{1} << 37;

  // View of width x height screen pixels around (kCenter, kCenter).
  void SetView(int32_t width, int32_t height, int64_t pixelUnits);
  void SetUp() override;
  void TearDown() override;

  QuadcalcContext ctx_{};
};

}  // namespace tk
