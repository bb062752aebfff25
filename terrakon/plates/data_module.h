// The program's data module: the drawing header of plate images and the view
// record handed to the coordinate math library, set up at start-up together
// with the image layer.
#pragma once

#include <cstdint>
#include <string>

#include "quadcalc/quadcalc.h"

namespace tk {

// The bitmap information header laid out as drawing code and stored files
// expect it: 40 bytes, little-endian.
struct PlateDrawingHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 256;
  int32_t biHeight = 256;  // positive: bottom row first
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 24;
  uint32_t biCompression = 0;  // uncompressed
  uint32_t biSizeImage = 196608;
  int32_t biXPelsPerMeter = 1;
  int32_t biYPelsPerMeter = 1;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
static_assert(sizeof(PlateDrawingHeader) == 40, "PlateDrawingHeader layout");

// The main window's side of the view record; null entries get harmless
// stand-ins (an empty view) until the window sets its own.
struct ViewCallbacks {
  int32_t (*GetViewWidth)(void) = nullptr;
  int32_t (*GetViewHeight)(void) = nullptr;
  void (*SetViewCenter)(int64_t x, int64_t y) = nullptr;
  void (*GetViewRect)(int64_t* rect) = nullptr;
  void (*GetClientRect)(int32_t* rect) = nullptr;
};

// The start-up values: centre 2^37, 2^37, no selection, one unit per plate
// and pixel, zoom -1, degree type 0, coordinate system -100, datum -1; the
// memory callbacks use the C heap.
void InitViewRecord(QuadcalcContext& view, const ViewCallbacks& callbacks);

class TData {
 public:
  TData() = default;
  ~TData();
  TData(const TData&) = delete;
  TData& operator=(const TData&) = delete;

  // Fills the header and the view record, starts the image layer and hands
  // the record to the coordinate math library. False is fatal for the
  // program: *fatalMessage (translated) says why.
  bool Create(const ViewCallbacks& callbacks, std::string* fatalMessage);

  PlateDrawingHeader plateHeader;
  QuadcalcContext view{};
};

}  // namespace tk
