// The viewer's record for its storage plugins: version 0x00010000 and the
// main view's QuadcalcContext. It lives as long as the process, so plugins
// may keep the pointer.
#pragma once

#include "common/plugin_abi.h"

struct QuadcalcContext;

namespace tk {

const PluginHostInfo* ViewerPluginHostInfo();
// Set once at start-up, before the first plugin loads.
void SetPluginHostContext(QuadcalcContext* context);

}  // namespace tk
