#include "terrakon/plates/plate_ref.h"

#include "platform/i18n/translate.h"

namespace tk {

PlateRef PlateRef::FromState(int state) {
  if (state < kLowestPlateState || state > 0) return PlateRef();
  return PlateRef(static_cast<PlateState>(state));
}

PlateRef PlateRef::Image(std::shared_ptr<const uint8_t[]> bits, uint32_t bytes) {
  PlateRef ref;
  if (bits) {
    ref.bits_ = std::move(bits);
    ref.bytes_ = bytes;
  }
  return ref;
}

bool IsPlateImage(const PlateRef& ref) { return ref.IsImage(); }

const char* PlateStateText(const PlateRef& ref) {
  if (ref.IsImage()) return Translate("Data");
  switch (ref.state()) {
    case PlateNotFound: return Translate("Not found (404)");
    case PlateForbidden: return Translate("Forbidden (403)");
    default: return Translate("Unknown state");
  }
}

}  // namespace tk
