#include "terrakon/plates/data_module.h"

#include <cstdio>
#include <cstdlib>

#include "platform/i18n/translate.h"
#include "platform/imagelib/imagelib.h"
#include "terrakon/plates/pixel_space.h"

namespace tk {
namespace {

int32_t NoWidth() { return 0; }
void NoCenter(int64_t, int64_t) {}
void NoViewRect(int64_t* rect) {
  for (int i = 0; i < 4; ++i) rect[i] = 0;
}
void NoClientRect(int32_t* rect) {
  for (int i = 0; i < 4; ++i) rect[i] = 0;
}
void* HeapRealloc(void* block, size_t bytes) { return std::realloc(block, bytes); }
void HeapFree(void* block) { std::free(block); }

// Messages are translated formats with one text argument.
std::string Message(const char* format, const char* argument) {
  char text[1024];
  std::snprintf(text, sizeof text, format, argument);
  return text;
}

}  // namespace

void InitViewRecord(QuadcalcContext& view, const ViewCallbacks& callbacks) {
  view = QuadcalcContext{};
  view.Size = sizeof(QuadcalcContext);
  view.CenterX = kWorldSize / 2;
  view.CenterY = kWorldSize / 2;
  view.PlateUnitsX = view.PlateUnitsY = 1;
  view.PixelUnitsX = view.PixelUnitsY = 1;
  view.Zoom = -1;
  view.DegType = 0;
  view.CoordSys = -100;
  view.DatumNum = -1;
  view.GetViewWidth = callbacks.GetViewWidth ? callbacks.GetViewWidth : NoWidth;
  view.GetViewHeight = callbacks.GetViewHeight ? callbacks.GetViewHeight : NoWidth;
  view.SetViewCenter = callbacks.SetViewCenter ? callbacks.SetViewCenter : NoCenter;
  view.GetViewRect = callbacks.GetViewRect ? callbacks.GetViewRect : NoViewRect;
  view.GetClientRect = callbacks.GetClientRect ? callbacks.GetClientRect : NoClientRect;
  view.MemRealloc = HeapRealloc;
  view.MemFree = HeapFree;
}

TData::~TData() {
  // The library keeps a pointer to our record; it must not outlive it.
  InitQuadcalc(nullptr);
}

bool TData::Create(const ViewCallbacks& callbacks, std::string* fatalMessage) {
  plateHeader = PlateDrawingHeader();
  InitViewRecord(view, callbacks);
  if (!img::LoadImageLibrary()) {
    if (fatalMessage) *fatalMessage = Message(Translate("Cannot load GFL library \"%s\""), img::ImageLibraryName());
    return false;
  }
  if (const char* error = InitQuadcalc(&view)) {
    if (fatalMessage) *fatalMessage = Message(Translate("Errr initialize quadcalc library: %s"), error);
    return false;
  }
  return true;
}

}  // namespace tk
