#pragma once
// The host's view record as stored by InitQuadcalc (null until then).
#include "quadcalc/quadcalc.h"

namespace tk {

extern QuadcalcContext *gContext;

}  // namespace tk
