#include "quadcalc/context.h"

#include "quadcalc/message.h"

namespace tk {

QuadcalcContext *gContext = nullptr;

}  // namespace tk

extern "C" const char *InitQuadcalc(QuadcalcContext *ctx) {
  if (!ctx) {
    tk::gContext = nullptr;
    return nullptr;
  }
  if (ctx->Size != static_cast<int32_t>(sizeof(QuadcalcContext)))
    return tk::SetMessage("INTF size mitsmatch: %d but %d expected", static_cast<int>(ctx->Size),
                          static_cast<int>(sizeof(QuadcalcContext)));
  tk::gContext = ctx;
  return nullptr;
}
